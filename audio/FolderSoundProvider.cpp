#include "audio/FolderSoundProvider.h"

#include <cstdio>
#include <memory>

namespace Zumeli {

FolderSoundProvider::FolderSoundProvider(std::string folder)
    : m_folder(std::move(folder))
{
}

bool FolderSoundProvider::readSoundFile(const std::string& name, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    // Only plain names inside the folder.
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return false;
    std::string path = m_folder.empty() ? name : m_folder + "/" + name;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file)
        return false;
    if (std::fseek(file.get(), 0, SEEK_END) != 0)
        return false;
    long size = std::ftell(file.get());
    if (size < 0 || size > MaxFileBytes || std::fseek(file.get(), 0, SEEK_SET) != 0)
        return false;
    bytes.resize(size_t(size));
    if (size > 0 && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        bytes.clear();
        return false;
    }
    return true;
}

} // namespace Zumeli
