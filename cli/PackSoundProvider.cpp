#include "cli/PackSoundProvider.h"

#include "ui/epiRamFile.h"
#include "ui/epiResources.h"

namespace Zumeli {

PackSoundProvider::PackSoundProvider()
    : m_resources(std::make_unique<epiResources>())
{
    m_resources->init();
    m_resources->openNativePack(0);
}

PackSoundProvider::~PackSoundProvider() = default;

bool PackSoundProvider::isOpen() const { return m_resources->isOpen(); }

bool PackSoundProvider::readSoundFile(const std::string& name, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    epiRamFile file;
    if (!m_resources->isOpen() || !m_resources->readResource(epiText(name.c_str()), epiResources::kAux, file))
        return false;
    bytes.assign(file.data(), file.data() + file.size());
    return true;
}

} // namespace Zumeli
