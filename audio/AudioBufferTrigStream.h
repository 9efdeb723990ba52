#pragma once

#include "audio/AudioBuffer.h"

namespace Zumeli {

// The receive buffer: after running empty it waits until more than `threshold` samples (0.5 s at
// 8000 Hz) have arrived before it plays again, so network jitter does not chop a talk up.
// The wait state belongs to the consumer (the audio callback). clearWaiting comes from the engine
// thread when another user's talk ends, right after the last samples were written; it only
// leaves a request that the next read carries out, so that a read deciding on an older count
// cannot overwrite it and leave the end of a talk stuck below the threshold.
class AudioBufferTrigStream : public AudioBuffer {
public:
    static constexpr int32_t DefaultThreshold = 4000;

    bool readSamples(float* destination, int32_t n, bool allowPartial) override;
    // available / threshold, at most 1.
    float fillLevel() const override;
    // Lets what is buffered play out even below the threshold.
    void clearWaiting() override { m_clearRequested.store(true, std::memory_order_release); }

    // As of the last read.
    bool waiting() const { return m_waiting.load(std::memory_order_acquire); }
    int32_t threshold() const { return m_threshold; }
    void setThreshold(int32_t threshold) { m_threshold = threshold; }

private:
    std::atomic<bool> m_waiting { false };
    std::atomic<bool> m_clearRequested { false };
    int32_t m_threshold = DefaultThreshold;
};

} // namespace Zumeli
