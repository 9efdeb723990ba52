#include "voice/Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Zumeli {

namespace {

// The first IPv4 address of the name, or 0.0.0.0 when it cannot be resolved (the connect
// then fails and reports so).
in_addr resolve(const char* host)
{
    in_addr address {};
    if (!host || !*host)
        return address;
    if (inet_pton(AF_INET, host, &address) == 1)
        return address;
    addrinfo hints {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) == 0 && found) {
        address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
        freeaddrinfo(found);
    }
    return address;
}

void setIntOption(int handle, int level, int name, int value) { setsockopt(handle, level, name, &value, sizeof value); }

void setTimeOption(int handle, int name, int milliseconds)
{
    timeval time { milliseconds / 1000, (milliseconds % 1000) * 1000 };
    setsockopt(handle, SOL_SOCKET, name, &time, sizeof time);
}

// A non-blocking connect waited for with poll(), so that an unreachable host fails after the
// time-out instead of the system's minutes.
bool connectWithin(int handle, const sockaddr_in& address, int timeoutMs)
{
    int flags = fcntl(handle, F_GETFL, 0);
    if (flags < 0 || fcntl(handle, F_SETFL, flags | O_NONBLOCK) < 0)
        return false;
    int result = ::connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (result != 0 && errno != EINPROGRESS)
        return false;
    if (result != 0) {
        pollfd waitFor { handle, POLLOUT, 0 };
        int ready;
        do
            ready = ::poll(&waitFor, 1, timeoutMs);
        while (ready < 0 && errno == EINTR);
        if (ready <= 0)
            return false;
        int error = 0;
        socklen_t size = sizeof error;
        if (getsockopt(handle, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
            return false;
    }
    return fcntl(handle, F_SETFL, flags) == 0;
}

} // namespace

Socket::~Socket() { closeSocket(); }

void Socket::init(ISocketDelegate* delegate, int recordSize)
{
    m_delegate = delegate;
    m_recordSize = recordSize > 0 ? recordSize : 0;
    m_record.assign(size_t(m_recordSize), 0);
    m_recordFill = 0;
}

bool Socket::connect(const char* host, int port, int options, int timeoutMs)
{
    closeSocket();
    m_recordFill = 0;
    m_handle = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_handle < 0) {
        if (m_delegate)
            m_delegate->connectionFailed();
        return false;
    }
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr = resolve(host);

    setTimeOption(m_handle, SO_RCVTIMEO, 5);
    setIntOption(m_handle, SOL_SOCKET, SO_REUSEADDR, 1);
    if (options & KeepAlive)
        setIntOption(m_handle, SOL_SOCKET, SO_KEEPALIVE, 1);
    if (options & NoDelay)
        setIntOption(m_handle, IPPROTO_TCP, TCP_NODELAY, 1);
    // Linux fixes the send low-water mark at one byte, which is what the option asks for.

    if (address.sin_addr.s_addr == 0 || port <= 0 || port > 65535 || !connectWithin(m_handle, address, timeoutMs)) {
        closeSocket();
        if (m_delegate)
            m_delegate->connectionFailed();
        return false;
    }
    if (m_delegate)
        m_delegate->connected();
    return true;
}

void Socket::adopt(int handle)
{
    closeSocket();
    m_recordFill = 0;
    m_handle = handle;
}

bool Socket::send(const void* bytes, int count)
{
    if (m_handle < 0 || count < 0 || (!bytes && count > 0))
        return false;
    if (pendingSendBytes() + size_t(count) > m_sendQueueLimit) {
        failSending();
        return false;
    }
    if (m_outgoingSent == m_outgoing.size()) {
        m_outgoing.clear();
        m_outgoingSent = 0;
    }
    auto* data = static_cast<const uint8_t*>(bytes);
    m_outgoing.insert(m_outgoing.end(), data, data + count);
    return flush();
}

bool Socket::flush()
{
    while (m_handle >= 0 && m_outgoingSent < m_outgoing.size()) {
        ssize_t sent = ::send(m_handle, m_outgoing.data() + m_outgoingSent, m_outgoing.size() - m_outgoingSent,
                              MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            m_outgoingSent += size_t(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        failSending();
        return false;
    }
    if (m_outgoingSent == m_outgoing.size()) {
        m_outgoing.clear();
        m_outgoingSent = 0;
    }
    return m_handle >= 0;
}

void Socket::failSending()
{
    closeSocket();
    if (m_delegate)
        m_delegate->connectionClosed();
}

void Socket::poll()
{
    if (!flush())
        return;
    int budget = MaxBytesPerPoll;
    while (m_handle >= 0 && budget > 0 && readStep(budget)) { }
}

// One read step; true when it read something and another step may follow.
bool Socket::readStep(int& budget)
{
    pollfd readable { m_handle, POLLIN, 0 };
    int ready;
    do
        ready = ::poll(&readable, 1, 0);
    while (ready < 0 && errno == EINTR);
    if (ready < 0 || (readable.revents & POLLNVAL)) {
        closeSocket(); // the connection is dead; the keep-alive probes will notice
        return false;
    }
    if (ready == 0)
        return false;

    int pending = 0;
    if (ioctl(m_handle, FIONREAD, &pending) != 0 || pending < 0)
        pending = 0;

    uint8_t scratch[16384];
    uint8_t* target;
    int wanted;
    if (m_recordSize > 0) {
        target = m_record.data() + m_recordFill;
        wanted = m_recordSize - m_recordFill;
    } else {
        target = scratch;
        wanted = int(sizeof scratch);
    }
    // With nothing pending a readable socket is at its end: the read below returns 0.
    if (pending > 0 && pending < wanted)
        wanted = pending;

    ssize_t got;
    do
        got = ::recv(m_handle, target, size_t(wanted), 0);
    while (got < 0 && errno == EINTR);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return false;
    if (got <= 0) {
        closeSocket();
        if (m_delegate)
            m_delegate->connectionClosed();
        return false;
    }
    budget -= int(got);

    if (m_recordSize == 0) {
        if (m_delegate)
            m_delegate->dataReceived(scratch, int(got));
        return true;
    }
    m_recordFill += int(got);
    if (m_recordFill < m_recordSize)
        return false;
    m_recordFill = 0;
    if (m_delegate)
        m_delegate->dataReceived(m_record.data(), m_recordSize);
    return true;
}

void Socket::closeSocket()
{
    if (m_handle >= 0) {
        ::close(m_handle);
        m_handle = -1;
    }
    m_outgoing.clear();
    m_outgoingSent = 0;
}

} // namespace Zumeli
