#include "ui/epiUiTimered.h"

#include "ui/epiApplication.h"
#include "ui/epiWindowManager.h"

epiUiTimered::~epiUiTimered()
{
    if (application() && application()->windowManager())
        application()->windowManager()->stopAnimation(this);
}

void epiUiTimered::startTimer(double seconds, bool once, bool fixedRate)
{
    if (application())
        application()->scheduleTimer(this, seconds, once, fixedRate);
}

void epiUiTimered::cancelTimer()
{
    if (application())
        application()->cancelTimer(this);
}

void epiUiTimered::cancelAllTimers()
{
    if (application())
        application()->cancelTimers(this);
}

bool epiUiTimered::hasTimer() const
{
    return application() && application()->timerCount(this) > 0;
}

void epiUiTimered::startAnimation(bool restart)
{
    if (application() && application()->windowManager())
        application()->windowManager()->startAnimation(this, restart);
}

void epiUiTimered::stopAnimation()
{
    if (application() && application()->windowManager())
        application()->windowManager()->stopAnimation(this);
}

void epiUiTimered::restartAnimation()
{
    if (application() && application()->windowManager())
        application()->windowManager()->restartAnimation(this);
}

void epiUiTimered::shutdown()
{
    stopAnimation();
    epiApplicationObject::shutdown();
}
