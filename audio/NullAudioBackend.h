#pragma once

#include "audio/IAudioBackend.h"
#include "audio/PacedAudioThread.h"

namespace Zumeli {

// No sound at all: silence in, output discarded, paced in real time so that the engine's audio
// clock (and with it every time-out) runs as it would with a sound card.
class NullAudioBackend final : public IAudioBackend {
public:
    explicit NullAudioBackend(int32_t rate = 44100)
        : m_rate(rate)
    {
    }
    ~NullAudioBackend() override { stop(); }

    bool open(const std::string&, const std::string&, IAudioBlockHandler& handler) override
    {
        m_handler = &handler;
        return m_rate > 0;
    }
    int32_t sampleRate() const override { return m_rate; }
    bool start() override;
    void stop() override { m_thread.stop(); }
    const char* name() const override { return "null"; }

private:
    int32_t m_rate;
    IAudioBlockHandler* m_handler = nullptr;
    PacedAudioThread m_thread;
    float m_input[BlockFrames] = {};
    float m_output[BlockFrames] = {};
};

} // namespace Zumeli
