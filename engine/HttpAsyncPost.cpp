#include "engine/HttpAsyncPost.h"

#include "engine/HttpPostReplyDelegate.h"
#include "platform/Clock.h"

#include <cstdint>

namespace Zumeli {

HttpAsyncPost::~HttpAsyncPost() { close(); }

bool HttpAsyncPost::start(const Text& host, int port, const Text& pathPrefix, const char* path, const FormFields& fields,
                          HttpPostReplyDelegate* delegate)
{
    m_delegate = delegate;
    m_finished = false;
    m_timedOut = false;
    m_tooLarge = false;
    m_deadline = Platform::tickMilliseconds() + uint64_t(m_timeLimitMs > 0 ? m_timeLimitMs : 0);
    m_socket = std::make_unique<Socket>();
    m_reply = std::make_unique<std::vector<uint8_t>>();
    m_socket->init(this, 0);
    // The whole request may wait to be sent; the request's deadline bounds how long.
    m_socket->setSendQueueLimit(SIZE_MAX);

    Text fullPath(pathPrefix);
    fullPath.append(path);
    if (!isSafePath(fullPath)) {
        m_request.clear();
        connectionFailed();
        return false;
    }
    m_request = buildRequest(pathPrefix, path, fields.body());
    // The request goes out once a later poll finds the connection made.
    if (!m_socket->connect(host.c_str(), port, 0, HttpLimits::ConnectTimeoutMs)) {
        connectionFailed(); // reported at the next poll
        return false;
    }
    return true;
}

void HttpAsyncPost::pollSocket()
{
    if (m_finished || !m_socket)
        return;
    m_socket->poll();
    if (m_tooLarge) {
        finishWithFailure();
    } else if (!m_finished && Platform::tickMilliseconds() >= m_deadline) {
        m_timedOut = true;
        finishWithFailure();
    }
}

void HttpAsyncPost::report()
{
    if (!m_finished || !m_delegate)
        return;
    if (m_timedOut || m_tooLarge || !m_reply || m_reply->empty())
        m_delegate->failure();
    else
        m_delegate->replyData(*m_reply);
}

bool HttpAsyncPost::poll()
{
    pollSocket();
    if (!m_finished)
        return false;
    report();
    return true;
}

void HttpAsyncPost::close()
{
    m_socket.reset();
    m_reply.reset();
}

void HttpAsyncPost::finishWithFailure()
{
    if (m_socket)
        m_socket->closeSocket();
    m_finished = true;
}

void HttpAsyncPost::dataReceived(const uint8_t* bytes, int count)
{
    if (!m_reply || m_tooLarge || count <= 0)
        return;
    // The connection is closed by pollSocket() once the socket's poll is over.
    if (m_reply->size() + size_t(count) > size_t(HttpLimits::MaxReplyBytes)) {
        m_tooLarge = true;
        return;
    }
    m_reply->insert(m_reply->end(), bytes, bytes + count);
}

void HttpAsyncPost::connectionClosed() { m_finished = true; }

void HttpAsyncPost::connected()
{
    if (m_socket)
        m_socket->send(m_request.data(), m_request.length());
}

void HttpAsyncPost::connectionFailed() { m_finished = true; }

} // namespace Zumeli
