#include "app/TimedPlayerWindow.h"

#include "ui/epiApplication.h"

#include <cstdio>

namespace ZumeliApplication {

void TimedPlayerWindow::opened()
{
    PlayerWindow::opened();
    // Each event plays the file once; the talk ends with it until the next event.
    player().setLoop(false);
    setItemValue("loop", 0);
    if (fieldText("mins").empty())
        setFieldText("mins", std::to_string(Zumeli::TimedPlayback::DefaultMinutes));
    setFilter("mins", "0123456789");
    showText("next", "");
}

void TimedPlayerWindow::refresh()
{
    PlayerWindow::refresh();
    double now = application() ? application()->now() : 0;
    if (m_schedule.due(now) && player().loaded()) {
        player().rewind();
        play();
    }
    if (!m_schedule.running()) {
        showText("next", "");
        return;
    }
    // "Time to event: hh:mm:ss", with the words in the user's language.
    int64_t seconds = m_schedule.secondsToEvent(now);
    char clock[32];
    std::snprintf(clock, sizeof clock, " %02d:%02d:%02d", int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60));
    showText("next", tr("]Time to event:[") + clock);
}

bool TimedPlayerWindow::handleCommand(epiCode command)
{
    switch (command) {
    case epiFourCC("tmgo"): {
        int32_t minutes = Zumeli::TimedPlayback::minutesFromText(fieldText("mins"));
        setFieldText("mins", std::to_string(minutes));
        m_schedule.setIntervalMinutes(minutes);
        m_schedule.start(application() ? application()->now() : 0);
        refresh();
        return true;
    }
    case epiFourCC("tmst"):
        m_schedule.stop();
        refresh();
        return true;
    default: return PlayerWindow::handleCommand(command);
    }
}

} // namespace ZumeliApplication
