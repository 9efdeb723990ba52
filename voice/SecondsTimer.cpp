#include "voice/SecondsTimer.h"

#include "platform/Clock.h"

#include <atomic>

namespace Zumeli {

float SecondsTimer::systemSeconds()
{
    static const uint64_t origin = Platform::tickMilliseconds();
    return float(Platform::tickMilliseconds() - origin) * 0.001f;
}

// The time source may be the audio clock, which the audio callback advances on its own thread;
// it is read atomically so the engine never sees a torn value.
float SecondsTimer::now() const
{
    if (!m_timeSource)
        return systemSeconds();
    return std::atomic_ref<float>(const_cast<float&>(*m_timeSource)).load(std::memory_order_acquire);
}

void SecondsTimer::start(float seconds)
{
    m_running = true;
    m_startTime = now();
    m_deadline = m_startTime + seconds;
}

bool SecondsTimer::expired()
{
    if (!m_running)
        return false;
    if (now() > m_deadline) {
        m_running = false;
        return true;
    }
    return false;
}

float SecondsTimer::overdue() const { return m_running ? now() - m_deadline : 0.0f; }

float SecondsTimer::sinceStart() const { return m_running ? now() - m_startTime : 0.0f; }

} // namespace Zumeli
