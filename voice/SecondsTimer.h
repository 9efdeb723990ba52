#pragma once

#include "voice/AudioClock.h"

namespace Zumeli {

// A one-shot timer that also serves as a stopwatch. Its clock is the AudioClock that
// setTimeSource names (the engine points every timer at the audio clock, so time-outs advance
// only while sound runs), or the monotonic system clock when none is set. Points in time are
// doubles, exact to the microsecond for centuries; durations are floats, since they are short.
class SecondsTimer {
public:
    SecondsTimer() = default;
    explicit SecondsTimer(const AudioClock* timeSource)
        : m_timeSource(timeSource)
    {
    }

    void setTimeSource(const AudioClock* timeSource) { m_timeSource = timeSource; }

    // Runs until now + seconds.
    void start(float seconds);
    void stop() { m_running = false; }
    bool isRunning() const { return m_running; }

    // True once when the deadline has passed (strictly), and the timer stops then; false while
    // it runs or when stopped.
    bool expired();

    // now - deadline, and now - start; 0 when not running.
    float overdue() const;
    float sinceStart() const;

    double now() const;

    // The monotonic system clock in seconds since the process first asked for it.
    static double systemSeconds();

private:
    const AudioClock* m_timeSource = nullptr;
    double m_deadline = 0;
    double m_startTime = 0;
    bool m_running = false;
};

} // namespace Zumeli
