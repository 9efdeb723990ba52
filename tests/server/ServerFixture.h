#pragma once

#include "data/Checksum.h"
#include "data/Text.h"
#include "data/UserMessagesList.h"
#include "data/XmlChunk.h"
#include "server/Log.h"
#include "server/Server.h"
#include "voice/VoicePacket.h"

#include <arpa/inet.h>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace ServerTest {

inline int64_t nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A scratch data folder, removed afterwards.
class DataFolder {
public:
    DataFolder()
        : m_path(std::filesystem::temp_directory_path()
                 / ("zumeli-server-test-" + std::to_string(getpid()) + "-" + std::to_string(counter()++)))
    {
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~DataFolder() { std::filesystem::remove_all(m_path); }
    std::string path() const { return m_path.string(); }
    std::string database() const { return (m_path / "zumeli.sqlite").string(); }

private:
    static int& counter()
    {
        static int value = 0;
        return value;
    }
    std::filesystem::path m_path;
};

// The real server on loopback ports chosen by the system, its loop on a thread of its own.
class RunningServer {
public:
    explicit RunningServer(const std::string& database, Zumeli::ServerConfig config = {})
    {
        Zumeli::Log::setLevel(Zumeli::Log::Warn);
        config.webPort = 0;
        config.voicePort = 0;
        config.bindAddress = "127.0.0.1";
        config.databasePath = database;
        m_server = std::make_unique<Zumeli::Server>(config);
        m_started = m_server->start();
        if (m_started)
            m_thread = std::thread([this] { m_server->run(); });
    }
    ~RunningServer() { stop(); }
    void stop()
    {
        if (m_thread.joinable()) {
            m_server->stop();
            m_thread.join();
        }
    }
    bool started() const { return m_started; }
    int webPort() const { return m_server->webPort(); }
    int voicePort() const { return m_server->voicePort(); }
    const Zumeli::Server& server() const { return *m_server; }

private:
    std::unique_ptr<Zumeli::Server> m_server;
    std::thread m_thread;
    bool m_started = false;
};

inline int connectTo(int port)
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
    return fd;
}

// Reads until the peer closes, at most limitMs in all.
inline std::string readAll(int fd, int limitMs = 5000)
{
    std::string reply;
    int64_t deadline = nowMs() + limitMs;
    for (;;) {
        int64_t left = deadline - nowMs();
        pollfd ready { fd, POLLIN, 0 };
        if (left <= 0 || ::poll(&ready, 1, int(left)) != 1)
            break;
        char buffer[65536];
        ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        reply.append(buffer, size_t(got));
    }
    return reply;
}

// Sends raw bytes on a fresh connection and returns everything the server answers.
inline std::string rawExchange(int port, const std::string& request)
{
    int fd = connectTo(port);
    if (fd < 0)
        return {};
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string reply = readAll(fd);
    ::close(fd);
    return reply;
}

// The request exactly as the client's transport writes it: no Host header.
inline std::string formRequest(const std::string& path, const std::string& body)
{
    return "POST /" + path + " HTTP/1.0\r\nContent-Length: " + std::to_string(body.size())
        + "\r\nContent-Type: application/x-www-form-urlencoded\r\n\r\n" + body;
}

inline std::string post(int port, const std::string& call, const std::string& body)
{
    return rawExchange(port, formRequest("7/" + call, body));
}

// The raw content of a top-level element of a reply, as the client's reader finds it.
inline std::string element(const std::string& reply, const char* name)
{
    Zumeli::Text text(reply);
    return Zumeli::XmlChunk(text).child(name).rawText().str();
}

inline std::string statusOf(const std::string& reply) { return element(reply, "status"); }

// A client of the web API with a session.
struct WebUser {
    int port = 0;
    std::string session;
    int id = 0;

    std::string call(const std::string& name, const std::string& fields) const
    {
        return post(port, name, "sessionID=" + session + "&" + fields);
    }
    std::string join(int channel, long ts = 0) const
    {
        return post(port, "joinChannel.php",
                    "ch=" + std::to_string(channel) + "&sid=" + session + "&ur=1&ts=" + std::to_string(ts) + "&");
    }
};

inline bool registerAccount(int port, const std::string& name, const std::string& digest, const std::string& mail)
{
    return statusOf(post(port, "Register/Register.php",
                         "user=" + name + "&password=" + digest + "&mail=" + mail + "&lang=en&mi=m&ms=t&ai=a&ur=1&"))
        == "OK";
}

inline std::optional<WebUser> login(int port, const std::string& name, const std::string& digest, bool guest = false)
{
    std::string reply = post(port, "login.php",
                             "us=" + name + "&pw=" + digest + "&an=" + (guest ? "1" : "0")
                                 + "&mi=m&ms=test&mc=-&ai=a&ur=1&ln=en&apn=&");
    if (statusOf(reply) != "OK")
        return std::nullopt;
    return WebUser { port, element(reply, "sessionID"), std::stoi(element(reply, "uid")) };
}

inline std::optional<WebUser> guest(int port) { return login(port, "anonymous", "00000000", true); }

// A raw voice client: writes exact packets and reads what the relay sends, every wait bounded.
class VoiceClient {
public:
    explicit VoiceClient(int port)
        : m_fd(connectTo(port))
    {
        int yes = 1;
        setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    }
    ~VoiceClient()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    VoiceClient(const VoiceClient&) = delete;

    bool connected() const { return m_fd >= 0; }
    bool sendBytes(const void* bytes, size_t count) { return ::send(m_fd, bytes, count, MSG_NOSIGNAL) == ssize_t(count); }
    bool send(Zumeli::VoicePacket packet, bool sign = true)
    {
        if (sign)
            packet.sign();
        return sendBytes(packet.bytes(), Zumeli::VoicePacket::Size);
    }
    bool hello(const std::string& session) { return send(Zumeli::VoicePacket::hello(0, session.c_str())); }
    bool audio(uint32_t sequence, uint32_t claimedSender = 0)
    {
        Zumeli::VoicePacket packet;
        packet.setSenderId(claimedSender);
        packet.setKind(Zumeli::VoicePacket::Audio);
        packet.setSequence(sequence);
        packet.setLength(33);
        for (int i = 0; i < 33; ++i)
            packet.payload()[i] = uint8_t(sequence + i);
        return send(packet);
    }
    bool control(Zumeli::VoiceMessage type) { return send(Zumeli::VoicePacket::control(0, type)); }

    // The next packet, or nothing within waitMs.
    std::optional<Zumeli::VoicePacket> next(int waitMs = 2000)
    {
        int64_t deadline = nowMs() + waitMs;
        while (m_buffer.size() < size_t(Zumeli::VoicePacket::Size)) {
            int64_t left = deadline - nowMs();
            pollfd ready { m_fd, POLLIN, 0 };
            if (left <= 0 || ::poll(&ready, 1, int(left)) != 1)
                return std::nullopt;
            uint8_t buffer[4096];
            ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                m_closed = true;
                return std::nullopt;
            }
            m_buffer.insert(m_buffer.end(), buffer, buffer + got);
        }
        Zumeli::VoicePacket packet(m_buffer.data());
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + Zumeli::VoicePacket::Size);
        return packet;
    }
    // The next packet of the given control type, skipping others; nothing within waitMs.
    std::optional<Zumeli::VoicePacket> nextOfType(Zumeli::VoiceMessage type, int waitMs = 2000)
    {
        int64_t deadline = nowMs() + waitMs;
        while (nowMs() < deadline) {
            auto packet = next(int(std::max<int64_t>(1, deadline - nowMs())));
            if (!packet)
                return std::nullopt;
            if (packet->kind() == Zumeli::VoicePacket::Control && packet->type() == uint8_t(type))
                return packet;
        }
        return std::nullopt;
    }
    // True when the server closed the connection within waitMs (packets before it are skipped).
    bool closedByServer(int waitMs = 2000)
    {
        int64_t deadline = nowMs() + waitMs;
        while (!m_closed && nowMs() < deadline)
            next(int(std::max<int64_t>(1, deadline - nowMs())));
        return m_closed;
    }
    // Collects every packet that arrives within waitMs.
    std::vector<Zumeli::VoicePacket> drain(int waitMs)
    {
        std::vector<Zumeli::VoicePacket> packets;
        int64_t deadline = nowMs() + waitMs;
        while (nowMs() < deadline) {
            auto packet = next(int(std::max<int64_t>(1, deadline - nowMs())));
            if (!packet)
                break;
            packets.push_back(*packet);
        }
        return packets;
    }

private:
    int m_fd = -1;
    std::vector<uint8_t> m_buffer;
    bool m_closed = false;
};

// A voice client that said Hello for the user and got the relay's first keep-alive.
inline std::unique_ptr<VoiceClient> joinVoice(int voicePort, const WebUser& user)
{
    auto client = std::make_unique<VoiceClient>(voicePort);
    if (!client->connected() || !client->hello(user.session))
        return nullptr;
    if (!client->nextOfType(Zumeli::VoiceMessage::KeepAlive))
        return nullptr;
    return client;
}

// A test against a real server in a scratch data folder, with the accounts and messages most
// tests start from.
class ServiceTest : public ::testing::Test {
protected:
    DataFolder folder;
    std::unique_ptr<RunningServer> server;

    static std::string digest(const char* password) { return Zumeli::checksumHex(Zumeli::Text(password)).str(); }
    // (Re)starts the server on the same data folder.
    void start(Zumeli::ServerConfig config = {})
    {
        server.reset();
        server = std::make_unique<RunningServer>(folder.database(), config);
        ASSERT_TRUE(server->started());
    }
    int port() const { return server->webPort(); }
    // A registered account (password "secret"), logged in.
    WebUser account(const std::string& name)
    {
        EXPECT_TRUE(registerAccount(port(), name, digest("secret"), name + "%40example.org"));
        auto user = login(port(), name, digest("secret"));
        EXPECT_TRUE(user);
        return user.value_or(WebUser {});
    }
    // A guest in the channel.
    WebUser inChannel(int channel)
    {
        auto user = guest(port());
        EXPECT_TRUE(user);
        EXPECT_NE(statusOf(user->join(channel)), "FAIL");
        return user.value_or(WebUser {});
    }
    // The user's voice connection, past its Hello.
    std::unique_ptr<VoiceClient> voice(const WebUser& user)
    {
        auto client = joinVoice(server->voicePort(), user);
        EXPECT_TRUE(client) << "voice Hello of user " << user.id;
        return client;
    }
    std::string sendText(const WebUser& from, std::vector<int> to, const std::string& text)
    {
        Zumeli::UserMessageData message;
        message.text = Zumeli::Text(text);
        return from.call("TMS_Send.php", "ur=1&data=" + Zumeli::UserMessagesList::messageDocument(message, to).str() + "&");
    }
};

} // namespace ServerTest
