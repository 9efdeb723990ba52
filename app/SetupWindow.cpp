#include "app/SetupWindow.h"

#include "app/ClientApplication.h"
#include "app/ClientPanel.h"
#include "app/ClientWindow.h"
#include "app/HotKeyController.h"
#include "audio/AudioHardware.h"
#include "audio/PortAudioBackend.h"
#include "data/CacheFolders.h"
#include "data/TextLocalizer.h"
#include "engine/Client.h"
#include "ui/epiUiSystemScroll.h"
#include "ui/epiWindowManager.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace ZumeliApplication {

namespace {

epiCode fourCC(const char* text) { return epiCodeFromText(text); }

std::string overridePath()
{
    Zumeli::Text folder = Zumeli::CacheFolders::dataFolder();
    return folder.isEmpty() ? std::string() : std::string(folder.c_str()) + Zumeli::TextLocalizer::OverrideFileName;
}

std::string readOverride()
{
    std::string path = overridePath();
    std::ifstream file(path);
    std::string code;
    if (!path.empty() && file >> code)
        return code.substr(0, 2);
    return {};
}

} // namespace

const std::vector<SetupWindow::Switch>& SetupWindow::switches()
{
    static const std::vector<Switch> all = {
        {"cbso", "public.cbsounds"},           {"mrfd", "public.messagereceivedfeed"},
        {"thru", "public.playthru"},           {"flsh", "public.flushqueuewhentalk"},
        {"noup", "public.disableusersupdates"},
    };
    return all;
}

const std::vector<SetupWindow::Language>& SetupWindow::languages()
{
    static const std::vector<Language> all = {
        {"", "]The system's language["}, {"en", "English"}, {"it", "Italiano"},
        {"es", "Español"},               {"fr", "Français"}, {"de", "Deutsch"},
    };
    return all;
}

std::vector<SetupWindow::DeviceChoice> SetupWindow::deviceChoices(
    const std::vector<std::pair<std::string, int>>& devices, const std::string& stored, const Labels& labels)
{
    std::vector<DeviceChoice> choices {{"", labels.systemDefault}};
    bool storedPresent = stored.empty() || stored == NullDevice;
    for (const auto& [name, channels] : devices) {
        if (channels <= 0 || name.empty() || name == NullDevice)
            continue;
        choices.push_back({name, epiUiSystemPopup::itemText(name)});
        storedPresent = storedPresent || name == stored;
    }
    choices.push_back({NullDevice, labels.none});
    // A headset that is unplugged now stays chosen until the user chooses another device.
    if (!storedPresent)
        choices.push_back({stored, epiUiSystemPopup::itemText(stored + " " + labels.absentMark)});
    return choices;
}

void SetupWindow::opened()
{
    m_panelTold = false;
    fillDevices();
    fillHotKey();
    fillLanguage();
    if (Zumeli::Client* client = engine())
        for (const Switch& entry : switches()) {
            Zumeli::Text stored;
            client->getPreferenceText(entry.key, stored);
            setValue(entry.item, std::atoi(stored.c_str()) != 0 ? 1 : 0);
        }
}

void SetupWindow::fillDevices()
{
    // The stream the panel runs (normally none: the panel closes it before the settings open).
    Zumeli::AudioHardware* hardware = nullptr;
    epiWindow* main = windowManager() ? windowManager()->findWindow(fourCC("main")) : nullptr;
    if (main)
        main->receiveCommand(fourCC("auhd"), reinterpret_cast<intptr_t>(&hardware), 0);
    bool portAudioRuns = hardware && hardware->isOpen() && hardware->backend() &&
                         std::string(hardware->backend()->name()) == "portaudio";
    // PortAudio lists only the devices present when it started: restart it to see those
    // plugged in since, unless a stream of it is running.
    if (!portAudioRuns)
        Zumeli::PortAudioBackend::reinitialise();
    std::vector<std::pair<std::string, int>> inputs, outputs;
    for (const auto& device : Zumeli::PortAudioBackend::devices()) {
        inputs.push_back({device.name, device.inputChannels});
        outputs.push_back({device.name, device.outputChannels});
    }
    Zumeli::Text input, output;
    if (Zumeli::Client* client = engine()) {
        client->getPreferenceText(InputKey, input);
        client->getPreferenceText(OutputKey, output);
    }
    Labels labels {tr("]The system's microphone["), tr("]None (silence)["), tr("](not connected)[")};
    m_inputs = deviceChoices(inputs, input.c_str(), labels);
    labels.systemDefault = tr("]The system's speakers[");
    m_outputs = deviceChoices(outputs, output.c_str(), labels);
    fillPopup("auIn", m_inputs, input.c_str());
    fillPopup("auOu", m_outputs, output.c_str());
    std::printf("Sound devices offered: %zu microphones, %zu speakers (PortAudio sees %zu devices)\n",
                m_inputs.size(), m_outputs.size(), inputs.size());

    // Which sound back end the program runs, when it is not the sound card.
    std::string note;
    if (const char* chosen = std::getenv("ZUMELI_AUDIO"); chosen && *chosen && std::string(chosen) != "portaudio")
        note = tr("]Sound runs through[") + " \"" + std::string(chosen).substr(0, std::string(chosen).find(':')) + "\"";
    else if (inputs.empty())
        note = tr("]No sound device found: Zumeli runs without sound[");
    setFieldText("auNo", note);
}

void SetupWindow::fillPopup(const char* item, const std::vector<DeviceChoice>& choices, const std::string& stored)
{
    epiUbo* popup = findChild(fourCC(item));
    if (!popup)
        return;
    std::string text;
    int selected = 0;
    for (size_t i = 0; i < choices.size(); ++i) {
        text += (i ? "|" : "") + choices[i].label;
        if (choices[i].name == stored)
            selected = int(i);
    }
    popup->setText(epiText(text.c_str()));
    popup->setValue(selected);
}

void SetupWindow::fillHotKey()
{
    epiUbo* popup = findChild(fourCC("hotk"));
    if (!popup)
        return;
    std::string text = tr("]None[");
    for (int key = 1; key <= 12; ++key)
        text += "|F" + std::to_string(key);
    popup->setText(epiText(text.c_str()));
    Zumeli::Text stored(ClientPanel::DefaultHotKey);
    if (Zumeli::Client* client = engine()) {
        Zumeli::Text value;
        if (client->getPreferenceText(ClientPanel::HotKeyPreference, value) && !value.isEmpty())
            stored = value;
    }
    popup->setValue(HotKeyController::functionKeyNumber(stored.c_str()));

    // Where the session does not let programs take a key for themselves, the panel said so.
    std::string note;
    auto* main = dynamic_cast<ClientWindow*>(windowManager() ? windowManager()->findWindow(fourCC("main")) : nullptr);
    if (main && main->panel() && !main->panel()->hotKeyNotice().empty())
        note = tr("]This desktop does not let Zumeli take the key for itself: it works while a Zumeli window has the focus[");
    setFieldText("hotN", note);
}

void SetupWindow::fillLanguage()
{
    epiUbo* popup = findChild(fourCC("lang"));
    if (!popup)
        return;
    std::string text;
    for (const Language& language : languages())
        text += (text.empty() ? "" : "|") + (language.name[0] == ']' ? tr(language.name) : std::string(language.name));
    popup->setText(epiText(text.c_str()));
    std::string code = readOverride();
    if (code.empty() && engine()) {
        Zumeli::Text english;
        engine()->getPreferenceText("public.prefersenglish", english);
        if (std::atoi(english.c_str()) != 0)
            code = "en";
    }
    int selected = 0;
    for (size_t i = 0; i < languages().size(); ++i)
        if (code == languages()[i].code)
            selected = int(i);
    popup->setValue(selected);
    m_openedLanguage = selected;
}

int SetupWindow::value(const char* item) const
{
    epiUbo* widget = findChild(fourCC(item));
    return widget ? widget->value() : 0;
}

void SetupWindow::setValue(const char* item, int value)
{
    if (epiUbo* widget = findChild(fourCC(item)))
        widget->setValue(value);
}

std::string SetupWindow::chosenDevice(const char* item, const std::vector<DeviceChoice>& choices) const
{
    int index = value(item);
    return index >= 0 && size_t(index) < choices.size() ? choices[size_t(index)].name : std::string();
}

void SetupWindow::save()
{
    Zumeli::Client* client = engine();
    if (!client)
        return;
    client->setPreferenceText(InputKey, Zumeli::Text(chosenDevice("auIn", m_inputs).c_str()));
    client->setPreferenceText(OutputKey, Zumeli::Text(chosenDevice("auOu", m_outputs).c_str()));
    // Kept for settings files shared with older clients, which chose a host layer with it; the
    // stream here never reads it.
    client->setPreferenceNumber("audiodevice.directx", Zumeli::Text("0"));
    int key = value("hotk");
    // "none" is a name that is no function key: the panel then registers nothing.
    std::string keyName = key >= 1 && key <= 12 ? "F" + std::to_string(key) : "none";
    client->setPreferenceText(ClientPanel::HotKeyPreference, Zumeli::Text(keyName.c_str()));
    for (const Switch& entry : switches())
        client->setPreferenceNumber(entry.key, Zumeli::Text(value(entry.item) ? "1" : "0"));
    saveLanguage(value("lang"));
    client->reloadSettings();
    // The panel's own play-through switch shows the new state.
    auto* main = dynamic_cast<ClientWindow*>(windowManager() ? windowManager()->findWindow(fourCC("main")) : nullptr);
    if (main && main->panel())
        if (epiUbo* box = main->panel()->findChild(fourCC("thru")))
            box->setValue(value("thru"));
}

void SetupWindow::saveLanguage(int index)
{
    Zumeli::Client* client = engine();
    if (index == m_openedLanguage || index < 0 || size_t(index) >= languages().size() || !client)
        return;
    std::string code = languages()[size_t(index)].code;
    client->setPreferenceNumber("public.prefersenglish", Zumeli::Text(code == "en" ? "1" : "0"));
    // Another language than English and the system's is the override file of the data folder.
    std::string path = overridePath();
    if (!path.empty()) {
        if (code.empty() || code == "en")
            std::remove(path.c_str());
        else
            std::ofstream(path, std::ios::trunc) << code;
    }
    // The new language applies to every text shown from now on.
    std::string table;
    ClientApplication* app = clientApplication();
    if (app && ClientApplication::readLocalizationTable(app->resources(), table))
        client->loadLocalization(Zumeli::Text(table.c_str()));
}

void SetupWindow::reloadPanel()
{
    if (m_panelTold)
        return;
    m_panelTold = true;
    if (epiWindow* main = windowManager() ? windowManager()->findWindow(fourCC("main")) : nullptr)
        main->receiveCommand(fourCC("prrl"), 0, 0);
}

bool SetupWindow::handleCommand(epiCode command)
{
    switch (command) {
    case epiFourCC("Okay"):
        save();
        reloadPanel();
        close();
        return true;
    case epiFourCC("Canc"):
        reloadPanel();
        close();
        return true;
    // The audio test and auto talk windows (their buttons cannot carry the window codes: an item
    // named by a window code would be made as that window).
    case epiFourCC("opTs"):
    case epiFourCC("opAt"):
        if (windowManager())
            windowManager()->showOrOpenWindow(command == epiFourCC("opTs") ? fourCC("tsta") : fourCC("autk"));
        return true;
    default: return AccountWindow::handleCommand(command);
    }
}

void SetupWindow::closing()
{
    // Closed by its frame: the settings stay as they were, the sound comes back.
    reloadPanel();
    AccountWindow::closing();
}

} // namespace ZumeliApplication
