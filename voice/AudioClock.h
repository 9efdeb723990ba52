#pragma once

#include <atomic>
#include <cstdint>

namespace Zumeli {

// Time measured in audio processed: the audio thread advances it by each device block, and every
// engine timer reads it. It counts whole nanoseconds in 64 bits and carries the remainder of each
// block's duration to the next, so it neither drifts nor loses resolution however long the client
// runs (a float of seconds stops advancing after 72 hours).
//
// Threads: advance() only from the one thread that processes audio; seconds() from any thread.
class AudioClock {
public:
    AudioClock() = default;
    explicit AudioClock(double seconds) { set(seconds); }
    AudioClock(const AudioClock&) = delete;
    AudioClock& operator=(const AudioClock&) = delete;

    // Audio thread: `frames` more samples at `rate` per second have been processed.
    void advance(int32_t frames, int32_t rate);

    int64_t nanoseconds() const { return m_nanoseconds.load(std::memory_order_acquire); }
    double seconds() const { return double(nanoseconds()) * 1e-9; }

    // Moves the clock to a point in time (tests, and clocks that are not fed by a device).
    void set(double seconds);
    void advanceSeconds(double seconds) { set(this->seconds() + seconds); }

private:
    std::atomic<int64_t> m_nanoseconds { 0 };
    int64_t m_remainder = 0; // nanoseconds × rate not yet counted (audio thread only)
    int32_t m_remainderRate = 0;
};

} // namespace Zumeli
