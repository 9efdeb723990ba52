// The file dialogs of epiPath, through the window system of an application.
#include "ui/epiPath.h"

#include "ui/epiWindowApplication.h"
#include "ui/epiWindowSystem.h"

namespace {

constexpr size_t kLongestName = 4096;

bool choose(epiPath& path, epiApplication* application, bool save)
{
    if (!application)
        application = epiWindowApplication::current();
    epiWindowSystem* system = application ? application->windowSystem() : nullptr;
    if (!system)
        return false;
    std::string chosen;
    if (!system->chooseFile(system->foregroundWindow(), save, chosen) || chosen.empty() || chosen.size() > kLongestName)
        return false;
    path = epiPath::fromNative(epiText(chosen));
    return true;
}

} // namespace

bool epiPath::chooseOpenFile(epiApplication* application)
{
    return choose(*this, application, false);
}

bool epiPath::chooseSaveFile(epiApplication* application)
{
    return choose(*this, application, true);
}
