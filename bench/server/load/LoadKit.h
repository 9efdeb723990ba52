#pragma once

// What the load programs of the relay share: loopback connections, form posts, the audio frames'
// delays as the listeners receive them, and the server's CPU time.

#include "voice/VoicePacket.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <csignal>
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
#include <sys/types.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace LoadKit {

using namespace Zumeli;

inline int64_t nowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

inline int freePort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

// source: a loopback address to connect from (host order, e.g. 0x7F010203 for 127.1.2.3), so
// one machine can play many peers; 0 lets the system choose.
inline int connectTo(int port, uint32_t source = 0)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (source != 0) {
        sockaddr_in from{};
        from.sin_family = AF_INET;
        from.sin_addr.s_addr = htonl(source);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0) {
            ::close(fd);
            return -1;
        }
    }
    sockaddr_in address{};
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

inline std::string post(int port, const std::string& call, const std::string& body, uint32_t source = 0)
{
    int fd = connectTo(port, source);
    if (fd < 0)
        return {};
    std::string request = "POST /7/" + call + " HTTP/1.0\r\nContent-Length: " + std::to_string(body.size()) +
                          "\r\nContent-Type: application/x-www-form-urlencoded\r\n\r\n" + body;
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string reply;
    char buffer[4096];
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
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

inline std::string element(const std::string& reply, const std::string& name)
{
    size_t start = reply.find("<" + name + ">");
    size_t end = reply.find("</" + name + ">");
    if (start == std::string::npos || end == std::string::npos)
        return {};
    start += name.size() + 2;
    return reply.substr(start, end - start);
}

// User plus system CPU time of a process, in seconds.
inline double cpuSeconds(pid_t pid)
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

struct Client
{
    int fd = -1;
    std::vector<uint8_t> pending;
};

inline bool sendPacket(int fd, VoicePacket packet)
{
    packet.sign();
    return ::send(fd, packet.bytes(), VoicePacket::Size, MSG_NOSIGNAL) == VoicePacket::Size;
}

// Reads every listener until `until` (ns), recording audio delays; returns frames delivered.
struct Receiver
{
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

inline double percentile(std::vector<int64_t>& values, double p)
{
    if (values.empty())
        return 0;
    size_t index = std::min(values.size() - 1, size_t(p * double(values.size())));
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(index), values.end());
    return double(values[index]) / 1e6;
}

struct Setup
{
    int web = 0;
    int voice = 0;
    Client talker;
    std::vector<Client> listeners;
};

inline Client voiceClient(const Setup& setup)
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
inline void settle(Setup& setup, int quietMs)
{
    std::vector<pollfd> fds;
    for (auto& client : setup.listeners)
        fds.push_back({client.fd, POLLIN, 0});
    fds.push_back({setup.talker.fd, POLLIN, 0});
    // A keep-alive from each, as real clients send every 30 s: it keeps their sessions from
    // looking idle.
    for (auto& fd : fds)
        sendPacket(fd.fd, VoicePacket::control(0, VoiceMessage::KeepAlive));
    uint8_t buffer[65536];
    int64_t deadline = nowNs() + int64_t(quietMs) * 10 * 1000000;
    while (nowNs() < deadline) {
        int ready = ::poll(fds.data(), fds.size(), quietMs);
        if (ready <= 0)
            return;
        for (auto& fd : fds) {
            if (!(fd.revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            ssize_t got = 0;
            while ((got = ::recv(fd.fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0) {
            }
            if (got == 0)
                fd.fd = -1; // closed by the server: poll ignores it from now on
        }
    }
}

struct Result
{
    size_t listeners = 0;
    const char* mode = "";
    uint64_t sent = 0;
    uint64_t expected = 0;
    uint64_t delivered = 0;
    double serverCpu = 0;
    double seconds = 0;
    double p50 = 0, p99 = 0, max = 0;
};

inline VoicePacket frame(uint32_t sequence)
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
inline Result talk(Setup& setup, pid_t server, int rate, double seconds, uint64_t limit)
{
    Result result;
    result.listeners = setup.listeners.size();
    int epoll = epoll_create1(0);
    for (uint32_t i = 0; i < setup.listeners.size(); ++i) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u32 = i;
        epoll_ctl(epoll, EPOLL_CTL_ADD, setup.listeners[i].fd, &event);
    }
    Receiver receiver;
    receiver.listeners = &setup.listeners;
    receiver.epoll = epoll;
    receiver.delays.reserve(size_t(limit) * setup.listeners.size() / 8 + 1024);
    std::atomic<bool> stop{false};
    double cpuBefore = cpuSeconds(server);
    int64_t start = nowNs();
    int64_t end = start + int64_t(seconds * 1e9);
    std::thread reading([&] { receiver.run(end + 2000000000, stop); });

    uint32_t sequence = 0;
    if (rate > 0) {
        timespec next{};
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
    result.max = receiver.delays.empty()
                     ? 0
                     : double(*std::max_element(receiver.delays.begin(), receiver.delays.end())) / 1e6;
    ::close(epoll);
    // End the talk so the next run starts with a free floor.
    sendPacket(setup.talker.fd, VoicePacket::control(0, VoiceMessage::EndTalk));
    settle(setup, 300);
    return result;
}

// Lets the process open as many files as it may (thousands of connections) and ignores SIGPIPE.
inline void prepareProcess()
{
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
    std::signal(SIGPIPE, SIG_IGN);
}

// A server process on two free loopback ports with a scratch data folder.
struct Launched
{
    std::filesystem::path data;
    int web = 0;
    int voice = 0;
    pid_t pid = 0;
};

// Starts the server program with extra arguments and waits (at most two seconds) until its web
// port answers.
inline Launched startServer(const std::string& program, const char* name, std::vector<std::string> extra = {})
{
    Launched launched;
    launched.data =
        std::filesystem::temp_directory_path() / (std::string(name) + "-" + std::to_string(getpid()));
    std::filesystem::create_directories(launched.data);
    launched.web = freePort();
    launched.voice = freePort();
    int web = launched.web;
    pid_t server = fork();
    if (server == 0) {
        std::vector<std::string> words{program,
                                       "--data",
                                       launched.data.string(),
                                       "--web-port",
                                       std::to_string(web),
                                       "--voice-port",
                                       std::to_string(launched.voice),
                                       "--log-level",
                                       "error"};
        words.insert(words.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (auto& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    for (int i = 0; i < 100 && post(web, "KeepAlive.php", "").empty(); ++i)
        usleep(20000);
    launched.pid = server;
    return launched;
}

} // namespace LoadKit
