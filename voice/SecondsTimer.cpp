#include "voice/SecondsTimer.h"

#include "platform/Clock.h"

namespace Zumeli {

double SecondsTimer::systemSeconds()
{
    static const uint64_t origin = Platform::tickMilliseconds();
    return double(Platform::tickMilliseconds() - origin) * 0.001;
}

double SecondsTimer::now() const
{
    return m_timeSource ? m_timeSource->seconds() : systemSeconds();
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

float SecondsTimer::overdue() const { return m_running ? float(now() - m_deadline) : 0.0f; }

float SecondsTimer::sinceStart() const { return m_running ? float(now() - m_startTime) : 0.0f; }

} // namespace Zumeli
