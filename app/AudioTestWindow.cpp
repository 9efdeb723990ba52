#include "app/AudioTestWindow.h"

#include "app/ClientPanel.h"
#include "audio/AudioBackendChoice.h"

#include <cstdio>

namespace ZumeliApplication {

namespace {

constexpr const char* RunButtons[AudioTestWindow::TestCount] = {"run0", "run1", "run2", "run3"};
constexpr const char* StopButtons[AudioTestWindow::TestCount] = {"stp0", "stp1", "stp2", "stp3"};

} // namespace

void AudioTestWindow::opened()
{
    if (ClientPanel* owner = panel()) {
        owner->receiveCommand(epiFourCC("aucl"), 0, 0);
        m_panelStreamClosed = true;
    }
    openStream();
    showState();
    startRefresh(MeterSeconds);
}

void AudioTestWindow::openStream()
{
    std::string error;
    auto choice = Zumeli::AudioBackendChoice::fromEnvironment(&error);
    if (!choice) {
        std::printf("ZUMELI_AUDIO: %s; using the sound card\n", error.c_str());
        choice = Zumeli::AudioBackendChoice {};
    }
    if (m_hardware.open(nullptr, choice->create(), preference("audiodevice.input"), preference("audiodevice.output")))
        showText("stts", "");
    else
        showText("stts", tr("]No sound device could be opened.["));
}

void AudioTestWindow::unhook()
{
    m_hardware.close();
    m_test = Zumeli::AudioHardware::NoTest;
    if (m_panelStreamClosed) {
        m_panelStreamClosed = false;
        // The panel opens its stream again and goes back to the channel.
        if (ClientPanel* owner = panel())
            owner->receiveCommand(epiFourCC("prrl"), 0, 0);
    }
}

void AudioTestWindow::runTest(int32_t mode)
{
    if (mode < 0 || mode >= TestCount || !m_hardware.isOpen())
        return;
    m_test = mode;
    // Each run of the echo starts its two seconds from the start: its stream is opened anew, in
    // the echo mode from its first block on.
    if (mode == Zumeli::AudioHardware::Echo) {
        m_hardware.close();
        m_hardware.setTestMode(mode);
        openStream();
    }
    m_hardware.setTestMode(mode);
    showState();
}

void AudioTestWindow::stopTest()
{
    m_test = Zumeli::AudioHardware::NoTest;
    m_hardware.setTestMode(Zumeli::AudioHardware::NoTest);
    showState();
}

void AudioTestWindow::showState()
{
    for (int i = 0; i < TestCount; ++i) {
        setEnabled(RunButtons[i], m_hardware.isOpen() && m_test != i);
        setEnabled(StopButtons[i], m_test == i);
        setItemValue(("lmp" + std::to_string(i)).c_str(), m_test == i ? 1 : 0);
    }
}

void AudioTestWindow::refresh()
{
    setItemValue("inlv", int32_t(m_hardware.inputLevel() * 99));
    setItemValue("oulv", int32_t(m_hardware.outputLevel() * 99));
}

bool AudioTestWindow::handleCommand(epiCode command)
{
    for (int i = 0; i < TestCount; ++i) {
        if (command == epiCodeFromText(RunButtons[i])) {
            runTest(i);
            return true;
        }
        if (command == epiCodeFromText(StopButtons[i])) {
            if (m_test == i)
                stopTest();
            return true;
        }
    }
    return AudioSideWindow::handleCommand(command);
}

} // namespace ZumeliApplication
