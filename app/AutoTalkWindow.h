#pragma once

#include "app/AudioSideWindow.h"

namespace ZumeliApplication {

// 'autk': the voice activation settings. The on switch 'aton', the activate level and time and
// the deactivate level and time (sliders in thousandths: 400 is 0.4), and the detector's level.
// Every change goes to the engine at once, which applies and saves it; the panel's 'atko'
// switch comes here while the window is open.
class AutoTalkWindow : public AudioSideWindow
{
public:
    static constexpr double MeterSeconds = 1.0 / 30;
    static constexpr int32_t LevelMaximum = 1000;
    static constexpr int32_t TimeMaximum = 3000;

    bool handleCommand(epiCode code) override;
    bool receiveCommand(epiCode code, intptr_t value, intptr_t extra) override;

protected:
    const char* positionKey() const override { return "ui.windowposition.autotalk"; }
    void opened() override;
    void refresh() override;

private:
    void showSettings();
    void applySettings();
    void showNumbers();
};

} // namespace ZumeliApplication
