#pragma once

#include "audio/IAudioBackend.h"
#include "audio/PacedAudioThread.h"
#include "audio/WavFile.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace Zumeli {

// A sound card made of files: the microphone plays a WAV file (then silence), the speaker is
// written to a WAV file. Paced in real time by default. The microphone file can be replaced
// while the stream runs (the next talk of a scripted client).
class FileAudioBackend final : public IAudioBackend {
public:
    explicit FileAudioBackend(int32_t rate = 44100, bool paced = true)
        : m_rate(rate)
        , m_paced(paced)
    {
    }
    ~FileAudioBackend() override { stop(); }

    // The microphone's file (resampled to the stream rate when it differs); empty: silence.
    bool setInputFile(const std::string& path, std::string* error = nullptr);
    // The microphone's samples, at the stream rate.
    void setInputSamples(std::vector<float> samples);
    // Samples of the input not played yet.
    int64_t inputRemaining() const;
    // Plays the microphone's file again from its start each time it ends (off: once).
    void setLoopInput(bool loop) { m_loopInput.store(loop, std::memory_order_release); }
    // The speaker's file; empty: discarded.
    void setOutputFile(const std::string& path) { m_outputPath = path; }

    bool open(const std::string& inputDevice, const std::string& outputDevice, IAudioBlockHandler& handler) override;
    int32_t sampleRate() const override { return m_rate; }
    bool start() override;
    void stop() override;
    const char* name() const override { return "file"; }

    int64_t blocksHandled() const { return m_blocks.load(std::memory_order_acquire); }

private:
    bool block();

    int32_t m_rate;
    bool m_paced;
    IAudioBlockHandler* m_handler = nullptr;
    std::string m_outputPath;
    WavWriter m_writer;
    PacedAudioThread m_thread;

    // The input is swapped by the owner's thread and read by the stream's; a mutex held only for
    // the swap and for copying one block keeps the two apart.
    mutable std::mutex m_inputLock;
    std::vector<float> m_inputSamples;
    size_t m_inputPosition = 0;

    float m_input[BlockFrames] = {};
    float m_output[BlockFrames] = {};
    std::atomic<int64_t> m_blocks { 0 };
    std::atomic<bool> m_loopInput { false };
};

} // namespace Zumeli
