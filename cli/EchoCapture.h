#pragma once

#include "audio/IClientAudioDelegate.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace Zumeli {

// What the echo bot heard of one talk, at the device rate. The audio thread appends received
// blocks to a buffer allocated beforehand (a talk longer than its capacity is cut); the main
// thread starts a capture, and takes the samples once the talk is over. Other delegates hear
// every block too (the recorder of --record).
class EchoCapture final : public IClientAudioDelegate {
public:
    EchoCapture(int32_t deviceRate, double maxSeconds, IClientAudioDelegate* next);

    // Main thread.
    void begin();
    // Stops capturing and returns what was heard since begin(), without the quiet before the
    // first and after the last audible sample (a margin of `margin` samples stays).
    std::vector<float> take(size_t margin = 0);
    bool capturing() const { return m_capturing.load(std::memory_order_acquire); }

    // Audio thread.
    void microphoneAudio(const float* samples, int32_t n) override;
    void receivedAudio(const float* samples, int32_t n) override;

private:
    std::vector<float> m_samples;
    std::atomic<size_t> m_count { 0 };
    std::atomic<bool> m_capturing { false };
    IClientAudioDelegate* m_next;
};

} // namespace Zumeli
