#include "app/ResourceSoundProvider.h"

#include "ui/epiRamFile.h"
#include "ui/epiResources.h"

namespace ZumeliApplication {

bool ResourceSoundProvider::readSoundFile(const std::string& name, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    epiRamFile file;
    if (!m_resources || !m_resources->isOpen() ||
        !m_resources->readResource(epiText(name.c_str()), epiResources::kAux, file))
        return false;
    bytes.assign(file.data(), file.data() + file.size());
    return true;
}

} // namespace ZumeliApplication
