#include "voice/AudioClock.h"

#include <cmath>

namespace Zumeli {

void AudioClock::advance(int32_t frames, int32_t rate)
{
    if (frames <= 0 || rate <= 0)
        return;
    if (rate != m_remainderRate) {
        // A stream reopened at another rate: a fraction of a nanosecond is all that is lost.
        m_remainder = 0;
        m_remainderRate = rate;
    }
    constexpr int64_t PerSecond = 1'000'000'000;
    int64_t scaled = int64_t(frames) * PerSecond + m_remainder;
    int64_t step = scaled / rate;
    m_remainder = scaled % rate;
    m_nanoseconds.store(m_nanoseconds.load(std::memory_order_relaxed) + step, std::memory_order_release);
}

void AudioClock::set(double seconds)
{
    m_nanoseconds.store(int64_t(std::llround(seconds * 1e9)), std::memory_order_release);
    m_remainder = 0;
}

} // namespace Zumeli
