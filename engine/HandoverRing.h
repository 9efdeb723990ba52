#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace Zumeli {

// A fixed-capacity ring that passes ownership of heap records between the Client and the
// engine, oldest first: the producer posts a record, the consumer takes it. A post to a full
// ring gives the record back (null when it was taken), so nothing leaks and nothing blocks.
// Both ends run on the engine's thread.
template<typename T>
class HandoverRing {
public:
    explicit HandoverRing(size_t capacity)
        : m_slots(capacity)
    {
    }

    // Null when posted; the record itself when the ring is full.
    std::unique_ptr<T> post(std::unique_ptr<T> record)
    {
        if (!record || m_count == m_slots.size())
            return record;
        m_slots[(m_first + m_count) % m_slots.size()] = std::move(record);
        ++m_count;
        return nullptr;
    }
    // The oldest record, or null when empty.
    std::unique_ptr<T> take()
    {
        if (m_count == 0)
            return nullptr;
        std::unique_ptr<T> record = std::move(m_slots[m_first]);
        m_first = (m_first + 1) % m_slots.size();
        --m_count;
        return record;
    }
    size_t count() const { return m_count; }
    size_t capacity() const { return m_slots.size(); }
    bool isEmpty() const { return m_count == 0; }

private:
    std::vector<std::unique_ptr<T>> m_slots;
    size_t m_first = 0;
    size_t m_count = 0;
};

} // namespace Zumeli
