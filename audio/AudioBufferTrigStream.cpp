#include "audio/AudioBufferTrigStream.h"

#include <algorithm>

namespace Zumeli {

bool AudioBufferTrigStream::readSamples(float* destination, int32_t n, bool allowPartial)
{
    // The request first: samples written before it are then seen by available().
    if (m_clearRequested.exchange(false, std::memory_order_acq_rel))
        m_waiting.store(false, std::memory_order_release);
    int64_t pending = available();
    if (m_waiting.load(std::memory_order_acquire)) {
        if (pending > m_threshold)
            m_waiting.store(false, std::memory_order_release);
    } else if (pending == 0) {
        m_waiting.store(true, std::memory_order_release);
    }
    if (m_waiting.load(std::memory_order_acquire))
        return false;
    return AudioBuffer::readSamples(destination, n, allowPartial);
}

float AudioBufferTrigStream::fillLevel() const
{
    if (m_threshold <= 0)
        return 1;
    return std::min(1.0f, float(available()) / float(m_threshold));
}

} // namespace Zumeli
