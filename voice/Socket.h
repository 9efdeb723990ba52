#pragma once

#include "voice/ISocketDelegate.h"

#include <netinet/in.h>

#include <cstddef>
#include <string>
#include <cstdint>
#include <vector>

namespace Zumeli {

// A TCP client that is polled, never waited on, and can cut the byte stream into fixed-size
// records. Sending never waits: what the kernel does not take at once waits in a bounded
// outgoing queue that every poll() drains. When the queue would overflow, or the peer fails,
// the connection ends (the delegate hears connectionClosed) rather than leave part of a record
// on the wire. Nothing blocks: connect() only starts the attempt (a host name is looked up on
// another thread first), and a later poll() reports connected or connection failed, within the
// connect time-out.
class Socket {
public:
    // Option bits of connect().
    enum Options : int { KeepAlive = 1, NoDelay = 2, SendLowWater = 4 };

    static constexpr int DefaultConnectTimeoutMs = 4000;
    // About 1400 voice packets: far more than a healthy link ever holds back.
    static constexpr size_t DefaultSendQueueLimit = 64 * 1024;
    // One poll() reads at most this much, so a flooding peer cannot hold the caller; the rest
    // waits in the kernel for the next poll.
    static constexpr int MaxBytesPerPoll = 256 * 1024;

    Socket() = default;
    ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Stores the delegate and the record size (0: deliver bytes as they come).
    void init(ISocketDelegate* delegate, int recordSize);

    // Starts connecting to host:port (IPv4, first address of the name). A later poll() tells
    // the delegate connected, or connection failed (also when the name is unknown, nothing
    // answered within timeoutMs, or the attempt could not even start). Bytes sent meanwhile
    // wait in the outgoing queue. True when the attempt is under way.
    bool connect(const char* host, int port, int options, int timeoutMs = DefaultConnectTimeoutMs);
    bool isConnecting() const { return m_state == State::Resolving || m_state == State::Connecting; }

    // Takes over an already connected stream handle (a socket pair in tests and tools), as
    // if connect() had made it; no notification is raised.
    void adopt(int handle);

    // Queues all bytes and writes what the kernel takes now. False when closed, and when the
    // bytes do not fit the queue or the peer failed: the connection is then closed and the
    // delegate told (connectionClosed), and none of the bytes were queued.
    bool send(const void* bytes, int count);
    void setSendQueueLimit(size_t bytes) { m_sendQueueLimit = bytes; }
    size_t pendingSendBytes() const { return m_outgoing.size() - m_outgoingSent; }

    // Carries a connect forward; writes what waits to be sent, then reads what is available
    // now. Never waits.
    void poll();

    void closeSocket();
    bool isOpen() const { return m_handle >= 0; }
    int handle() const { return m_handle; }
    int recordFill() const { return m_recordFill; }

private:
    enum class State { Closed, Resolving, Connecting, Connected, FailedToConnect };

    bool readStep(int& budget);
    // One look at a connect under way; true once connected.
    bool advanceConnect();
    void resolveAndStart();
    bool startConnect(const in_addr& address);
    void failConnect();
    // Writes queued bytes until the kernel takes no more; false when the connection failed.
    bool flush();
    void failSending();

    int m_recordSize = 0;
    int m_handle = -1;
    State m_state = State::Closed;
    std::string m_host;
    int m_port = 0;
    int m_options = 0;
    uint64_t m_connectDeadline = 0;
    ISocketDelegate* m_delegate = nullptr;
    std::vector<uint8_t> m_record;
    int m_recordFill = 0;
    std::vector<uint8_t> m_outgoing;
    size_t m_outgoingSent = 0;
    size_t m_sendQueueLimit = DefaultSendQueueLimit;
};

} // namespace Zumeli
