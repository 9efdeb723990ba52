#include "app/PlayerWindow.h"

#include "app/ClientPanel.h"
#include "engine/Client.h"
#include "ui/epiWindowSystem.h"

#include <filesystem>

namespace ZumeliApplication {

namespace {

// The sliders' ranges: a level is the slider value × 0.001; the send slider reaches 100.
constexpr int32_t SendMaximum = 100000;
constexpr int32_t LevelMaximum = 1000;
constexpr int32_t PositionMaximum = 1000;

int32_t sliderOf(float level) { return int32_t(level * 1000.0f + 0.5f); }

} // namespace

void PlayerWindow::opened()
{
    for (const char* slider : {"thru", "micl"})
        if (epiUbo* found = widget(slider))
            found->setAttribute(epiFourCC("max_"), LevelMaximum);
    if (epiUbo* found = widget("send"))
        found->setAttribute(epiFourCC("max_"), SendMaximum);
    if (epiUbo* found = widget("scro"))
        found->setAttribute(epiFourCC("max_"), PositionMaximum);
    setItemValue("loop", m_player.loop() ? 1 : 0);
    setItemValue("txsw", 1);
    setItemValue("tako", m_player.currentSet());
    showMix();
    showText("time", m_player.timeText());
    showText("titl", tr("]No file loaded[") );

    // The stream mixes the file in from now on ('flpl': the panel's player hook).
    if (ClientPanel* owner = panel()) {
        owner->receiveCommand(epiFourCC("flpl"), reinterpret_cast<intptr_t>(&m_player), 0);
        m_hooked = true;
    }
    std::string last = preference(FilePreference);
    if (!last.empty())
        loadFile(last);
    startRefresh(RefreshSeconds);
}

void PlayerWindow::unhook()
{
    stop();
    if (m_hooked) {
        if (ClientPanel* owner = panel())
            owner->receiveCommand(epiFourCC("flpl"), 0, 0);
        m_hooked = false;
    }
}

bool PlayerWindow::loadFile(const std::string& path)
{
    stop();
    if (!m_player.load(path)) {
        showText("titl", tr("]Cannot load. Use 44100KHz 16Bit WAV audio files.["));
        return false;
    }
    showText("titl", std::filesystem::path(path).filename().string());
    setPreference(FilePreference, path);
    showText("time", m_player.timeText());
    setItemValue("scro", 0);
    return true;
}

void PlayerWindow::chooseFile()
{
    epiWindowSystem* system = windowSystem();
    std::string path;
    if (system && system->chooseFile(handle(), false, path) && !path.empty())
        loadFile(path);
}

void PlayerWindow::play()
{
    if (!m_player.loaded())
        return;
    m_player.play();
    m_wasPlaying = true;
    if (itemValue("txsw"))
        pressTalkKey();
}

void PlayerWindow::stop()
{
    m_player.stop();
    m_wasPlaying = false;
    releaseTalkKey();
}

void PlayerWindow::pressTalkKey()
{
    if (Zumeli::Client* client = engine()) {
        client->talkPressed();
        m_talkKeyDown = true;
    }
}

void PlayerWindow::releaseTalkKey()
{
    if (!m_talkKeyDown)
        return;
    m_talkKeyDown = false;
    if (Zumeli::Client* client = engine())
        client->talkReleased();
}

void PlayerWindow::selectSet(int32_t set)
{
    m_player.selectSet(set);
    setItemValue("tako", m_player.currentSet());
    showMix();
}

void PlayerWindow::showMix()
{
    Zumeli::PlayerHandler::MixLevels levels = m_player.mix(m_player.currentSet());
    setItemValue("send", sliderOf(levels.send));
    setItemValue("thru", sliderOf(levels.hear));
    setItemValue("micl", sliderOf(levels.microphone));
}

void PlayerWindow::takeMix()
{
    Zumeli::PlayerHandler::MixLevels levels;
    levels.send = float(itemValue("send")) * 0.001f;
    levels.hear = float(itemValue("thru")) * 0.001f;
    levels.microphone = float(itemValue("micl")) * 0.001f;
    m_player.setMix(m_player.currentSet(), levels);
}

void PlayerWindow::refresh()
{
    showText("time", m_player.timeText());
    epiUbo* slider = widget("scro");
    if (slider && m_player.length() > 0 && !slider->hasMouseCapture())
        setItemValue("scro", int32_t(m_player.position() * PositionMaximum / m_player.length()));
    // The end of a file that does not loop: the talk ends with it.
    if (m_wasPlaying && !m_player.isPlaying())
        stop();
    // The play key stays lit while the file plays.
    if (itemValue("play") != (m_player.isPlaying() ? 1 : 0))
        setItemValue("play", m_player.isPlaying() ? 1 : 0);
}

bool PlayerWindow::handleCommand(epiCode command)
{
    switch (command) {
    case epiFourCC("load"): chooseFile(); return true;
    case epiFourCC("play"): play(); return true;
    case epiFourCC("stop"): stop(); return true;
    case epiFourCC("rewi"): m_player.rewind(); return true;
    case epiFourCC("scro"): m_player.seekSlider(itemValue("scro")); return true;
    case epiFourCC("loop"): m_player.setLoop(itemValue("loop") != 0); return true;
    case epiFourCC("txsw"):
        // Turned off while playing: the talk key goes up; on: it goes down.
        if (!itemValue("txsw"))
            releaseTalkKey();
        else if (m_player.isPlaying() && !m_talkKeyDown)
            pressTalkKey();
        return true;
    case epiFourCC("tako"): selectSet(itemValue("tako")); return true;
    case epiFourCC("send"):
    case epiFourCC("thru"):
    case epiFourCC("micl"): takeMix(); return true;
    default: return AudioSideWindow::handleCommand(command);
    }
}

bool PlayerWindow::receiveCommand(epiCode command, intptr_t value, intptr_t extra)
{
    switch (command) {
    case epiFourCC("refr"):
        // A new channel while playing: the talk key goes down again there.
        if (m_player.isPlaying() && itemValue("txsw")) {
            m_talkKeyDown = false;
            pressTalkKey();
        }
        return true;
    case epiFourCC("conn"):
    case epiFourCC("disc"): return true;
    default: return AudioSideWindow::receiveCommand(command, value, extra);
    }
}

void PlayerWindow::keyDown(int key)
{
    if (key == ' ' && !m_spaceHeld) {
        m_spaceHeld = true;
        selectSet(Zumeli::PlayerHandler::KeyDownSet);
    } else if (key == '\t') {
        m_player.toggleSet();
        selectSet(m_player.currentSet());
    } else {
        AudioSideWindow::keyDown(key);
    }
}

void PlayerWindow::keyUp(int key)
{
    if (key == ' ') {
        m_spaceHeld = false;
        selectSet(Zumeli::PlayerHandler::KeyUpSet);
    } else {
        AudioSideWindow::keyUp(key);
    }
}

} // namespace ZumeliApplication
