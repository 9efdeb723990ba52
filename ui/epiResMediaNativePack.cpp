#include "ui/epiResMediaNativePack.h"

#include "ui/epiNativeResources.h"
#include "ui/epiRamFile.h"

bool epiResMediaNativePack::openIdentifier(int identifier)
{
    if (identifier == 0)
        identifier = kDefaultIdentifier;
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    if (!epiNativeResources::find(identifier, bytes, size))
        return false;
    auto memory = std::make_unique<epiRamFile>();
    memory->adopt(bytes, size);
    if (!openStream(std::move(memory)))
        return false;
    m_root.format("#%d", identifier);
    return true;
}
