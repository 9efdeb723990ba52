#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Zumeli {

// The bytes waiting to go out on one voice connection: whole 47-byte packets, bounded. When a
// new packet would pass the bound the oldest whole packets not yet started are dropped, so a
// listener that cannot keep up loses old audio instead of growing the server's memory.
class OutQueue {
public:
    static constexpr size_t PacketSize = 47;

    explicit OutQueue(size_t maxPackets = 512)
        : m_maxBytes(maxPackets * PacketSize)
    {
    }

    void push(const uint8_t* packet);
    const uint8_t* data() const { return m_bytes.data() + m_start + m_sent; }
    size_t size() const { return m_bytes.size() - m_start - m_sent; }
    bool empty() const { return size() == 0; }
    // The first count bytes were written.
    void consume(size_t count);
    uint64_t dropped() const { return m_dropped; }
    size_t capacityBytes() const { return m_maxBytes; }

private:
    void dropOldest();

    size_t m_maxBytes;
    std::vector<uint8_t> m_bytes;
    size_t m_start = 0; // first byte of the first packet still (partly) waiting
    size_t m_sent = 0;  // bytes of that packet already written
    uint64_t m_dropped = 0;
};

} // namespace Zumeli
