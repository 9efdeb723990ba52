#pragma once

#include <cstdint>

namespace Zumeli {

// What a Socket reports while it connects and is polled. Called on the thread that polls.
class ISocketDelegate {
public:
    // Bytes arrived: one whole record when the socket cuts records, else whatever came.
    virtual void dataReceived(const uint8_t* bytes, int count) = 0;
    // The peer closed the connection or a read failed; the socket is already closed.
    virtual void connectionClosed() = 0;
    virtual void connected() = 0;
    virtual void connectionFailed() = 0;
    // A notification the socket itself never raises; kept for delegates that report errors.
    virtual void socketError() { }
    virtual ~ISocketDelegate() = default;
};

} // namespace Zumeli
