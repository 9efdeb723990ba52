#pragma once

#include "audio/IAudioBackend.h"

namespace Zumeli {

// A back end the test drives by hand: open and start succeed at the given rate and blocks come
// from the test's own handleBlock calls.
class ManualBackend : public IAudioBackend {
public:
    explicit ManualBackend(int32_t rate = 44100)
        : m_rate(rate)
    {
    }
    bool open(const std::string&, const std::string&, IAudioBlockHandler&) override { return true; }
    int32_t sampleRate() const override { return m_rate; }
    bool start() override { return true; }
    void stop() override { }
    const char* name() const override { return "manual"; }

private:
    int32_t m_rate;
};

} // namespace Zumeli
