#pragma once

#include "app/AudioSideWindow.h"

namespace ZumeliApplication {

class zumeSpectrumView;

// 'spct': the microphone's and the speaker's spectrum in 32 bands, redrawn 15 times a second.
// While it is open the panel's stream feeds the two analysers.
class SpectrumWindow : public AudioSideWindow
{
public:
    static constexpr int32_t Bands = 32;
    static constexpr double RedrawSeconds = 1.0 / 15;

    ~SpectrumWindow() override { unhook(); }

protected:
    const char* positionKey() const override { return "ui.windowposition.spectrum"; }
    void opened() override;
    void unhook() override;
    void refresh() override;

private:
    zumeSpectrumView* view() const;
    Zumeli::AudioHardware* m_hardware = nullptr;
};

} // namespace ZumeliApplication
