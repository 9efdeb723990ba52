#pragma once

#include "app/AccountWindows.h"

#include <cstdint>
#include <optional>
#include <string>

namespace Zumeli {
class AudioHardware;
}

namespace ZumeliApplication {

class ClientPanel;

// What the audio side windows (spectrum, player, recorder, audio test, auto talk) share: the
// main panel and its sound stream, a window position kept in the preferences, item access and a
// refresh timer. A window unhooks itself from the stream in unhook(), which runs when the window
// closes (and again, harmlessly, from the destructor of the window class).
class AudioSideWindow : public AccountWindow
{
public:
    void create() override;
    void show() override;
    void closing() override;
    void timerFired() override { refresh(); }

    // "x,y" of a stored window position; nothing for any other text.
    static std::optional<epiPoint> parsePosition(const std::string& text);

protected:
    // The preference that keeps the window's place, or null.
    virtual const char* positionKey() const { return nullptr; }
    virtual void unhook() {}
    virtual void refresh() {}
    void startRefresh(double seconds) { startTimer(seconds, false, true); }

    // The main panel while the main window is open, else null.
    ClientPanel* panel() const;
    // The panel's sound stream (asked with 'auhd'), or null without a panel.
    Zumeli::AudioHardware* panelHardware() const;

    epiUbo* widget(const char* item) const { return findChild(epiCodeFromText(item)); }
    int32_t itemValue(const char* item) const;
    void setItemValue(const char* item, int32_t value);
    void showText(const char* item, const std::string& text);
    std::string preference(const char* key) const;
    void setPreference(const char* key, const std::string& value);
};

} // namespace ZumeliApplication
