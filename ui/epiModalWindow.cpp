#include "ui/epiModalWindow.h"

#include "platform/Clock.h"
#include "ui/epiApplication.h"
#include "ui/epiWindowManager.h"

epiModalWindow::epiModalWindow()
{
    setAttribute(epiFourCC("Modl"), 1);
}

void epiModalWindow::show()
{
    epiWindow::show();
    if (!isVisible() || !handle() || m_inLoop)
        return;
    epiApplication* app = application();
    epiWindowSystem* system = windowSystem();
    if (!app || !system)
        return;
    retain();
    m_inLoop = true;
    // One event at a time; when none is waiting, the same idle wait as the main loop and the
    // timer scan. Ends when the window is closed (its native window is gone) or the application
    // quits.
    epiWindowManager* manager = app->windowManager();
    while (handle() && (!manager || manager->isRunning())) {
        if (manager)
            manager->runPass();
        else if (!system->dispatchOneEvent()) {
            Zumeli::Platform::sleepMilliseconds(2);
            app->scanTimers();
        }
    }
    m_inLoop = false;
    release();
}
