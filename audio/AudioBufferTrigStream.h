#pragma once

#include "audio/AudioBuffer.h"

namespace Zumeli {

// The receive buffer: after running empty it waits until more than `threshold` samples (0.5 s at
// 8000 Hz) have arrived before it plays again, so network jitter does not chop a talk up.
// The wait state belongs to the consumer (the audio callback); clearWaiting may come from the
// engine thread when another user's talk ends, so the flag is atomic.
class AudioBufferTrigStream : public AudioBuffer {
public:
    static constexpr int32_t DefaultThreshold = 4000;

    bool readSamples(float* destination, int32_t n, bool allowPartial) override;
    // available / threshold, at most 1.
    float fillLevel() const override;
    // Lets what is buffered play out even below the threshold.
    void clearWaiting() override { m_waiting.store(false, std::memory_order_release); }

    bool waiting() const { return m_waiting.load(std::memory_order_acquire); }
    int32_t threshold() const { return m_threshold; }
    void setThreshold(int32_t threshold) { m_threshold = threshold; }

private:
    std::atomic<bool> m_waiting { false };
    int32_t m_threshold = DefaultThreshold;
};

} // namespace Zumeli
