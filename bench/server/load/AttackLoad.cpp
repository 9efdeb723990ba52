// Availability of the voice relay under attack: starts a real zumeli-server on loopback with its
// default limits, puts a talker and listeners into one channel, and measures the delay the relay
// adds to audio frames (50 per second) first without attack and then while each attack runs
// beside it, one after the other, all in one run. Attackers connect from many loopback source
// addresses (127.1.x.y), as a crowd would. Bounded in time and count; stops the server at the end.
//
//   zumeli_attack_load --server PATH [--seconds S] [--listeners N] [--only NAME,...]

#include "LoadKit.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>

using namespace Zumeli;
using namespace LoadKit;

namespace {

// Attacker addresses: 127.1.0.1, 127.1.0.2, ... (254 per third byte).
uint32_t attacker(uint32_t index)
{
    return 0x7F010000u | ((index / 254 % 250) << 8) | (index % 254 + 1);
}

struct Target
{
    int web = 0;
    int voice = 0;
    pid_t server = 0;
};

// One attacker's session, from its own address.
struct Attacker
{
    std::string session;
    int id = 0;
    uint32_t source = 0;
};

Attacker guestFrom(const Target& target, uint32_t source, int channel)
{
    Attacker a;
    a.source = source;
    std::string login = post(target.web, "login.php", "us=anonymous&pw=00000000&an=1&", source);
    a.session = element(login, "sessionID");
    a.id = std::atoi(element(login, "uid").c_str());
    post(target.web, "joinChannel.php", "ch=" + std::to_string(channel) + "&sid=" + a.session + "&ur=1&ts=0&",
         source);
    return a;
}

// Sends a request and reads the answer; the body may be sent in part (partial < size).
void exchange(const Target& target, uint32_t source, const std::string& call, const std::string& body)
{
    post(target.web, call, body, source);
}

std::string ids(size_t count, int first)
{
    std::string list;
    list.reserve(count * 14);
    for (size_t i = 0; i < count; ++i)
        list += "<id>" + std::to_string(first + int(i)) + "</id>";
    return list;
}

std::string hexOf(size_t bytes)
{
    std::string hex(bytes * 2, '0');
    for (size_t i = 0; i < hex.size(); ++i)
        hex[i] = "0123456789ABCDEF"[(i * 7) % 16];
    return hex;
}

// A loop that repeats one request until stopped.
void repeat(const std::function<void(uint32_t round)>& once, std::atomic<bool>& stop)
{
    for (uint32_t round = 0; !stop.load(); ++round)
        once(round);
}

// Opens connections from many addresses and keeps them open (re-opening those the server
// closed), each given `start` bytes and then `trickle` bytes a second.
void holdConnections(const Target& target, int port, size_t count, const std::string& start, bool trickle,
                     std::atomic<bool>& stop)
{
    std::vector<int> fds(count, -1);
    uint32_t next = 0;
    while (!stop.load()) {
        for (size_t i = 0; i < count && !stop.load(); ++i) {
            char probe;
            if (fds[i] >= 0 && ::recv(fds[i], &probe, 1, MSG_DONTWAIT | MSG_PEEK) == 0) {
                ::close(fds[i]);
                fds[i] = -1;
            }
            if (fds[i] < 0) {
                fds[i] = connectTo(port, attacker(next++));
                if (fds[i] >= 0 && !start.empty())
                    ::send(fds[i], start.data(), start.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            } else if (trickle) {
                ::send(fds[i], "x", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            }
        }
        usleep(200 * 1000);
    }
    for (int fd : fds)
        if (fd >= 0)
            ::close(fd);
    (void)target;
}

struct Attack
{
    const char* name;
    const char* what;
    std::function<void(const Target&, std::atomic<bool>&)> run;
};

std::vector<Attack> attacks()
{
    return {
        {"none", "no attack",
         [](const Target&, std::atomic<bool>& stop) {
             while (!stop.load())
                 usleep(10000);
         }},
        {"saveadmin-9MiB", "SaveAdmin bodies of 9 MiB, one after the other",
         [](const Target& t, std::atomic<bool>& stop) {
             std::string body = "sessionID=x&data=<administration><excluded>" + ids(600000, 100000) +
                                "</excluded></administration>";
             repeat([&](uint32_t round) { exchange(t, attacker(round), "SaveAdmin.php", body); }, stop);
         }},
        {"saveadmin-full", "SaveAdmin with 4 x 1000 ids and 5 x 4000-byte texts, in a loop",
         [](const Target& t, std::atomic<bool>& stop) {
             uint32_t source = attacker(5000);
             std::string login = post(t.web, "Register/Register.php",
                                      "user=Mallory&password=3D0E8682&mail=m%40example.org&", source);
             Attacker a;
             std::string reply = post(t.web, "login.php", "us=Mallory&pw=3D0E8682&an=0&", source);
             a.session = element(reply, "sessionID");
             post(t.web, "joinChannel.php", "ch=1500&sid=" + a.session + "&ur=1&ts=0&", source);
             post(t.web, "AdminChannel.php", "sessionID=" + a.session + "&release=0&", source);
             std::string text(4000, 'a');
             std::string body = "sessionID=" + a.session + "&data=<administration><Canal Titulo>" + text +
                                "</Canal Titulo><Description>" + text + "</Description><DescriptionDesktop>" +
                                text + "</DescriptionDesktop><Web>" + text + "</Web><details>" + text +
                                "</details><ChannelAccessMode>1</ChannelAccessMode><listenOnly>" +
                                ids(1000, 100000) + "</listenOnly><coadmin>" + ids(1000, 200000) +
                                "</coadmin><restricted>" + ids(1000, 300000) + "</restricted><excluded>" +
                                ids(1000, 400000) + "</excluded></administration>&";
             repeat([&](uint32_t) { exchange(t, source, "SaveAdmin.php", body); }, stop);
         }},
        {"tms-send-320k", "TMS_Send with 320,000 recipient ids, one after the other",
         [](const Target& t, std::atomic<bool>& stop) {
             Attacker a = guestFrom(t, attacker(6000), 1400);
             std::string body = "sessionID=" + a.session + "&data=<message><type>0</type><recipient>" +
                                ids(320000, 100000) + "</recipient><text>x</text></message>&";
             repeat([&](uint32_t) { exchange(t, a.source, "TMS_Send.php", body); }, stop);
         }},
        {"tms-send-full", "TMS_Send with 200 unknown recipients and 4000 bytes, in a loop",
         [](const Target& t, std::atomic<bool>& stop) {
             Attacker a = guestFrom(t, attacker(6001), 1400);
             std::string body = "sessionID=" + a.session + "&data=<message><type>0</type><recipient>" +
                                ids(200, 900000) + "</recipient><text>" + std::string(4000, 'x') +
                                "</text></message>&";
             repeat([&](uint32_t) { exchange(t, a.source, "TMS_Send.php", body); }, stop);
         }},
        {"guest-flood", "anonymous logins from 2,000 addresses, as fast as they go",
         [](const Target& t, std::atomic<bool>& stop) {
             repeat(
                 [&](uint32_t round) {
                     exchange(t, attacker(round % 2000), "login.php", "us=anonymous&pw=00000000&an=1&");
                 },
                 stop);
         }},
        {"slow-web", "520 web connections sending a byte every 200 ms, from 520 addresses",
         [](const Target& t, std::atomic<bool>& stop) {
             holdConnections(t, t.web, 520, "POST /7/login.php HTTP/1.0\r\n", true, stop);
         }},
        {"silent-voice", "5,000 voice connections that never say Hello, from 5,000 addresses",
         [](const Target& t, std::atomic<bool>& stop) {
             holdConnections(t, t.voice, 5000, "", false, stop);
         }},
        {"declared-bodies", "100 connections declaring 10 MiB bodies and sending nothing",
         [](const Target& t, std::atomic<bool>& stop) {
             holdConnections(t, t.web, 100,
                             "POST /7/SaveImage.php HTTP/1.0\r\nContent-Length: 10000000\r\n\r\n", false,
                             stop);
         }},
        {"picture-no-read", "200 clients fetching a 4 MiB picture and never reading",
         [](const Target& t, std::atomic<bool>& stop) {
             uint32_t source = attacker(7000);
             post(t.web, "Register/Register.php", "user=Trudy&password=3D0E8682&mail=t%40example.org&",
                  source);
             std::string reply = post(t.web, "login.php", "us=Trudy&pw=3D0E8682&an=0&", source);
             std::string session = element(reply, "sessionID");
             std::string uid = element(reply, "uid");
             post(t.web, "SaveImage.php",
                  "sessionID=" + session + "&imagetype=2&paramid=" + uid + "&data=" + hexOf(4 << 20) + "&",
                  source);
             std::string request = "POST /7/LoadImage.php HTTP/1.0\r\nContent-Length: 200\r\n\r\n";
             std::string body = "sessionID=" + session + "&imagetype=2&paramid=" + uid + "&";
             body.resize(200, '&');
             holdConnections(t, t.web, 200, request + body, false, stop);
         }},
        {"mailbox-flood", "a guest filling one mailbox with 4000-byte messages; the owner fetches",
         [](const Target& t, std::atomic<bool>& stop) {
             Attacker victim = guestFrom(t, attacker(8000), 1600);
             Attacker a = guestFrom(t, attacker(8001), 1600);
             std::string body = "sessionID=" + a.session + "&data=<message><type>0</type><recipient><id>" +
                                std::to_string(victim.id) + "</id></recipient><text>" +
                                std::string(4000, 'm') + "</text></message>&";
             repeat(
                 [&](uint32_t round) {
                     exchange(t, a.source, "TMS_Send.php", body);
                     if (round % 50 == 49)
                         exchange(t, victim.source, "TMS_Get.php", "sessionID=" + victim.session + "&ur=1&");
                 },
                 stop);
         }},
        {"picture-post", "4 MiB picture posts, one after the other",
         [](const Target& t, std::atomic<bool>& stop) {
             uint32_t source = attacker(9000);
             post(t.web, "Register/Register.php", "user=Oscar&password=3D0E8682&mail=o%40example.org&",
                  source);
             std::string reply = post(t.web, "login.php", "us=Oscar&pw=3D0E8682&an=0&", source);
             std::string body = "sessionID=" + element(reply, "sessionID") +
                                "&imagetype=2&paramid=" + element(reply, "uid") + "&data=" + hexOf(4 << 20) +
                                "&";
             repeat([&](uint32_t) { exchange(t, source, "SaveImage.php", body); }, stop);
         }},
    };
}

long residentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, 6, "VmRSS:") == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string serverPath;
    double seconds = 4;
    int listeners = 20;
    std::string only;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--server")
            serverPath = argv[i + 1];
        else if (option == "--seconds")
            seconds = std::clamp(std::atof(argv[i + 1]), 1.0, 30.0);
        else if (option == "--listeners")
            listeners = std::clamp(std::atoi(argv[i + 1]), 1, 60);
        else if (option == "--only")
            only = "," + std::string(argv[i + 1]) + ",";
    }
    if (serverPath.empty()) {
        std::fprintf(
            stderr,
            "usage: zumeli_attack_load --server PATH [--seconds S] [--listeners N] [--only NAME,...]\n");
        return 2;
    }
    prepareProcess();
    Launched launched = startServer(serverPath, "zumeli-attack-load");
    std::filesystem::path data = launched.data;
    Target target{launched.web, launched.voice, launched.pid};

    Setup setup;
    setup.web = target.web;
    setup.voice = target.voice;
    setup.talker = voiceClient(setup);
    while (int(setup.listeners.size()) < listeners)
        setup.listeners.push_back(voiceClient(setup));
    settle(setup, 500);

    std::printf("relay delay of 50 audio frames a second to %d listeners, %.0f s per row\n", listeners,
                seconds);
    std::printf("%-16s %10s %9s %9s %9s %11s  %s\n", "attack", "delivered", "p50 ms", "p99 ms", "max ms",
                "server RSS", "what");
    double baseline = 0;
    for (const Attack& attack : attacks()) {
        if (!only.empty() && std::string(attack.name) != "none" &&
            only.find("," + std::string(attack.name) + ",") == std::string::npos)
            continue;
        std::atomic<bool> stop{false};
        std::thread attacking([&] { attack.run(target, stop); });
        usleep(500 * 1000); // the attack under way
        Result result = talk(setup, target.server, 50, seconds, uint64_t(50 * seconds + 1));
        long rss = residentKiB(target.server);
        stop = true;
        attacking.join();
        if (std::string(attack.name) == "none")
            baseline = result.p99;
        std::printf("%-16s %4llu/%-5llu %9.2f %9.2f %9.2f %8ld MB  %s\n", attack.name,
                    (unsigned long long)result.delivered, (unsigned long long)result.expected, result.p50,
                    result.p99, result.max, rss / 1024, attack.what);
        std::fflush(stdout);
        settle(setup, 1500); // the server closes what the attack left
    }
    std::printf("p99 without attack: %.2f ms; goal: every row's p99 under %.2f ms (50 ms added)\n", baseline,
                baseline + 50);

    kill(target.server, SIGTERM);
    int status = 0;
    waitpid(target.server, &status, 0);
    for (auto& client : setup.listeners)
        ::close(client.fd);
    ::close(setup.talker.fd);
    std::filesystem::remove_all(data);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
