#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Zumeli {

// Where the short sound files ("online.raw", "smile_00.raw", ...) come from: the resource pack
// in the application, a folder until then and in tests.
class ISoundFileProvider {
public:
    virtual ~ISoundFileProvider() = default;
    // The file's bytes; false (and bytes empty) when there is no such file.
    virtual bool readSoundFile(const std::string& name, std::vector<uint8_t>& bytes) = 0;
};

} // namespace Zumeli
