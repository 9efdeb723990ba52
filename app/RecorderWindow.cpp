#include "app/RecorderWindow.h"

#include "audio/AudioHardware.h"
#include "engine/Client.h"
#include "ui/epiWindowSystem.h"

#include <filesystem>

namespace ZumeliApplication {

void RecorderWindow::opened()
{
    m_hardware = panelHardware();
    if (Zumeli::Client* client = engine()) {
        client->setAudioDelegate(&m_recorder);
        m_registered = true;
    }
    showState();
    startRefresh(DrainSeconds);
}

void RecorderWindow::unhook()
{
    stopRecording();
    if (!m_registered)
        return;
    m_registered = false;
    if (Zumeli::Client* client = engine())
        client->setAudioDelegate(nullptr);
    // A block that still holds the recorder ends before the recorder goes.
    if (m_hardware && panelHardware() == m_hardware)
        m_hardware->waitForBlockEnd();
    m_hardware = nullptr;
}

void RecorderWindow::chooseFile()
{
    epiWindowSystem* system = windowSystem();
    std::string path = ProposedName;
    if (system && system->chooseFile(handle(), true, path) && !path.empty()) {
        m_recorder.setPath(path);
        showState();
    }
}

void RecorderWindow::startRecording()
{
    if (m_recorder.recording())
        return;
    // The header says the rate the stream records at.
    Zumeli::AudioHardware* hardware = panelHardware();
    m_recorder.setRate(hardware ? hardware->sampleRate() : 44100);
    if (!m_recorder.start())
        showText("stts", tr("]Cannot write the file.["));
    showState();
}

void RecorderWindow::stopRecording()
{
    if (m_recorder.recording())
        m_recorder.stop();
    showState();
}

void RecorderWindow::showState()
{
    std::string file = m_recorder.recording() ? m_recorder.fileName() : m_recorder.nextFileName();
    showText("file", std::filesystem::path(file).filename().string());
    showText("time", m_recorder.timeText());
    if (m_recorder.recording())
        showText("stts", tr("]Recording[") + " " + m_recorder.fileName());
    else if (m_recorder.healthy() && m_recorder.filesWritten() > 0)
        showText("stts", tr("]Saved[") + " " + m_recorder.fileName());
    else if (!m_recorder.healthy())
        showText("stts", tr("]Cannot write the file.["));
    setEnabled("bRec", !m_recorder.recording());
    setEnabled("bStp", m_recorder.recording());
    setEnabled("bCho", !m_recorder.recording());
    setItemValue("rlmp", m_recorder.recording() ? 1 : 0);
}

void RecorderWindow::refresh()
{
    if (!m_recorder.recording())
        return;
    m_recorder.drain();
    showText("time", m_recorder.timeText());
}

bool RecorderWindow::handleCommand(epiCode command)
{
    switch (command) {
    case epiFourCC("bCho"): chooseFile(); return true;
    case epiFourCC("bRec"): startRecording(); return true;
    case epiFourCC("bStp"): stopRecording(); return true;
    default: return AudioSideWindow::handleCommand(command);
    }
}

} // namespace ZumeliApplication
