#include "app/AudioSideWindow.h"

#include "app/ClientPanel.h"
#include "app/ClientWindow.h"
#include "engine/Client.h"
#include "ui/epiApplication.h"
#include "ui/epiWindowManager.h"

#include <cstdio>

namespace ZumeliApplication {

std::optional<epiPoint> AudioSideWindow::parsePosition(const std::string& text)
{
    int x = 0, y = 0;
    char rest = 0;
    if (std::sscanf(text.c_str(), "%d,%d%c", &x, &y, &rest) != 2)
        return std::nullopt;
    // A place far off every screen (a monitor unplugged since) is not restored.
    if (x < -4000 || x > 16000 || y < -4000 || y > 16000)
        return std::nullopt;
    return epiPoint {x, y};
}

void AudioSideWindow::create()
{
    if (const char* key = positionKey()) {
        if (auto place = parsePosition(preference(key))) {
            epiRect at = frame();
            at.offset(place->x - at.left, place->y - at.top);
            setFrame(at);
            setAttribute(epiFourCC("aupo"), 0);
        }
    }
    AccountWindow::create();
}

void AudioSideWindow::show()
{
    // The layout gives the title as the window's text: the user sees it translated.
    if (title().isEmpty())
        setTitle(epiText(tr(text().c_str()).c_str()));
    AccountWindow::show();
}

void AudioSideWindow::closing()
{
    cancelAllTimers();
    unhook();
    if (const char* key = positionKey())
        setPreference(key, std::to_string(frame().left) + "," + std::to_string(frame().top));
    AccountWindow::closing();
}

ClientPanel* AudioSideWindow::panel() const
{
    epiWindowManager* manager = application() ? application()->windowManager() : nullptr;
    auto* main = manager ? dynamic_cast<ClientWindow*>(manager->findWindow(epiFourCC("main"))) : nullptr;
    return main ? main->panel() : nullptr;
}

Zumeli::AudioHardware* AudioSideWindow::panelHardware() const
{
    Zumeli::AudioHardware* hardware = nullptr;
    if (ClientPanel* owner = panel())
        owner->receiveCommand(epiFourCC("auhd"), reinterpret_cast<intptr_t>(&hardware), 0);
    return hardware;
}

int32_t AudioSideWindow::itemValue(const char* item) const
{
    epiUbo* found = widget(item);
    return found ? found->value() : 0;
}

void AudioSideWindow::setItemValue(const char* item, int32_t value)
{
    if (epiUbo* found = widget(item)) {
        found->setValue(value);
        found->invalidate();
    }
}

void AudioSideWindow::showText(const char* item, const std::string& text)
{
    epiUbo* found = widget(item);
    if (found && text != found->text().c_str()) {
        found->setText(epiText(text.c_str()));
        found->invalidate();
    }
}

std::string AudioSideWindow::preference(const char* key) const
{
    Zumeli::Text value;
    if (Zumeli::Client* client = engine())
        client->getPreferenceText(key, value);
    return value.c_str();
}

void AudioSideWindow::setPreference(const char* key, const std::string& value)
{
    if (Zumeli::Client* client = engine())
        client->setPreferenceText(key, Zumeli::Text(value.c_str()));
}

} // namespace ZumeliApplication
