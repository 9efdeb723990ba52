#include "server/Server.h"

#include "server/Log.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Zumeli {

int64_t monotonicMs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

namespace {

constexpr int AcceptsPerPass = 64;

std::string peerName(const sockaddr_in& address)
{
    char host[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &address.sin_addr, host, sizeof host);
    return std::string(host) + ":" + std::to_string(ntohs(address.sin_port));
}

} // namespace

struct Server::WebConnection {
    enum State { Reading, Waiting, Writing, Lingering }; // Waiting: for a background job

    uint64_t id = 0;
    int fd = -1;
    std::string peer;
    uint32_t address = 0;
    bool refusing = false; // the table was full: the request is read only to be refused
    HttpRequest request;
    bool limitChecked = false;
    State state = Reading;
    std::string reply;
    size_t sent = 0;
    int status = 0;
    int64_t openedMs = 0;
    int64_t lastProgressMs = 0;
    int64_t lingerUntilMs = 0;
    size_t bodyBytes = 0; // counted in the server's budget
    std::function<void()> delivered;
    std::function<int(std::string&)> stream;

    explicit WebConnection(size_t maxBody)
        : request(maxBody)
    {
    }
};

Server::Server(ServerConfig config)
    : m_config(std::move(config))
    , m_sessions(m_config.sessionTimeoutMs)
{
}

Server::~Server()
{
    m_work.stop();
    for (auto& [id, connection] : m_web)
        if (connection->fd >= 0)
            ::close(connection->fd);
    m_relay.reset();
    for (int fd : { m_webListener, m_voiceListener, m_signalFd, m_stopFd, m_workFd, m_epoll })
        if (fd >= 0)
            ::close(fd);
}

int Server::listenOn(int port, int& boundPort)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    if (inet_pton(AF_INET, m_config.bindAddress.c_str(), &address.sin_addr) != 1) {
        Log::error("not an IPv4 address: %s", m_config.bindAddress.c_str());
        ::close(fd);
        return -1;
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 1024) != 0) {
        Log::error("cannot listen on %s:%d: %s", m_config.bindAddress.c_str(), port, std::strerror(errno));
        ::close(fd);
        return -1;
    }
    socklen_t size = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    boundPort = ntohs(address.sin_port);
    return fd;
}

bool Server::start()
{
    m_store.setDefaultCodec(m_config.defaultCodec);
    if (!m_store.open(m_config.databasePath))
        return false;
    m_store.removeGuests();
    m_relay = std::make_unique<VoiceRelay>(m_sessions, m_store, m_config.voice);

    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    m_stopFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_webListener = listenOn(m_config.webPort, m_webPort);
    m_voiceListener = listenOn(m_config.voicePort, m_voicePort);
    if (m_epoll < 0 || m_stopFd < 0 || m_webListener < 0 || m_voiceListener < 0)
        return false;
    // Clients are sent the voice port actually bound (the system chooses it when asked for 0).
    WebApiConfig web = m_config.web;
    web.voicePort = m_voicePort;
    m_api = std::make_unique<WebApi>(m_store, m_sessions, m_relay.get(), web);
    // Large pictures are decoded and stored by a worker with its own database connection (a
    // private in-memory database cannot be shared, so there everything stays on the loop).
    m_workFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_config.databasePath != ":memory:" && m_workFd >= 0 && m_backgroundStore.open(m_config.databasePath)) {
        m_api->setBackgroundStore(&m_backgroundStore);
        // The worker also copies the write-ahead log back into the file (which syncs it), so a
        // commit on the loop never does.
        m_store.database().setAutoCheckpoint(false);
        m_work.start([fd = m_workFd] {
            uint64_t one = 1;
            [[maybe_unused]] ssize_t written = ::write(fd, &one, sizeof one);
        });
    }
    auto watch = [&](int fd, uint64_t data) {
        epoll_event event {};
        event.events = EPOLLIN;
        event.data.u64 = data;
        return epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event) == 0;
    };
    watch(m_webListener, tag(WebListener, 0));
    watch(m_voiceListener, tag(VoiceListener, 0));
    watch(m_stopFd, tag(StopSource, 0));
    if (m_workFd >= 0)
        watch(m_workFd, tag(WorkDone, 0));
    if (m_config.handleSignals) {
        sigset_t signals;
        sigemptyset(&signals);
        sigaddset(&signals, SIGTERM);
        sigaddset(&signals, SIGINT);
        sigprocmask(SIG_BLOCK, &signals, nullptr);
        m_signalFd = signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
        if (m_signalFd >= 0)
            watch(m_signalFd, tag(SignalSource, 0));
    }
    m_relay->setWriteWatcher([this](const VoiceConnection& connection, bool want) {
        setWatch(connection.fd, tag(Voice, connection.id), EPOLLIN | (want ? uint32_t(EPOLLOUT) : 0u));
    });
    Log::info("listening: web %s:%d, voice %s:%d, voice address given to clients %s:%d", m_config.bindAddress.c_str(),
              m_webPort, m_config.bindAddress.c_str(), m_voicePort, m_config.web.publicHost.c_str(), m_voicePort);
    return true;
}

void Server::stop()
{
    uint64_t one = 1;
    if (m_stopFd >= 0)
        [[maybe_unused]] ssize_t written = ::write(m_stopFd, &one, sizeof one);
}

void Server::setWatch(int fd, uint64_t data, uint32_t events)
{
    epoll_event event {};
    event.events = events;
    event.data.u64 = data;
    epoll_ctl(m_epoll, EPOLL_CTL_MOD, fd, &event);
}

void Server::run()
{
    m_running = true;
    epoll_event events[256];
    int64_t lastTick = monotonicMs();
    while (m_running) {
        int count = epoll_wait(m_epoll, events, 256, 100);
        if (count < 0 && errno != EINTR) {
            Log::error("epoll_wait: %s", std::strerror(errno));
            break;
        }
        int64_t nowMs = monotonicMs();

        for (int i = 0; i < count; ++i) {
            uint64_t data = events[i].data.u64;
            uint64_t id = data & ((uint64_t(1) << 56) - 1);
            switch (Tag(data >> 56)) {
            case WebListener: acceptWeb(nowMs); break;
            case VoiceListener: acceptVoice(nowMs); break;
            case StopSource:
            case SignalSource: m_running = false; break;
            case WorkDone: finishBackgroundWork(nowMs); break;
            case Web: {
                auto it = m_web.find(id);
                if (it == m_web.end())
                    break;
                WebConnection& connection = *it->second;
                if (connection.state == WebConnection::Writing)
                    writeWeb(connection, nowMs);
                else
                    readWeb(connection, nowMs);
                break;
            }
            case Voice: {
                VoiceConnection* connection = m_relay->find(id);
                if (!connection)
                    break;
                if (events[i].events & (EPOLLIN | EPOLLHUP | EPOLLERR))
                    readVoice(*connection, nowMs);
                if (!connection->closed && (events[i].events & EPOLLOUT))
                    m_relay->writable(*connection, nowMs);
                break;
            }
            }
        }
        // Everything queued for each listener in this pass leaves in one write.
        m_relay->flush(nowMs);

        if (nowMs - lastTick >= 100) {
            lastTick = nowMs;
            timers(nowMs);
            m_relay->flush(nowMs);
        }
    }
    Log::info("stopping: %zu web and %zu voice connections closed", m_web.size(), m_relay->connectionCount());
}

void Server::acceptWeb(int64_t nowMs)
{
    // A bounded number per pass: a flood of connections waits in the listen queue while the
    // relay runs (the listener stays readable, so the next pass takes more).
    for (int taken = 0; taken < AcceptsPerPass; ++taken) {
        sockaddr_in address {};
        socklen_t size = sizeof address;
        int fd = accept4(m_webListener, reinterpret_cast<sockaddr*>(&address), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        uint32_t source = address.sin_addr.s_addr;
        const char* refusal = nullptr;
        auto perAddress = m_webPerAddress.find(source);
        if (perAddress != m_webPerAddress.end() && perAddress->second >= m_config.maxConnectionsPerAddress)
            refusal = "too many connections from its address";
        else if (m_web.size() - m_refusing >= m_config.maxWebConnections && !makeRoomForWeb(nowMs))
            refusal = "the connection table is full";
        if (refusal && m_refusing >= m_config.maxRefusing) {
            Log::warn("web %s dropped: %s", peerName(address).c_str(), refusal);
            ::close(fd);
            continue;
        }
        // The kernel's buffer for a reply is bounded too: left to grow, a client that never reads
        // would have the system hold megabytes for it, and enough of them put every connection
        // of the machine, the voice relay's among them, under memory pressure.
        int sendBuffer = int(m_config.webSendBufferBytes);
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
        auto connection = std::make_unique<WebConnection>(m_config.maxBodyBytes);
        connection->id = m_nextWebId++;
        connection->fd = fd;
        connection->peer = peerName(address);
        connection->address = source;
        connection->openedMs = nowMs;
        connection->lastProgressMs = nowMs;
        if (refusal) {
            // Read the request before answering, or closing with unread bytes would reset the
            // connection and destroy the 503 on its way.
            connection->refusing = true;
            ++m_refusing;
            Log::warn("web %s refused: %s", connection->peer.c_str(), refusal);
        } else {
            ++m_webPerAddress[source];
        }
        epoll_event event {};
        event.events = EPOLLIN;
        event.data.u64 = tag(Web, connection->id);
        epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event);
        Log::debug("web %s connected", connection->peer.c_str());
        m_web.emplace(connection->id, std::move(connection));
    }
}

// A full table gives up its oldest request still being read, when that one has had time enough
// to arrive: slow senders cannot keep out a client that sends its request at once.
bool Server::makeRoomForWeb(int64_t nowMs)
{
    WebConnection* oldest = nullptr;
    for (auto& [id, connection] : m_web)
        if (!connection->refusing && connection->state == WebConnection::Reading
            && (!oldest || connection->openedMs < oldest->openedMs))
            oldest = connection.get();
    if (!oldest || nowMs - oldest->openedMs < m_config.slowRequestMs)
        return false;
    Log::info("web %s dropped to make room: its request is still incomplete", oldest->peer.c_str());
    std::string reply = WebApi::refusal(408).bytes;
    [[maybe_unused]] ssize_t ignored = ::send(oldest->fd, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    closeWeb(*oldest);
    return true;
}

void Server::readWeb(WebConnection& connection, int64_t nowMs)
{
    char buffer[16384];
    // A bounded slice per pass: a large upload arriving at full speed is read over several
    // passes, between which the voice relay runs (the socket stays readable, so epoll returns).
    for (size_t slice = 0; slice < m_config.webReadSliceBytes;) {
        ssize_t got = ::recv(connection.fd, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (got <= 0) {
            if (connection.state == WebConnection::Reading)
                Log::info("web %s closed before a whole request", connection.peer.c_str());
            // A clean close after the whole reply: the client has it.
            if (got == 0 && connection.state == WebConnection::Lingering && connection.delivered)
                connection.delivered();
            closeWeb(connection);
            return;
        }
        if (connection.state == WebConnection::Lingering || connection.state == WebConnection::Waiting)
            continue; // the request is read; what the peer still sends is dropped
        connection.lastProgressMs = nowMs;
        slice += size_t(got);
        HttpRequest::State state = connection.request.feed(buffer, size_t(got));
        if (connection.refusing) {
            if (state != HttpRequest::Incomplete || connection.request.headComplete())
                return answer(connection, WebApi::refusal(503), nowMs);
            continue;
        }
        if (state == HttpRequest::Failed) {
            WebApi::Reply reply = WebApi::refusal(connection.request.errorStatus());
            Log::info("web %s refused %d %s", connection.peer.c_str(), reply.status, connection.request.errorReason());
            return answer(connection, std::move(reply), nowMs);
        }
        if (connection.request.headComplete() && !connection.limitChecked) {
            connection.limitChecked = true;
            if (connection.request.contentLength() > m_api->bodyLimit(connection.request.path())) {
                Log::info("web %s refused 413: %zu bytes for /%s", connection.peer.c_str(),
                          connection.request.contentLength(), connection.request.path().c_str());
                return answer(connection, WebApi::refusal(413), nowMs);
            }
        }
        // The budget counts bytes that arrived, not lengths that were declared.
        size_t body = connection.request.body().size();
        m_bodyBytes += body - connection.bodyBytes;
        connection.bodyBytes = body;
        if (state == HttpRequest::Incomplete && m_bodyBytes > m_config.bodyBudgetBytes) {
            Log::warn("web %s refused 503: request bodies in flight over budget", connection.peer.c_str());
            return answer(connection, WebApi::refusal(503), nowMs);
        }
        if (state == HttpRequest::Incomplete)
            continue;
        WebApi::Reply reply = m_api->handle(connection.request, nowMs, connection.address);
        Log::info("web %s %s /%s %d %zu bytes", connection.peer.c_str(), connection.request.method().c_str(),
                  connection.request.path().c_str(), reply.status, reply.bytes.size());
        return answer(connection, std::move(reply), nowMs);
    }
}

void Server::answer(WebConnection& connection, WebApi::Reply reply, int64_t nowMs)
{
    // The request is done with: its bytes leave the budget.
    m_bodyBytes -= connection.bodyBytes;
    connection.bodyBytes = 0;
    connection.request = HttpRequest(0);
    if (reply.background) {
        if (m_work.pending() >= m_config.maxBackgroundJobs) {
            reply = WebApi::refusal(503);
        } else {
            connection.state = WebConnection::Waiting;
            m_work.post(connection.id, std::move(reply.background));
            return;
        }
    }
    if (m_queuedBytes + reply.bytes.size() > m_config.replyBudgetBytes && reply.status == 200) {
        Log::warn("web %s refused 503: replies waiting for their clients over budget", connection.peer.c_str());
        reply = WebApi::refusal(503);
    }
    connection.reply = std::move(reply.bytes);
    m_queuedBytes += connection.reply.size();
    connection.delivered = std::move(reply.delivered);
    connection.stream = std::move(reply.stream);
    connection.status = reply.status;
    connection.state = WebConnection::Writing;
    writeWeb(connection, nowMs);
}

void Server::writeWeb(WebConnection& connection, int64_t nowMs)
{
    for (;;) {
        if (connection.sent == connection.reply.size()) {
            if (!connection.stream)
                break;
            connection.reply.clear();
            connection.sent = 0;
            int more = connection.stream(connection.reply);
            m_queuedBytes += connection.reply.size();
            if (more == WebApi::StreamFailed) {
                Log::warn("web %s reply could not be read from the database", connection.peer.c_str());
                closeWeb(connection);
                return;
            }
            if (more == WebApi::StreamDone)
                connection.stream = nullptr;
            continue;
        }
        ssize_t written = ::send(connection.fd, connection.reply.data() + connection.sent,
                                 connection.reply.size() - connection.sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (written > 0) {
            connection.sent += size_t(written);
            m_queuedBytes -= size_t(written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // Only writability now: unread request bytes must not wake the loop again and again.
            setWatch(connection.fd, tag(Web, connection.id), EPOLLOUT);
            return;
        }
        Log::info("web %s write failed: %s", connection.peer.c_str(), std::strerror(errno));
        closeWeb(connection);
        return;
    }
    // All sent: end our side and wait briefly for the peer to close, so that unread request
    // bytes do not turn the close into a reset that could destroy the reply in flight.
    ::shutdown(connection.fd, SHUT_WR);
    connection.state = WebConnection::Lingering;
    // A reply that takes something away waits longer for the client's close that confirms it.
    connection.lingerUntilMs = nowMs + (connection.delivered ? m_config.webConfirmMs : m_config.webLingerMs);
    setWatch(connection.fd, tag(Web, connection.id), EPOLLIN);
}

void Server::closeWeb(WebConnection& connection)
{
    m_bodyBytes -= connection.bodyBytes;
    m_queuedBytes -= connection.reply.size() - connection.sent;
    if (connection.refusing) {
        --m_refusing;
    } else {
        auto perAddress = m_webPerAddress.find(connection.address);
        if (perAddress != m_webPerAddress.end() && --perAddress->second == 0)
            m_webPerAddress.erase(perAddress);
    }
    ::close(connection.fd);
    m_web.erase(connection.id);
}

void Server::finishBackgroundWork(int64_t nowMs)
{
    uint64_t count = 0;
    [[maybe_unused]] ssize_t got = ::read(m_workFd, &count, sizeof count);
    for (auto& [id, reply] : m_work.take()) {
        auto it = m_web.find(id);
        // The client may have gone meanwhile; the work is done all the same.
        if (it != m_web.end() && it->second->state == WebConnection::Waiting)
            answer(*it->second, std::move(reply), nowMs);
    }
}

void Server::acceptVoice(int64_t nowMs)
{
    for (int taken = 0; taken < AcceptsPerPass; ++taken) {
        sockaddr_in address {};
        socklen_t size = sizeof address;
        int fd = accept4(m_voiceListener, reinterpret_cast<sockaddr*>(&address), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        // A full table gives up its oldest connection that has not said Hello: a real client
        // says it at once, so a flood of silent connections cannot keep it out.
        if (m_relay->connectionsFrom(address.sin_addr.s_addr) >= m_config.maxConnectionsPerAddress
            || (m_relay->connectionCount() >= m_config.maxVoiceConnections && !m_relay->dropOldestWithoutHello())) {
            Log::warn("voice %s refused: %zu connections open", peerName(address).c_str(), m_relay->connectionCount());
            ::close(fd);
            continue;
        }
        int yes = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        VoiceConnection* connection = m_relay->open(fd, peerName(address), nowMs, address.sin_addr.s_addr);
        epoll_event event {};
        event.events = EPOLLIN;
        event.data.u64 = tag(Voice, connection->id);
        epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event);
    }
}

void Server::readVoice(VoiceConnection& connection, int64_t nowMs)
{
    uint8_t buffer[47 * 256];
    // A bounded number of reads per pass keeps one flooding sender from starving the others.
    for (int round = 0; round < 4 && !connection.closed; ++round) {
        ssize_t got = ::recv(connection.fd, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (got <= 0) {
            m_relay->close(connection, got == 0 ? "peer closed" : "read failed");
            return;
        }
        m_relay->receive(connection, buffer, size_t(got), nowMs);
        if (size_t(got) < sizeof buffer)
            return;
    }
}

void Server::timers(int64_t nowMs)
{
    m_relay->tick(nowMs);
    std::vector<WebConnection*> expired;
    for (auto& [id, connection] : m_web) {
        bool late = false;
        if (connection->state == WebConnection::Lingering)
            late = nowMs >= connection->lingerUntilMs;
        else if (connection->refusing)
            late = nowMs - connection->openedMs > m_config.webLingerMs;
        else
            late = nowMs - connection->openedMs > m_config.webRequestTimeoutMs
                || (connection->state == WebConnection::Reading && nowMs - connection->lastProgressMs > m_config.webBodyIdleMs);
        if (late)
            expired.push_back(connection.get());
    }
    for (WebConnection* connection : expired) {
        if (connection->state == WebConnection::Reading) {
            // Too slow: refuse with 408 when the socket takes it, then close.
            std::string reply = WebApi::refusal(408).bytes;
            [[maybe_unused]] ssize_t ignored = ::send(connection->fd, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            Log::info("web %s timed out", connection->peer.c_str());
        } else if (connection->state == WebConnection::Writing) {
            Log::info("web %s timed out while writing", connection->peer.c_str());
        }
        closeWeb(*connection);
    }
    if (nowMs - m_lastSessionSweepMs >= 1000) {
        m_lastSessionSweepMs = nowMs;
        if (m_work.running() && m_work.pending() == 0)
            m_work.post(0, [this] {
                m_backgroundStore.database().checkpoint();
                return WebApi::Reply();
            });
        std::vector<std::string> ended = m_api->expireSessions(nowMs);
        if (!ended.empty())
            Log::info("%zu sessions expired", ended.size());
    }
}

} // namespace Zumeli
