#pragma once

#include <atomic>
#include <cstdint>

namespace Zumeli {

// The few single-word values the voice session and the audio callback share about the local
// talk. The engine sets talk active and the current codec's frame size; the callback, when it
// sees the talk end, pads the capture buffer to a whole frame and reports the capture end here.
// The engine takes the capture end (and prints the padding trace line) on its own thread, so the
// callback neither blocks nor writes to standard output.
class AudioTalkLink {
public:
    static constexpr int64_t NoCaptureEnd = -1;

    // Engine side.
    void setTalkActive(bool active) { m_talkActive.store(active, std::memory_order_release); }
    // The current codec's frameSamples (0 when there is no codec or it declares none) and number.
    void setCodec(int32_t number, int32_t frameSamples);
    int64_t captureEnd() const { return m_captureEnd.load(std::memory_order_acquire); }
    void setCaptureEnd(int64_t end) { m_captureEnd.store(end, std::memory_order_release); }
    // Prints "filling missing buffer data for codec %d\n" once for the last padding the callback
    // made, if any; returns the number of zeros (0 when nothing was padded since the last call).
    int32_t traceFill();

    // Audio callback side.
    bool talkActive() const { return m_talkActive.load(std::memory_order_acquire); }
    int32_t frameSamples() const { return m_frameSamples.load(std::memory_order_acquire); }
    void reportCaptureEnd(int64_t writeCount, int32_t filledZeros);

private:
    std::atomic<bool> m_talkActive { false };
    std::atomic<int32_t> m_frameSamples { 0 };
    std::atomic<int32_t> m_codecNumber { -1 };
    std::atomic<int64_t> m_captureEnd { NoCaptureEnd };
    std::atomic<int32_t> m_filledZeros { 0 };
};

} // namespace Zumeli
