#pragma once

#include "ui/epiUbo.h"

#include <cstdint>

class epiApplication;

namespace Zumeli {
class AudioSpectrum;
}

namespace ZumeliApplication {

// The widget kinds of the audio side windows, for their layouts.
void registerAudioWidgetKinds(epiApplication& app);

// The spectrum view ('zSpc'): one row per band, top to bottom from the lowest band; in each row
// the microphone's bar (green) and over it the speaker's (amber, thinner), both centred on the
// middle and as long as 0.95 × level × (half the width − 20). The rows share the height less 20.
class zumeSpectrumView : public epiUbo
{
public:
    static constexpr epiCode kKind = epiFourCC("zSpc");
    static constexpr uint32_t MicrophoneColour = 0xFF00C800; // red 0, green 200, blue 0
    static constexpr uint32_t SpeakerColour = 0xFFFFB13D;

    epiCode typeCode() const override { return kKind; }
    // The analysers to show (not owned); null shows empty rows.
    void setSpectrum(const Zumeli::AudioSpectrum* spectrum) { m_spectrum = spectrum; }
    // Half the length of a bar of this level, in pixels.
    int32_t barHalfLength(float level) const;
    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override;

private:
    const Zumeli::AudioSpectrum* m_spectrum = nullptr;
};

// A level bar ('zLvb'): the value 0 to 99 lights that share of its segments from the left,
// green, then amber above 70 and red above 90.
class zumeLevelBar : public epiUbo
{
public:
    static constexpr epiCode kKind = epiFourCC("zLvb");
    static constexpr int32_t Maximum = 99;

    epiCode typeCode() const override { return kKind; }
    void setValue(int32_t value) override;
    int32_t value() const override { return m_value; }
    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override;

private:
    int32_t m_value = 0;
};

} // namespace ZumeliApplication
