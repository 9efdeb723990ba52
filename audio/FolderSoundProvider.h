#pragma once

#include "audio/ISoundFileProvider.h"

namespace Zumeli {

// Serves sound files from one folder of the file system.
class FolderSoundProvider : public ISoundFileProvider {
public:
    // Files larger than this are refused rather than read into memory.
    static constexpr int64_t MaxFileBytes = 16 * 1024 * 1024;

    explicit FolderSoundProvider(std::string folder);

    bool readSoundFile(const std::string& name, std::vector<uint8_t>& bytes) override;

private:
    std::string m_folder;
};

} // namespace Zumeli
