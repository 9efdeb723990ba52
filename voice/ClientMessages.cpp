#include "voice/ClientMessages.h"

namespace Zumeli {

bool ClientMessages::postPair(int32_t code, int32_t value, int32_t extra)
{
    uint32_t write = m_writeCount.load(std::memory_order_relaxed);
    uint32_t read = m_readCount.load(std::memory_order_acquire);
    if (write - read >= uint32_t(Capacity))
        return false;
    m_entries[write % Capacity] = { code, value, extra };
    m_writeCount.store(write + 1, std::memory_order_release);
    return true;
}

bool ClientMessages::take(ClientMessage& out)
{
    uint32_t read = m_readCount.load(std::memory_order_relaxed);
    uint32_t write = m_writeCount.load(std::memory_order_acquire);
    if (read == write)
        return false;
    out = m_entries[read % Capacity];
    m_readCount.store(read + 1, std::memory_order_release);
    return true;
}

bool ClientMessages::isEmpty() const { return pending() == 0; }

int32_t ClientMessages::pending() const
{
    uint32_t write = m_writeCount.load(std::memory_order_acquire);
    uint32_t read = m_readCount.load(std::memory_order_acquire);
    return int32_t(write - read);
}

} // namespace Zumeli
