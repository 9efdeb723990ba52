// The file dialogs of epiPath, through the running window application's window system.
#include "ui/epiPath.h"

#include "ui/epiWindow.h"
#include "ui/epiWindowApplication.h"
#include "ui/epiWindowManager.h"

namespace {

bool choose(epiPath& path, bool save)
{
    epiWindowApplication* app = epiWindowApplication::current();
    epiWindowSystem* system = app ? app->windowSystem() : nullptr;
    if (!system)
        return false;
    epiWindow* front = app->windowManager() ? app->windowManager()->frontWindow() : nullptr;
    std::string chosen;
    if (!system->chooseFile(front ? front->handle() : 0, save, chosen) || chosen.empty() || chosen.size() > 4096)
        return false;
    path.assign(chosen.c_str());
    return true;
}

} // namespace

bool epiPath::chooseOpenFile()
{
    return choose(*this, false);
}

bool epiPath::chooseSaveFile()
{
    return choose(*this, true);
}
