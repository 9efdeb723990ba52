#pragma once

#include "engine/FormFields.h"
#include "engine/HttpLimits.h"
#include "engine/HttpPost.h"
#include "voice/ISocketDelegate.h"
#include "voice/Socket.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Zumeli {

class HttpPostReplyDelegate;

// One web request on its own TCP connection, started once and then advanced by polls that never
// wait. The reply is every byte the server sends until it closes the connection; it is not
// parsed here. When finished, each poll reports to the delegate: the reply data, or a failure
// when no byte arrived, the time limit passed or the reply outgrew HttpLimits::MaxReplyBytes.
//
// Lifecycle: constructed -> started (request sent, or connection failed) -> finished -> reported
// (again on every later poll; owners stop polling after the first report) -> closed or deleted.
class HttpAsyncPost : public ISocketDelegate, public HttpPost {
public:
    HttpAsyncPost() = default;
    ~HttpAsyncPost() override;
    HttpAsyncPost(const HttpAsyncPost&) = delete;
    HttpAsyncPost& operator=(const HttpAsyncPost&) = delete;

    // The bound on the whole request, counted from start(); set before start().
    void setTimeLimit(int milliseconds) { m_timeLimitMs = milliseconds; }

    // Connects and sends the request. True when the connection was made; otherwise the request
    // is already finished and the next poll reports the failure.
    bool start(const Text& host, int port, const Text& pathPrefix, const char* path, const FormFields& fields,
               HttpPostReplyDelegate* delegate);

    // Reads what has arrived, without waiting; when finished, reports. True once reported.
    bool poll();
    // The two halves of poll(), for the blocking post.
    void pollSocket();
    void report();

    // Drops the connection and the reply at once (an abandoned request).
    void close();

    bool isFinished() const { return m_finished; }
    bool timedOut() const { return m_timedOut; }
    bool tooLarge() const { return m_tooLarge; }
    int replySize() const { return m_reply ? int(m_reply->size()) : 0; }

    // Socket notifications.
    void dataReceived(const uint8_t* bytes, int count) override;
    void connectionClosed() override;
    void connected() override;
    void connectionFailed() override;
    void socketError() override { }

private:
    void finishWithFailure();

    std::unique_ptr<Socket> m_socket;
    std::unique_ptr<std::vector<uint8_t>> m_reply;
    bool m_finished = false;
    bool m_timedOut = false;
    bool m_tooLarge = false;
    int m_timeLimitMs = HttpLimits::PolledRequestMs;
    uint64_t m_deadline = 0;
};

} // namespace Zumeli
