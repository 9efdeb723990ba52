#pragma once

#include "audio/AudioBuffer.h"
#include "audio/AudioResampler.h"
#include "audio/IClientAudioDelegate.h"
#include "audio/WavFile.h"

#include <atomic>
#include <string>
#include <vector>

namespace Zumeli {

// Writes what the client hears to a 44100 Hz 16-bit mono WAV file. The audio thread only copies
// each received block into a preallocated ring; the main thread drains the ring, converts the
// device rate to 44100 Hz and writes the file.
class ReceivedAudioRecorder final : public IClientAudioDelegate {
public:
    static constexpr int32_t FileRate = 44100;
    // About -26 dBFS: speech, not the codec's noise floor.
    static constexpr float AudibleLevel = 0.05f;

    bool open(const std::string& path, int32_t deviceRate);
    // Main thread: writes what has arrived since the last call. False once writing failed.
    bool drain();
    // Drains the rest and completes the file header.
    bool finish();
    int64_t samplesWritten() const { return m_writer.samplesWritten(); }
    int64_t samplesLost() const { return m_lost; }
    // When the first audible block arrived (monotonic milliseconds), or 0 before it did.
    uint64_t firstHeardAt() const { return m_firstHeard.load(std::memory_order_acquire); }

    // Audio thread.
    void microphoneAudio(const float*, int32_t) override { }
    void receivedAudio(const float* samples, int32_t n) override;

private:
    AudioBuffer m_ring;
    AudioResampler m_resampler;
    WavWriter m_writer;
    int32_t m_deviceRate = FileRate;
    int32_t m_chunk = FileRate / 100;
    std::vector<float> m_in;
    std::vector<float> m_out;
    int64_t m_lost = 0; // written by the audio thread only, read after it stopped
    std::atomic<uint64_t> m_firstHeard { 0 };
    bool m_failed = false;
};

} // namespace Zumeli
