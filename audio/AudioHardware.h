#pragma once

#include "audio/IAudioBackend.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace Zumeli {

// What the stream feeds with every block: the client's audio path.
class IAudioProcessor {
public:
    virtual bool setAudioRate(int32_t rate) = 0;
    // Microphone samples in, speaker samples out, in place.
    virtual void processAudio(float* samples, int32_t n) = 0;

protected:
    ~IAudioProcessor() = default;
};

// The file player's two mixing stages around the client's processing.
class IAudioPlayerHook {
public:
    virtual void mixIntoInput(float* samples, int32_t n) = 0;
    virtual void mixIntoOutput(float* samples, int32_t n) = 0;

protected:
    ~IAudioPlayerHook() = default;
};

// The spectrum view's taps on what goes in and comes out.
class IAudioSpectrumHook {
public:
    virtual void feedInput(const float* samples, int32_t n) = 0;
    virtual void feedOutput(const float* samples, int32_t n) = 0;

protected:
    ~IAudioSpectrumHook() = default;
};

// The sound stream of the client: for every block the back end delivers, the microphone
// samples run through the client's processing and out to the speaker, with the file player and
// the spectrum view hooked around it and the output muted on request. Without a client it runs
// the audio test's modes (pass-through, echo after two seconds, a 440 Hz tone, silence) and
// measures levels.
//
// Real-time contract: handleBlock runs on the back end's thread and allocates nothing, takes
// no lock and writes nothing to the terminal. open, close and the setters run on the user
// interface thread; the hooks are set while the stream is closed (or are atomic pointers).
class AudioHardware final : public IAudioBlockHandler {
public:
    enum TestMode : int32_t { NoTest = -1, PassThrough = 0, Echo = 1, Tone = 2, Silence = 3 };

    AudioHardware() = default;
    ~AudioHardware() { close(); }
    AudioHardware(const AudioHardware&) = delete;
    AudioHardware& operator=(const AudioHardware&) = delete;

    // Opens and starts the stream on the back end with the named devices (empty: defaults).
    // False when no stream could be opened; the object then stays closed and the client gets no
    // audio (its clock, and with it the engine's time-outs, stands still).
    bool open(IAudioProcessor* client, std::unique_ptr<IAudioBackend> backend, const std::string& inputDevice,
              const std::string& outputDevice);
    void close();
    bool isOpen() const { return m_backend != nullptr; }

    void setMuted(bool muted) { m_muted.store(muted, std::memory_order_release); }
    void setTestMode(int32_t mode) { m_testMode.store(mode, std::memory_order_release); }
    void setPlayer(IAudioPlayerHook* player) { m_player.store(player, std::memory_order_release); }
    void setSpectrum(IAudioSpectrumHook* spectrum) { m_spectrum.store(spectrum, std::memory_order_release); }

    float inputLevel() const { return m_inputLevel.load(std::memory_order_acquire); }
    float outputLevel() const { return m_outputLevel.load(std::memory_order_acquire); }
    int32_t sampleRate() const { return m_rate; }
    // Blocks the stream has delivered since the program started (any thread).
    int64_t blocksHandled() const { return m_blocks.load(std::memory_order_acquire); }
    IAudioBackend* backend() const { return m_backend.get(); }

    void handleBlock(const float* input, float* output, int32_t n) override;

private:
    void runTest(const float* input, float* output, int32_t n);
    void updateLevel(std::atomic<float>& level, const float* samples, int32_t n);

    IAudioProcessor* m_client = nullptr;
    std::unique_ptr<IAudioBackend> m_backend;
    int32_t m_rate = 44100;
    std::atomic<bool> m_muted { false };
    std::atomic<int32_t> m_testMode { NoTest };
    std::atomic<IAudioPlayerHook*> m_player { nullptr };
    std::atomic<IAudioSpectrumHook*> m_spectrum { nullptr };
    std::atomic<float> m_inputLevel { 0 };
    std::atomic<float> m_outputLevel { 0 };
    std::atomic<int64_t> m_blocks { 0 };

    float m_block[IAudioBackend::BlockFrames] = {};
    std::vector<float> m_echo;
    int64_t m_echoWriteCount = 0;
    int64_t m_echoDelay = 0;
    int64_t m_toneSample = 0;
};

} // namespace Zumeli
