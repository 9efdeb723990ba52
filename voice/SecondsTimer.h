#pragma once

namespace Zumeli {

// A one-shot timer that also serves as a stopwatch, on a float seconds clock. The clock is the
// float that setTimeSource names (the engine points every timer at the audio clock, so time-outs
// advance only while sound runs), or the monotonic system clock when none is set.
class SecondsTimer {
public:
    SecondsTimer() = default;
    explicit SecondsTimer(const float* timeSource)
        : m_timeSource(timeSource)
    {
    }

    void setTimeSource(const float* timeSource) { m_timeSource = timeSource; }

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

    float now() const;

    // The system clock in seconds since the process first asked for it (so a float keeps
    // millisecond precision for days).
    static float systemSeconds();

private:
    const float* m_timeSource = nullptr;
    float m_deadline = 0;
    float m_startTime = 0;
    bool m_running = false;
};

} // namespace Zumeli
