#pragma once

#include "app/AudioSideWindow.h"
#include "audio/AudioHardware.h"

namespace ZumeliApplication {

// 'tsta': tries the sound devices chosen in the settings without the engine. While it is open
// it runs a stream of its own (the panel leaves the channel and closes its stream first, and
// opens it again when this window closes: only one stream runs at a time). Four tests, each with
// a run and a stop button: the microphone straight to the speaker, the microphone two seconds
// later, a 440 Hz tone, and silence; two bars show the levels 30 times a second.
class AudioTestWindow : public AudioSideWindow
{
public:
    static constexpr double MeterSeconds = 1.0 / 30;
    static constexpr int TestCount = 4;

    ~AudioTestWindow() override { unhook(); }

    bool handleCommand(epiCode code) override;
    Zumeli::AudioHardware& hardware() { return m_hardware; }
    // The test running, or NoTest.
    int32_t runningTest() const { return m_test; }
    void runTest(int32_t mode);
    void stopTest();

protected:
    const char* positionKey() const override { return "ui.windowposition.audiotest"; }
    void opened() override;
    void unhook() override;
    void refresh() override;

private:
    // The stream of the devices chosen in the settings, without the engine.
    void openStream();
    void showState();

    Zumeli::AudioHardware m_hardware;
    int32_t m_test = Zumeli::AudioHardware::NoTest;
    bool m_panelStreamClosed = false;
};

} // namespace ZumeliApplication
