#include "audio/AudioBufferTrail.h"

namespace Zumeli {

void AudioBufferTrail::write(const AudioData& block)
{
    m_readCount.store(m_writeCount.load(std::memory_order_relaxed), std::memory_order_release);
    writeSamples(block.samples(), block.count());
}

bool AudioBufferTrail::readSamples(float* destination, int32_t n, bool)
{
    int64_t written = m_writeCount.load(std::memory_order_acquire);
    if (!destination || n <= 0 || n >= Capacity || written - n < 1)
        return false;
    copyOut(written - n, destination, n);
    return true;
}

} // namespace Zumeli
