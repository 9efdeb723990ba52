#include "ui/epiWindowSystem.h"

#include <cstdlib>
#include <cstring>

std::unique_ptr<epiWindowSystem> epiMakeWindowSystem()
{
    const char* chosen = std::getenv("ZUMELI_WINDOW_SYSTEM");
    if (chosen && std::strcmp(chosen, "null") == 0)
        return epiMakeNullWindowSystem();
    return epiMakeGtkWindowSystem();
}
