#include "audio/TimedPlayback.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Zumeli {

namespace {

const int32_t MaxMinutes = 7 * 24 * 60;

} // namespace

int32_t TimedPlayback::minutesFromText(const std::string& text)
{
    const char* start = text.c_str();
    char* end = nullptr;
    const long value = std::strtol(start, &end, 10);
    while (end && *end == ' ')
        ++end;
    if (end == start || !end || *end != '\0' || value < 1 || value > MaxMinutes)
        return DefaultMinutes;
    return int32_t(value);
}

void TimedPlayback::setIntervalMinutes(int32_t minutes)
{
    m_minutes = (minutes >= 1 && minutes <= MaxMinutes) ? minutes : DefaultMinutes;
}

void TimedPlayback::start(double now)
{
    m_running = true;
    m_next = now;
}

bool TimedPlayback::due(double now)
{
    if (!m_running || now < m_next)
        return false;
    // A timer that missed whole intervals (a suspended machine) plays once, on the grid.
    const double interval = 60.0 * m_minutes;
    m_next += interval * (std::floor((now - m_next) / interval) + 1);
    return true;
}

int64_t TimedPlayback::secondsToEvent(double now) const
{
    if (!m_running || now >= m_next)
        return 0;
    return int64_t(std::ceil(m_next - now));
}

std::string TimedPlayback::timeToEventText(double now) const
{
    const int64_t seconds = secondsToEvent(now);
    char text[64];
    std::snprintf(text, sizeof text, "Time to event: %02d:%02d:%02d", int(seconds / 3600), int(seconds / 60 % 60),
                  int(seconds % 60));
    return text;
}

} // namespace Zumeli
