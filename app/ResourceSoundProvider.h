#pragma once

#include "audio/ISoundFileProvider.h"

class epiResources;

namespace ZumeliApplication {

// The sound clips ("online.raw", "smile_00.raw", ...) from the application's open resource set.
class ResourceSoundProvider final : public Zumeli::ISoundFileProvider {
public:
    explicit ResourceSoundProvider(epiResources* resources) : m_resources(resources) {}
    bool readSoundFile(const std::string& name, std::vector<uint8_t>& bytes) override;

private:
    epiResources* m_resources;
};

} // namespace ZumeliApplication
