#pragma once

#include "server/BackgroundWork.h"
#include "server/HttpRequest.h"
#include "server/Sessions.h"
#include "server/Store.h"
#include "server/VoiceRelay.h"
#include "server/WebApi.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

namespace Zumeli {

struct ServerConfig {
    std::string bindAddress = "127.0.0.1";
    int webPort = 8080;   // 0: any free port (tests)
    int voicePort = 9995; // 0: any free port (tests)
    std::string databasePath; // the SQLite file; ":memory:" for a throw-away store
    WebApiConfig web;
    VoiceRelayLimits voice;
    int defaultCodec = 9;
    int64_t sessionTimeoutMs = 15 * 60 * 1000;
    int64_t webRequestTimeoutMs = 10000; // to read a whole request
    int64_t webBodyIdleMs = 2000;        // a request whose bytes stop arriving this long is dropped
    int64_t slowRequestMs = 500;         // a request still unread after this may give up its place
    int64_t webLingerMs = 1000;          // after the reply, to let the peer read it before closing
    int64_t webConfirmMs = 10000;        // after a reply that is only final once the peer has read it
    size_t maxWebConnections = 512;
    size_t maxVoiceConnections = 5000;
    // Of each table, what one source address may hold; connections beyond it are refused.
    size_t maxConnectionsPerAddress = 64;
    // Refusals answered while the table is full (they read the request, answer 503 and close).
    size_t maxRefusing = 64;
    size_t maxBodyBytes = HttpRequest::DefaultMaxBodyBytes;
    // All request bodies being read at one time; a request that would pass it is refused (503),
    // so many large uploads at once cannot exhaust memory.
    size_t bodyBudgetBytes = 128 * 1024 * 1024;
    // All reply bytes waiting for slow clients; past it new requests are refused (503). Large
    // replies are read in pieces as they go, so each connection holds little.
    size_t replyBudgetBytes = 64 * 1024 * 1024;
    size_t webSendBufferBytes = 128 * 1024; // the kernel's send buffer of a web connection
    size_t webReadSliceBytes = 256 * 1024;  // read from one web connection per pass of the loop
    size_t maxBackgroundJobs = 8;           // waiting for the worker; more are refused (503)
    bool handleSignals = false; // SIGTERM and SIGINT stop the loop (the program, not tests)
};

// The whole service in one process: one epoll loop over non-blocking sockets, the web API on one
// port and the voice relay on another, storage in SQLite. Nothing blocks but the database.
class Server {
public:
    explicit Server(ServerConfig config);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Opens the store and the two listening sockets; false (with a log line) on failure.
    bool start();
    // Runs the loop until stop() is called or a signal arrives.
    void run();
    // Safe from any thread and from signal handlers.
    void stop();

    int webPort() const { return m_webPort; }
    int voicePort() const { return m_voicePort; }
    // Reply bytes the server holds for its web clients (readable from any thread).
    size_t queuedReplyBytes() const { return m_queuedBytes.load(); }
    Store& store() { return m_store; }
    VoiceRelay& relay() { return *m_relay; }

private:
    struct WebConnection;
    enum Tag : uint64_t { WebListener = 1, VoiceListener = 2, SignalSource = 3, StopSource = 4, Web = 5, Voice = 6, WorkDone = 7 };

    static uint64_t tag(Tag kind, uint64_t id) { return uint64_t(kind) << 56 | id; }
    int listenOn(int port, int& boundPort);
    void acceptWeb(int64_t nowMs);
    bool makeRoomForWeb(int64_t nowMs);
    void answer(WebConnection& connection, WebApi::Reply reply, int64_t nowMs);
    void acceptVoice(int64_t nowMs);
    void readWeb(WebConnection& connection, int64_t nowMs);
    void writeWeb(WebConnection& connection, int64_t nowMs);
    void closeWeb(WebConnection& connection);
    void readVoice(VoiceConnection& connection, int64_t nowMs);
    void timers(int64_t nowMs);
    void finishBackgroundWork(int64_t nowMs);
    void setWatch(int fd, uint64_t data, uint32_t events);

    ServerConfig m_config;
    Store m_store;
    Sessions m_sessions;
    std::unique_ptr<VoiceRelay> m_relay;
    std::unique_ptr<WebApi> m_api;
    Store m_backgroundStore; // the worker's own connection to the database
    BackgroundWork<WebApi::Reply> m_work;
    int m_workFd = -1;
    int m_epoll = -1;
    int m_webListener = -1;
    int m_voiceListener = -1;
    int m_signalFd = -1;
    int m_stopFd = -1;
    int m_webPort = 0;
    int m_voicePort = 0;
    bool m_running = false;
    uint64_t m_nextWebId = 1;
    std::unordered_map<uint64_t, std::unique_ptr<WebConnection>> m_web;
    int64_t m_lastSessionSweepMs = 0;
    size_t m_bodyBytes = 0; // received by the requests being read
    size_t m_refusing = 0;
    std::atomic<size_t> m_queuedBytes { 0 }; // reply bytes not yet written  // connections only waiting for their request to be refused
    std::unordered_map<uint32_t, size_t> m_webPerAddress;
};

// Milliseconds of the monotonic clock.
int64_t monotonicMs();

} // namespace Zumeli
