#pragma once

#include "app/AudioSideWindow.h"
#include "audio/PlayerHandler.h"

#include <string>

namespace ZumeliApplication {

// 'aupl': plays a WAV file into what the user sends (and, at its own level, into what the user
// hears). Load (file dialog), play, stop, rewind, the position slider, loop; with 'txsw' on,
// play also presses the talk key and stop releases it. Two mix sets of the send, hear and
// microphone sliders: set 1 while space is held or the 'tako' switch is on (tab toggles it),
// set 0 otherwise. The last file loaded is kept in "ui.player.audiofile" and loaded again when
// the window opens.
class PlayerWindow : public AudioSideWindow
{
public:
    static constexpr double RefreshSeconds = 0.1;
    static constexpr const char* FilePreference = "ui.player.audiofile";

    ~PlayerWindow() override { unhook(); }

    bool handleCommand(epiCode code) override;
    bool receiveCommand(epiCode code, intptr_t value, intptr_t extra) override;
    void keyDown(int key) override;
    void keyUp(int key) override;

    Zumeli::PlayerHandler& player() { return m_player; }
    // Loads the file and shows its name, or the refusal; true when it loaded.
    bool loadFile(const std::string& path);
    void play();
    void stop();
    // The talk key is held by the player.
    bool holdsTalkKey() const { return m_talkKeyDown; }

protected:
    const char* positionKey() const override { return "ui.windowposition.audioplayer"; }
    void opened() override;
    void unhook() override;
    void refresh() override;

private:
    void chooseFile();
    void selectSet(int32_t set);
    // The sliders show the current mix set.
    void showMix();
    // A slider moved: the current set takes the three sliders.
    void takeMix();
    void pressTalkKey();
    void releaseTalkKey();

    Zumeli::PlayerHandler m_player;
    bool m_hooked = false;
    bool m_talkKeyDown = false;
    bool m_wasPlaying = false;
    bool m_spaceHeld = false;
};

} // namespace ZumeliApplication
