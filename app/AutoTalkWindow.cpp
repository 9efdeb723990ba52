#include "app/AutoTalkWindow.h"

#include "app/ClientPanel.h"
#include "engine/Client.h"
#include "engine/ClientPreferencesView.h"
#include "engine/Manager.h"

#include <cstdio>

namespace ZumeliApplication {

namespace {

struct Slider {
    const char* item;
    const char* number;
    int32_t maximum;
};
constexpr Slider Sliders[] = {
    {"alev", "nale", AutoTalkWindow::LevelMaximum},
    {"atim", "nati", AutoTalkWindow::TimeMaximum},
    {"dlev", "ndle", AutoTalkWindow::LevelMaximum},
    {"dtim", "ndti", AutoTalkWindow::TimeMaximum},
};

int32_t thousandths(float value) { return int32_t(value * 1000.0f + (value >= 0 ? 0.5f : -0.5f)); }

} // namespace

void AutoTalkWindow::opened()
{
    for (const Slider& slider : Sliders)
        if (epiUbo* found = widget(slider.item))
            found->setAttribute(epiFourCC("max_"), slider.maximum);
    showSettings();
    startRefresh(MeterSeconds);
}

void AutoTalkWindow::showSettings()
{
    Zumeli::Client* client = engine();
    if (!client)
        return;
    int32_t enabled = 0;
    float levels[4] = {};
    client->getAutoTalkSettings(enabled, levels[0], levels[1], levels[2], levels[3]);
    setItemValue("aton", enabled ? 1 : 0);
    for (int i = 0; i < 4; ++i)
        setItemValue(Sliders[i].item, thousandths(levels[i]));
    showNumbers();
}

void AutoTalkWindow::showNumbers()
{
    for (const Slider& slider : Sliders) {
        char number[16];
        std::snprintf(number, sizeof number, "%.3f", double(itemValue(slider.item)) * 0.001);
        showText(slider.number, number);
    }
}

void AutoTalkWindow::applySettings()
{
    if (Zumeli::Client* client = engine()) {
        client->setAutoTalkSettings(itemValue("aton") ? 1 : 0, float(itemValue("alev")) * 0.001f,
                                    float(itemValue("atim")) * 0.001f, float(itemValue("dlev")) * 0.001f,
                                    float(itemValue("dtim")) * 0.001f);
        // Saved now, not only when the program ends: a crash keeps what the user chose.
        Zumeli::ClientPreferencesView view(Zumeli::Manager::instance().preferences);
        client->audio().detector().save(view);
    }
    showNumbers();
}

void AutoTalkWindow::refresh()
{
    if (Zumeli::Client* client = engine())
        setItemValue("levl", int32_t(client->getAutoTalkLevel() * 99));
}

bool AutoTalkWindow::handleCommand(epiCode command)
{
    if (command == epiFourCC("aton")) {
        applySettings();
        // The panel's switch shows the same.
        if (panel()) {
            if (epiUbo* box = panel()->findChild(epiFourCC("atko"))) {
                box->setValue(itemValue("aton"));
                box->invalidate();
            }
        }
        return true;
    }
    for (const Slider& slider : Sliders)
        if (command == epiCodeFromText(slider.item)) {
            applySettings();
            return true;
        }
    return AudioSideWindow::handleCommand(command);
}

bool AutoTalkWindow::receiveCommand(epiCode command, intptr_t value, intptr_t extra)
{
    if (command == epiFourCC("atko")) {
        setItemValue("aton", value ? 1 : 0);
        applySettings();
        return true;
    }
    return AudioSideWindow::receiveCommand(command, value, extra);
}

} // namespace ZumeliApplication
