#pragma once

#include "app/AccountWindows.h"
#include "app/ClientPanel.h"

#include <string>
#include <vector>

namespace ZumeliApplication {

// 'setp': the settings. The sound devices (rebuilt at every opening, so a headset plugged in
// since shows), the talk key, the engine's switches and the language. The panel leaves the
// channel and closes its stream before it opens this window; whichever way the window closes,
// the panel is told ('prrl') to reopen the stream, register the talk key again and connect.
class SetupWindow : public AccountWindow
{
public:
    static constexpr const char* InputKey = "audiodevice.input";
    static constexpr const char* OutputKey = "audiodevice.output";
    // The device name that asks for no sound device at all: the null back end (silence).
    static constexpr const char* NullDevice = ClientPanel::NullDevice;

    // One choice of a device list: the name stored in the settings ("" the system default)
    // and what the list shows.
    struct DeviceChoice {
        std::string name;
        std::string label;
    };
    // The switches of the window: item code and settings key.
    struct Switch {
        const char* item;
        const char* key;
    };
    static const std::vector<Switch>& switches();
    // The languages offered: code ("" the system's, "en" English) and the name shown.
    struct Language {
        const char* code;
        const char* name;
    };
    static const std::vector<Language>& languages();

    // The devices of a list: the default first, then each named device with channels in that
    // direction, then no device (the null back end); a stored device that is not present keeps
    // its place at the end, marked.
    struct Labels {
        std::string systemDefault;
        std::string none;
        std::string absentMark;
    };
    static std::vector<DeviceChoice> deviceChoices(const std::vector<std::pair<std::string, int>>& devices,
                                                   const std::string& stored, const Labels& labels);

    bool handleCommand(epiCode code) override;
    void closing() override;

    const std::vector<DeviceChoice>& inputChoices() const { return m_inputs; }
    const std::vector<DeviceChoice>& outputChoices() const { return m_outputs; }

protected:
    void opened() override;

private:
    void fillDevices();
    void fillPopup(const char* item, const std::vector<DeviceChoice>& choices, const std::string& stored);
    void fillHotKey();
    void fillLanguage();
    void save();
    void saveLanguage(int index);
    std::string chosenDevice(const char* item, const std::vector<DeviceChoice>& choices) const;
    using AccountWindow::value;
    using AccountWindow::setValue;
    int value(const char* item) const;
    void setValue(const char* item, int value);
    void reloadPanel();

    std::vector<DeviceChoice> m_inputs;
    std::vector<DeviceChoice> m_outputs;
    int m_openedLanguage = -1;
    bool m_panelTold = false;
};

} // namespace ZumeliApplication
