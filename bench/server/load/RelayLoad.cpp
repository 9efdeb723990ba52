// Load benchmark of the voice relay: starts a real zumeli-server on loopback, puts N listeners
// and one talker into one channel, and has the talker send audio frames at a fixed rate (50 per
// second is GSM, 276 ADPCM) or as fast as the relay takes them. Measures what was delivered,
// the server's CPU time (from /proc), the delay the relay adds (each frame carries its send
// time), and the delay of the first frame of a talk. Bounded in time and count; loopback only;
// stops the server and itself at the end.
//
//   zumeli_relay_load --server PATH [--seconds S] [--listeners 10,100,1000] [--rates 50,276]
//                     [--saturate N]

#include "voice/VoicePacket.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

using namespace Zumeli;

namespace {

int64_t nowNs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

int freePort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

int connectTo(int port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    int yes = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    return fd;
}

std::string post(int port, const std::string& call, const std::string& body)
{
    int fd = connectTo(port);
    if (fd < 0)
        return {};
    std::string request = "POST /7/" + call + " HTTP/1.0\r\nContent-Length: " + std::to_string(body.size())
        + "\r\nContent-Type: application/x-www-form-urlencoded\r\n\r\n" + body;
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string reply;
    char buffer[4096];
    for (;;) {
        pollfd ready { fd, POLLIN, 0 };
        if (::poll(&ready, 1, 5000) != 1)
            break;
        ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        reply.append(buffer, size_t(got));
    }
    ::close(fd);
    return reply;
}

std::string element(const std::string& reply, const std::string& name)
{
    size_t start = reply.find("<" + name + ">");
    size_t end = reply.find("</" + name + ">");
    if (start == std::string::npos || end == std::string::npos)
        return {};
    start += name.size() + 2;
    return reply.substr(start, end - start);
}

// User plus system CPU time of a process, in seconds.
double cpuSeconds(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14)
            utime = std::stol(field);
        if (i == 15) {
            stime = std::stol(field);
            break;
        }
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

struct Client {
    int fd = -1;
    std::vector<uint8_t> pending;
};

bool sendPacket(int fd, VoicePacket packet)
{
    packet.sign();
    return ::send(fd, packet.bytes(), VoicePacket::Size, MSG_NOSIGNAL) == VoicePacket::Size;
}

// Reads every listener until `until` (ns), recording audio delays; returns frames delivered.
struct Receiver {
    std::vector<Client>* listeners = nullptr;
    int epoll = -1;
    std::vector<int64_t> delays;
    uint64_t audio = 0;
    uint64_t other = 0;
    int64_t firstFrameNs = 0; // arrival of the first frame of a talk at the first listener

    void run(int64_t until, std::atomic<bool>& stop)
    {
        epoll_event events[256];
        uint8_t buffer[65536];
        while (!stop.load() && nowNs() < until) {
            int count = epoll_wait(epoll, events, 256, 20);
            int64_t now = nowNs();
            for (int i = 0; i < count; ++i) {
                Client& client = (*listeners)[events[i].data.u32];
                for (;;) {
                    ssize_t got = ::recv(client.fd, buffer, sizeof buffer, MSG_DONTWAIT);
                    if (got <= 0)
                        break;
                    client.pending.insert(client.pending.end(), buffer, buffer + got);
                }
                size_t whole = client.pending.size() / VoicePacket::Size * VoicePacket::Size;
                for (size_t at = 0; at < whole; at += VoicePacket::Size) {
                    VoicePacket packet(client.pending.data() + at);
                    if (packet.kind() == VoicePacket::Audio) {
                        ++audio;
                        int64_t sent = 0;
                        std::memcpy(&sent, packet.payload() + 4, sizeof sent);
                        if (sent > 0)
                            delays.push_back(now - sent);
                        if (packet.sequence() == 0 && firstFrameNs == 0)
                            firstFrameNs = now;
                    } else {
                        ++other;
                    }
                }
                client.pending.erase(client.pending.begin(), client.pending.begin() + std::ptrdiff_t(whole));
            }
        }
    }
};

double percentile(std::vector<int64_t>& values, double p)
{
    if (values.empty())
        return 0;
    size_t index = std::min(values.size() - 1, size_t(p * double(values.size())));
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(index), values.end());
    return double(values[index]) / 1e6;
}

struct Setup {
    int web = 0;
    int voice = 0;
    Client talker;
    std::vector<Client> listeners;
};

Client voiceClient(const Setup& setup)
{
    Client client;
    std::string login = post(setup.web, "login.php", "us=anonymous&pw=00000000&an=1&");
    std::string session = element(login, "sessionID");
    post(setup.web, "joinChannel.php", "ch=1000&sid=" + session + "&ur=1&ts=0&");
    client.fd = connectTo(setup.voice);
    if (client.fd >= 0)
        sendPacket(client.fd, VoicePacket::hello(0, session.c_str()));
    return client;
}

// Reads and drops whatever arrives until nothing came for quietMs.
void settle(Setup& setup, int quietMs)
{
    std::vector<pollfd> fds;
    for (auto& client : setup.listeners)
        fds.push_back({ client.fd, POLLIN, 0 });
    fds.push_back({ setup.talker.fd, POLLIN, 0 });
    uint8_t buffer[65536];
    for (;;) {
        int ready = ::poll(fds.data(), fds.size(), quietMs);
        if (ready <= 0)
            return;
        for (auto& fd : fds)
            if (fd.revents & POLLIN)
                while (::recv(fd.fd, buffer, sizeof buffer, MSG_DONTWAIT) > 0) { }
    }
}

struct Result {
    size_t listeners = 0;
    const char* mode = "";
    uint64_t sent = 0;
    uint64_t expected = 0;
    uint64_t delivered = 0;
    double serverCpu = 0;
    double seconds = 0;
    double p50 = 0, p99 = 0, max = 0;
};

VoicePacket frame(uint32_t sequence)
{
    VoicePacket packet;
    packet.setKind(VoicePacket::Audio);
    packet.setSequence(sequence);
    packet.setLength(33);
    int64_t now = nowNs();
    std::memcpy(packet.payload() + 4, &now, sizeof now);
    packet.sign();
    return packet;
}

// One measured talk: `rate` frames per second for `seconds`, or, with rate 0, bursts of 20
// frames as fast as the socket takes them, up to `limit` frames.
Result talk(Setup& setup, pid_t server, int rate, double seconds, uint64_t limit)
{
    Result result;
    result.listeners = setup.listeners.size();
    int epoll = epoll_create1(0);
    for (uint32_t i = 0; i < setup.listeners.size(); ++i) {
        epoll_event event {};
        event.events = EPOLLIN;
        event.data.u32 = i;
        epoll_ctl(epoll, EPOLL_CTL_ADD, setup.listeners[i].fd, &event);
    }
    Receiver receiver;
    receiver.listeners = &setup.listeners;
    receiver.epoll = epoll;
    receiver.delays.reserve(size_t(limit) * setup.listeners.size() / 8 + 1024);
    std::atomic<bool> stop { false };
    double cpuBefore = cpuSeconds(server);
    int64_t start = nowNs();
    int64_t end = start + int64_t(seconds * 1e9);
    std::thread reading([&] { receiver.run(end + 2000000000, stop); });

    uint32_t sequence = 0;
    if (rate > 0) {
        timespec next {};
        clock_gettime(CLOCK_MONOTONIC, &next);
        int64_t period = 1000000000 / rate;
        while (nowNs() < end && sequence < limit) {
            VoicePacket packet = frame(sequence++);
            ::send(setup.talker.fd, packet.bytes(), VoicePacket::Size, MSG_NOSIGNAL);
            next.tv_nsec += period;
            while (next.tv_nsec >= 1000000000) {
                next.tv_nsec -= 1000000000;
                ++next.tv_sec;
            }
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        }
    } else {
        uint8_t burst[20 * VoicePacket::Size];
        while (nowNs() < end && sequence < limit) {
            for (int i = 0; i < 20; ++i) {
                VoicePacket packet = frame(sequence++);
                std::memcpy(burst + i * VoicePacket::Size, packet.bytes(), VoicePacket::Size);
            }
            if (::send(setup.talker.fd, burst, sizeof burst, MSG_NOSIGNAL) != ssize_t(sizeof burst))
                break;
            // Leave the relay room to deliver: a listener that cannot keep up loses audio by design.
            usleep(2000);
        }
    }
    result.sent = sequence;
    int64_t talkEnd = nowNs();
    // Wait for the stragglers: until everything arrived or two seconds passed.
    uint64_t expected = uint64_t(sequence) * setup.listeners.size();
    while (nowNs() < talkEnd + 2000000000 && receiver.audio < expected)
        usleep(10000);
    stop = true;
    reading.join();
    result.serverCpu = cpuSeconds(server) - cpuBefore;
    result.seconds = double(talkEnd - start) / 1e9;
    result.expected = expected;
    result.delivered = receiver.audio;
    result.p50 = percentile(receiver.delays, 0.50);
    result.p99 = percentile(receiver.delays, 0.99);
    result.max = receiver.delays.empty() ? 0 : double(*std::max_element(receiver.delays.begin(), receiver.delays.end())) / 1e6;
    ::close(epoll);
    // End the talk so the next run starts with a free floor.
    sendPacket(setup.talker.fd, VoicePacket::control(0, VoiceMessage::EndTalk));
    settle(setup, 300);
    return result;
}

std::vector<int> numbers(const char* list)
{
    std::vector<int> values;
    std::stringstream stream(list);
    std::string item;
    while (std::getline(stream, item, ','))
        values.push_back(std::atoi(item.c_str()));
    return values;
}

} // namespace

int main(int argc, char** argv)
{
    std::string serverPath;
    double seconds = 5;
    std::vector<int> listenerCounts { 10, 100, 1000 };
    std::vector<int> rates { 50, 276 };
    int saturate = 300;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--server")
            serverPath = argv[i + 1];
        else if (option == "--seconds")
            seconds = std::clamp(std::atof(argv[i + 1]), 1.0, 30.0);
        else if (option == "--listeners")
            listenerCounts = numbers(argv[i + 1]);
        else if (option == "--rates")
            rates = numbers(argv[i + 1]);
        else if (option == "--saturate")
            saturate = std::atoi(argv[i + 1]);
    }
    if (serverPath.empty()) {
        std::fprintf(stderr, "usage: zumeli_relay_load --server PATH [--seconds S] [--listeners 10,100,1000] "
                             "[--rates 50,276] [--saturate N]\n");
        return 2;
    }
    rlimit files {};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
    std::signal(SIGPIPE, SIG_IGN);

    std::filesystem::path data = std::filesystem::temp_directory_path() / ("zumeli-relay-load-" + std::to_string(getpid()));
    std::filesystem::create_directories(data);
    Setup setup;
    setup.web = freePort();
    setup.voice = freePort();
    pid_t server = fork();
    if (server == 0) {
        std::string web = std::to_string(setup.web), voice = std::to_string(setup.voice), folder = data.string();
        execl(serverPath.c_str(), serverPath.c_str(), "--data", folder.c_str(), "--web-port", web.c_str(), "--voice-port",
              voice.c_str(), "--log-level", "error", "--max-sessions", "100000", static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 100 && post(setup.web, "KeepAlive.php", "").empty(); ++i)
        usleep(20000);

    setup.talker = voiceClient(setup);
    std::printf("%9s %9s %10s %12s %10s %14s %9s %9s %9s\n", "listeners", "mode", "delivered", "of expected",
                "server cpu", "per cpu-second", "p50 ms", "p99 ms", "max ms");
    std::vector<int> counts = listenerCounts;
    int peak = counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
    if (saturate > 0)
        counts.push_back(saturate);
    std::sort(counts.begin(), counts.end());
    counts.erase(std::unique(counts.begin(), counts.end()), counts.end());
    for (int count : counts) {
        while (int(setup.listeners.size()) < count)
            setup.listeners.push_back(voiceClient(setup));
        settle(setup, 500);
        std::vector<std::pair<int, const char*>> modes;
        if (count <= peak && std::find(listenerCounts.begin(), listenerCounts.end(), count) != listenerCounts.end())
            for (int rate : rates)
                modes.push_back({ rate, rate == 50 ? "50/s" : rate == 276 ? "276/s" : "paced" });
        if (count == saturate)
            modes.push_back({ 0, "burst" });
        for (auto [rate, name] : modes) {
            Result result = talk(setup, server, rate, seconds, rate > 0 ? uint64_t(rate * seconds + 1) : 200000);
            result.mode = name;
            double perCpu = result.serverCpu > 0 ? double(result.delivered) / result.serverCpu : 0;
            std::printf("%9zu %9s %10llu %12llu %9.2fs %14.0f %9.2f %9.2f %9.2f\n", result.listeners, result.mode,
                        (unsigned long long)result.delivered, (unsigned long long)result.expected, result.serverCpu,
                        perCpu, result.p50, result.p99, result.max);
            std::fflush(stdout);
        }
    }

    // Talk start through the relay: the first frame of a new talk, from the talker's send to the
    // first listener's receipt, plus the talker's wait for its TalkAck.
    if (!setup.listeners.empty()) {
        settle(setup, 200);
        std::vector<Client> first { setup.listeners.front() };
        int64_t sent = nowNs();
        sendPacket(setup.talker.fd, frame(0));
        int64_t arrived = 0, acknowledged = 0;
        std::vector<uint8_t> bufferListener, bufferTalker;
        while ((!arrived || !acknowledged) && nowNs() - sent < 2000000000LL) {
            pollfd fds[2] = { { first[0].fd, POLLIN, 0 }, { setup.talker.fd, POLLIN, 0 } };
            if (::poll(fds, 2, 100) <= 0)
                continue;
            uint8_t packet[VoicePacket::Size];
            if ((fds[0].revents & POLLIN) && !arrived && ::recv(first[0].fd, packet, sizeof packet, MSG_WAITALL) == VoicePacket::Size)
                arrived = nowNs();
            if ((fds[1].revents & POLLIN) && !acknowledged && ::recv(setup.talker.fd, packet, sizeof packet, MSG_WAITALL) == VoicePacket::Size
                && VoicePacket(packet).type() == uint8_t(VoiceMessage::TalkAck))
                acknowledged = nowNs();
        }
        std::printf("talk start through the relay (%zu listeners): first frame %.3f ms, TalkAck round trip %.3f ms\n",
                    setup.listeners.size(), double(arrived - sent) / 1e6, double(acknowledged - sent) / 1e6);
    }

    kill(server, SIGTERM);
    int status = 0;
    waitpid(server, &status, 0);
    for (auto& client : setup.listeners)
        ::close(client.fd);
    ::close(setup.talker.fd);
    std::filesystem::remove_all(data);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
