#pragma once

#include "audio/BandAnalyser.h"
#include "audio/IAudioStreamHooks.h"

namespace Zumeli {

// The spectrum view's two band analysers: one for what the microphone delivers, one for what
// goes to the speaker. AudioHardware owns one and feeds it from its block handler while the
// spectrum is on (AudioHardware::setSpectrum); the window reads the bars.
class AudioSpectrum final : public IAudioSpectrumHook {
public:
    static constexpr float LowestFrequency = 500;
    static constexpr float HighestFrequency = 5000;

    // Both analysers for the stream rate and band count, centre mode, 500 to 5000 Hz.
    void configure(int32_t rate, int32_t bands)
    {
        m_input.configure(rate, bands, true, LowestFrequency, HighestFrequency);
        m_output.configure(rate, bands, true, LowestFrequency, HighestFrequency);
    }

    void feedInput(const float* samples, int32_t n) override { m_input.feed(samples, n); }
    void feedOutput(const float* samples, int32_t n) override { m_output.feed(samples, n); }

    const BandAnalyser& input() const { return m_input; }
    const BandAnalyser& output() const { return m_output; }

private:
    BandAnalyser m_input;
    BandAnalyser m_output;
};

} // namespace Zumeli
