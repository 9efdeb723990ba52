#include "app/SingleInstance.h"

#include "platform/Clock.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace ZumeliApplication {

namespace {

constexpr int AnswerWaitMs = 1000;
constexpr char RaiseRequest[] = "raise\n";

std::string fileStem(const std::string& name)
{
    std::string stem;
    for (char c : name) {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '.')
            stem += char(std::tolower(static_cast<unsigned char>(c)));
        else if (!stem.empty() && stem.back() != '-')
            stem += '-';
    }
    return stem.empty() ? "zumeli" : stem;
}

bool fillAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

} // namespace

SingleInstance::SingleInstance(const std::string& name)
{
    std::string base = runtimeFolder() + "/" + fileStem(name);
    m_lockPath = base + ".lock";
    m_socketPath = base + ".sock";
}

SingleInstance::~SingleInstance()
{
    if (m_listener >= 0) {
        ::close(m_listener);
        ::unlink(m_socketPath.c_str());
    }
    if (m_lock >= 0)
        ::close(m_lock);
}

std::string SingleInstance::runtimeFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (runtime && *runtime && ::stat(runtime, &info) == 0 && S_ISDIR(info.st_mode))
        return runtime;
    std::string folder = "/tmp/zumeli-" + std::to_string(::getuid());
    ::mkdir(folder.c_str(), 0700);
    return folder;
}

SingleInstance::Outcome SingleInstance::claim()
{
    m_lock = ::open(m_lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lock >= 0 && ::flock(m_lock, LOCK_EX | LOCK_NB) == 0) {
        listen();
        return Outcome::First;
    }
    if (m_lock >= 0) {
        ::close(m_lock);
        m_lock = -1;
    }
    askRunningCopy();
    return Outcome::OtherRunning;
}

bool SingleInstance::listen()
{
    sockaddr_un address;
    if (!fillAddress(m_socketPath, address))
        return false;
    // We hold the lock, so a socket file there was left by a copy that is gone.
    ::unlink(m_socketPath.c_str());
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listener < 0)
        return false;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 4) != 0) {
        ::close(m_listener);
        m_listener = -1;
        return false;
    }
    return true;
}

bool SingleInstance::askRunningCopy()
{
    sockaddr_un address;
    if (!fillAddress(m_socketPath, address))
        return false;
    // The running copy may be starting and not listening yet: try for a while.
    uint64_t deadline = Zumeli::Platform::tickMilliseconds() + AnswerWaitMs;
    do {
        int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            bool sent = ::send(fd, RaiseRequest, sizeof RaiseRequest - 1, MSG_NOSIGNAL) > 0;
            ::close(fd);
            return sent;
        }
        ::close(fd);
        Zumeli::Platform::sleepMilliseconds(50);
    } while (Zumeli::Platform::tickMilliseconds() < deadline);
    return false;
}

bool SingleInstance::takeRaiseRequest()
{
    if (m_listener < 0)
        return false;
    bool raise = false;
    for (;;) {
        int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            break;
        // The request is sent before the other side closes; a short poll is enough.
        pollfd entry {fd, POLLIN, 0};
        char buffer[16] = {};
        if (::poll(&entry, 1, 100) > 0 && ::recv(fd, buffer, sizeof buffer - 1, 0) > 0 &&
            std::strncmp(buffer, RaiseRequest, sizeof RaiseRequest - 1) == 0)
            raise = true;
        ::close(fd);
    }
    return raise;
}

} // namespace ZumeliApplication
