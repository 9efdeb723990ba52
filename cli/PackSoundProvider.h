#pragma once

#include "audio/ISoundFileProvider.h"

#include <memory>

class epiResources;

namespace Zumeli {

// The sound clips ("online.raw", "smile_00.raw", ...) from the resource pack linked into the
// program.
class PackSoundProvider final : public ISoundFileProvider {
public:
    PackSoundProvider();
    ~PackSoundProvider() override;
    bool isOpen() const;
    bool readSoundFile(const std::string& name, std::vector<uint8_t>& bytes) override;

private:
    std::unique_ptr<epiResources> m_resources;
};

} // namespace Zumeli
