#pragma once

#include "voice/ISocketDelegate.h"

#include <vector>

namespace Zumeli {

// A TCP client that is polled, never waited on, and can cut the byte stream into fixed-size
// records. Only connect() and send() block, and both are bounded by time-outs so that a dead
// network cannot hold the engine's thread.
class Socket {
public:
    // Option bits of connect().
    enum Options : int { KeepAlive = 1, NoDelay = 2, SendLowWater = 4 };

    static constexpr int DefaultConnectTimeoutMs = 4000;
    static constexpr int SendTimeoutMs = 5000;
    // One poll() reads at most this much, so a flooding peer cannot hold the caller; the rest
    // waits in the kernel for the next poll.
    static constexpr int MaxBytesPerPoll = 256 * 1024;

    Socket() = default;
    ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Stores the delegate and the record size (0: deliver bytes as they come).
    void init(ISocketDelegate* delegate, int recordSize);

    // Connects to host:port (IPv4, first address of the name), reporting connected or
    // connection failed to the delegate before it returns.
    bool connect(const char* host, int port, int options, int timeoutMs = DefaultConnectTimeoutMs);

    // Takes over an already connected stream handle (a socket pair in tests and tools), as
    // if connect() had made it; no notification is raised.
    void adopt(int handle);

    // Writes all bytes; false on failure or time-out, or when closed.
    bool send(const void* bytes, int count);

    // Reads what is available now, without waiting, and delivers it.
    void poll();

    void closeSocket();
    bool isOpen() const { return m_handle >= 0; }
    int handle() const { return m_handle; }
    int recordFill() const { return m_recordFill; }

private:
    bool readStep(int& budget);

    int m_recordSize = 0;
    int m_handle = -1;
    ISocketDelegate* m_delegate = nullptr;
    std::vector<uint8_t> m_record;
    int m_recordFill = 0;
};

} // namespace Zumeli
