#include "server/OutQueue.h"

#include <cstring>

namespace Zumeli {

void OutQueue::push(const uint8_t* packet)
{
    while (m_bytes.size() - m_start + PacketSize > m_maxBytes && m_bytes.size() - m_start >= 2 * PacketSize)
        dropOldest();
    if (m_start > 0 && (m_start >= 64 * 1024 || m_start * 2 >= m_bytes.size())) {
        m_bytes.erase(m_bytes.begin(), m_bytes.begin() + std::ptrdiff_t(m_start));
        m_start = 0;
    }
    m_bytes.insert(m_bytes.end(), packet, packet + PacketSize);
}

// The packet being written cannot be taken back, so the one after it goes instead: the partly
// written packet moves into the dropped one's place.
void OutQueue::dropOldest()
{
    if (m_sent > 0)
        std::memmove(m_bytes.data() + m_start + PacketSize, m_bytes.data() + m_start, PacketSize);
    m_start += PacketSize;
    ++m_dropped;
}

void OutQueue::consume(size_t count)
{
    if (count > size())
        count = size();
    m_sent += count;
    m_start += (m_sent / PacketSize) * PacketSize;
    m_sent %= PacketSize;
    if (m_start == m_bytes.size()) {
        m_bytes.clear();
        m_start = 0;
    }
}

} // namespace Zumeli
