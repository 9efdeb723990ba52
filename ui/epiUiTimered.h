#pragma once

#include "ui/epiApplicationObject.h"

// An application object that schedules timers for itself through its application's scheduler
// and can join the window manager's animation list. Timer firings arrive on the main thread as
// timerFired() (whose base calls tick()); animation ticks as animationTick().
//
// Every timer and the animation entry are cancelled by shutdown() and by destruction.
class epiUiTimered : public epiApplicationObject
{
public:
    ~epiUiTimered() override;

    // A timer that fires after `seconds` and then, unless `once`, every `seconds`. A fixed-rate
    // timer keeps its rhythm (due + interval, catching up after a delay); otherwise the next
    // firing is `seconds` after the scan that fired it. Several timers may run at once.
    void startTimer(double seconds, bool once = false, bool fixedRate = false);
    void startOneShotTimer(double seconds) { startTimer(seconds, true, false); }
    // Cancels the first live timer of this object (one per call).
    void cancelTimer();
    // Cancels every timer of this object.
    void cancelAllTimers();
    bool hasTimer() const;

    // The animation list of the window manager: ticks every 0.04 s with the seconds since the
    // start and the number of ticks. `restart` resets both when the object is already animating.
    void startAnimation(bool restart = false);
    void stopAnimation();
    void restartAnimation();
    virtual void animationTick(double /*elapsed*/, int /*ticks*/) {}

    void shutdown() override;
};
