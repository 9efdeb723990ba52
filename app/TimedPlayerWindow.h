#pragma once

#include "app/PlayerWindow.h"
#include "audio/TimedPlayback.h"

namespace ZumeliApplication {

// 'plut': the player that plays its file again every N minutes (the 'mins' field, 60 by
// default) once started, and shows the time to the next play. Loop starts off here: each event
// plays the file once.
class TimedPlayerWindow : public PlayerWindow
{
public:
    bool handleCommand(epiCode code) override;
    const Zumeli::TimedPlayback& schedule() const { return m_schedule; }

protected:
    const char* positionKey() const override { return "ui.windowposition.timedaudioplayer"; }
    void opened() override;
    void refresh() override;

private:
    Zumeli::TimedPlayback m_schedule;
};

} // namespace ZumeliApplication
