#pragma once

#include "app/AudioSideWindow.h"
#include "audio/RecorderHandler.h"

namespace ZumeliApplication {

// 'aure': records the conversation as the user hears and speaks it into a WAV file at the
// stream's rate. 'bCho' chooses the file (proposing "Recording.wav"), 'bRec' starts a recording,
// 'bStp' ends it; every 0.1 s the window moves what was recorded into the file and shows the
// recorded time. While open, the recorder is the engine's audio delegate.
class RecorderWindow : public AudioSideWindow
{
public:
    static constexpr double DrainSeconds = 0.1;
    static constexpr const char* ProposedName = "Recording.wav";

    ~RecorderWindow() override { unhook(); }

    bool handleCommand(epiCode code) override;
    Zumeli::RecorderHandler& recorder() { return m_recorder; }

protected:
    const char* positionKey() const override { return "ui.windowposition.audiorecorder"; }
    void opened() override;
    void unhook() override;
    void refresh() override;

private:
    void chooseFile();
    void startRecording();
    void stopRecording();
    void showState();

    Zumeli::RecorderHandler m_recorder;
    Zumeli::AudioHardware* m_hardware = nullptr;
    bool m_registered = false;
};

} // namespace ZumeliApplication
