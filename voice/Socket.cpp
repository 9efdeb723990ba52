#include "voice/Socket.h"

#include "platform/Clock.h"
#include "voice/NameResolver.h"

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

void setIntOption(int handle, int level, int name, int value) { setsockopt(handle, level, name, &value, sizeof value); }

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
    m_host = host ? host : "";
    m_port = port;
    m_options = options;
    m_connectDeadline = Platform::tickMilliseconds() + uint64_t(timeoutMs > 0 ? timeoutMs : 0);
    if (m_host.empty() || port <= 0 || port > 65535) {
        m_state = State::FailedToConnect; // reported by the next poll, like every outcome
        return false;
    }
    m_state = State::Resolving;
    resolveAndStart();
    return m_state != State::FailedToConnect;
}

void Socket::resolveAndStart()
{
    NameResolver::Answer answer = NameResolver::instance().resolve(m_host);
    if (answer.state == NameResolver::State::Pending)
        return;
    if (answer.state == NameResolver::State::Failed || answer.address.s_addr == 0 || !startConnect(answer.address))
        failConnect();
}

bool Socket::startConnect(const in_addr& address)
{
    m_handle = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_handle < 0)
        return false;
    setIntOption(m_handle, SOL_SOCKET, SO_REUSEADDR, 1);
    if (m_options & KeepAlive)
        setIntOption(m_handle, SOL_SOCKET, SO_KEEPALIVE, 1);
    if (m_options & NoDelay)
        setIntOption(m_handle, IPPROTO_TCP, TCP_NODELAY, 1);
    // Linux fixes the send low-water mark at one byte, which is what that option asks for.
    sockaddr_in target {};
    target.sin_family = AF_INET;
    target.sin_port = htons(uint16_t(m_port));
    target.sin_addr = address;
    int result;
    do
        result = ::connect(m_handle, reinterpret_cast<const sockaddr*>(&target), sizeof target);
    while (result != 0 && errno == EINTR);
    if (result != 0 && errno != EINPROGRESS)
        return false;
    m_state = State::Connecting;
    return true;
}

bool Socket::advanceConnect()
{
    if (m_state == State::Resolving) {
        resolveAndStart();
        if (m_state == State::FailedToConnect)
            return false;
    }
    if (m_state == State::Connecting) {
        pollfd writable { m_handle, POLLOUT, 0 };
        int ready;
        do
            ready = ::poll(&writable, 1, 0);
        while (ready < 0 && errno == EINTR);
        if (ready < 0) {
            failConnect();
            return false;
        }
        if (ready > 0) {
            int error = 0;
            socklen_t size = sizeof error;
            if (getsockopt(m_handle, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
                failConnect();
                return false;
            }
            m_state = State::Connected;
            if (m_delegate)
                m_delegate->connected();
            return m_state == State::Connected;
        }
    }
    if ((m_state == State::Resolving || m_state == State::Connecting) && Platform::tickMilliseconds() >= m_connectDeadline)
        failConnect();
    return false;
}

void Socket::failConnect()
{
    closeSocket();
    m_state = State::FailedToConnect;
}

void Socket::adopt(int handle)
{
    closeSocket();
    m_recordFill = 0;
    m_handle = handle;
    m_state = State::Connected;
}

bool Socket::send(const void* bytes, int count)
{
    if (!(m_state == State::Connected || isConnecting()) || count < 0 || (!bytes && count > 0))
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
    if (isConnecting())
        return true; // sent once connected
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
    if (m_state == State::FailedToConnect) {
        m_state = State::Closed;
        if (m_delegate)
            m_delegate->connectionFailed();
        return;
    }
    if (isConnecting() && !advanceConnect()) {
        if (m_state == State::FailedToConnect) {
            m_state = State::Closed;
            if (m_delegate)
                m_delegate->connectionFailed();
        }
        return;
    }
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
    m_state = State::Closed;
    m_outgoing.clear();
    m_outgoingSent = 0;
}

} // namespace Zumeli
