#include "ui/epiTextFile.h"

#include "ui/epiFile.h"

bool epiTextFile::readFrom(const epiPath& path)
{
    epiFile file;
    if (!file.open(path, epiFile::kRead))
        return false;
    uint64_t size = file.size();
    epiText contents;
    contents.resize(static_cast<size_t>(size));
    if (size && !file.read(contents.data(), static_cast<size_t>(size)))
        return false;
    assign(contents);
    return true;
}

bool epiTextFile::writeTo(const epiPath& path) const
{
    epiFile file;
    if (!file.open(path, epiFile::kReadWrite | epiFile::kDeleteFirst))
        return false;
    return file.write(c_str(), length());
}
