#pragma once

#include <cstdint>
#include <string>

namespace Zumeli {

// The timed player's schedule: once started, the file is due at once and then every interval,
// each time one interval after the previous event (so the events do not drift however late the
// window's timer asks). Times are seconds on any monotonic clock the caller passes in.
class TimedPlayback {
public:
    static constexpr int32_t DefaultMinutes = 60;

    // The interval field's text: whole minutes from 1 to one week; anything else gives 60.
    static int32_t minutesFromText(const std::string& text);

    void setIntervalMinutes(int32_t minutes);
    int32_t intervalMinutes() const { return m_minutes; }

    void start(double now);
    void stop() { m_running = false; }
    bool running() const { return m_running; }

    // True once for each event that has come (the caller then rewinds and plays the file).
    bool due(double now);
    // Whole seconds to the next event, rounded up; 0 when stopped.
    int64_t secondsToEvent(double now) const;
    // "Time to event: hh:mm:ss".
    std::string timeToEventText(double now) const;

private:
    int32_t m_minutes = DefaultMinutes;
    bool m_running = false;
    double m_next = 0;
};

} // namespace Zumeli
