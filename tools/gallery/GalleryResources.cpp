#include "GalleryResources.h"

#include "ui/epiNativeResources.h"
#include "ui/epiRamFile.h"
#include "ui/epiResourcePack.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

namespace {

std::vector<uint8_t> readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

bool registerGalleryPack(const std::string& setFolder, const std::string& fontsFolder, int identifier)
{
    using Files = std::vector<std::pair<std::string, std::vector<uint8_t>>>;
    Files files;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(setFolder, error))
        if (entry.is_regular_file())
            files.push_back({"/" + std::filesystem::relative(entry.path(), setFolder).string(),
                             readBytes(entry.path())});
    for (const auto& entry : std::filesystem::directory_iterator(fontsFolder, error))
        if (entry.is_regular_file())
            files.push_back({"/fonts/" + entry.path().filename().string(), readBytes(entry.path())});
    if (files.empty())
        return false;
    epiRamFile out;
    if (!epiResourcePack::write(out, files))
        return false;
    // The pack lives as long as the process, like a linked-in one.
    static std::vector<uint8_t> bytes;
    bytes = out.bytes();
    epiNativeResources::add(identifier, bytes.data(), bytes.size());
    return true;
}
