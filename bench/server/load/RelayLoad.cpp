// Load benchmark of the voice relay: starts a real zumeli-server on loopback, puts N listeners
// and one talker into one channel, and has the talker send audio frames at a fixed rate (50 per
// second is GSM, 276 ADPCM) or as fast as the relay takes them. Measures what was delivered,
// the server's CPU time (from /proc), the delay the relay adds (each frame carries its send
// time), and the delay of the first frame of a talk. Bounded in time and count; loopback only;
// stops the server and itself at the end.
//
//   zumeli_relay_load --server PATH [--seconds S] [--listeners 10,100,1000] [--rates 50,276]
//                     [--saturate N]

#include "LoadKit.h"

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
using namespace LoadKit;

namespace {

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
    prepareProcess();
    // All listeners come from one address here: the limits per address must not count them.
    Launched launched = startServer(serverPath, "zumeli-relay-load", { "--max-sessions", "100000", "--max-per-address", "100000" });
    std::filesystem::path data = launched.data;
    pid_t server = launched.pid;
    Setup setup;
    setup.web = launched.web;
    setup.voice = launched.voice;

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
