#include "ui/epiResMediaPack.h"

#include "ui/epiFile.h"

bool epiResMediaPack::openPath(const epiPath& path)
{
    auto file = std::make_unique<epiFile>();
    if (!file->open(path, epiFile::kRead))
        return false;
    if (!openStream(std::move(file)))
        return false;
    m_root = path.absolute();
    return true;
}

bool epiResMediaPack::openStream(std::unique_ptr<epiStream> stream)
{
    close();
    return m_pack.open(std::move(stream));
}

void epiResMediaPack::close()
{
    m_pack.close();
    m_root.clear();
}

bool epiResMediaPack::readFile(const epiText& path, epiRamFile& target)
{
    const fileElem* entry = m_pack.find(path.view());
    return entry && m_pack.read(*entry, target);
}

bool epiResMediaPack::exists(const epiText& path)
{
    return m_pack.find(path.view()) != nullptr;
}

void epiResMediaPack::listFolder(const epiText& prefix, epiText& list, bool recursive)
{
    list.clear();
    std::string folder = prefix.startsWith("/") ? prefix.str() : "/" + prefix.str();
    for (const fileElem& entry : m_pack.entries()) {
        if (!entry.startsWith(folder))
            continue;
        std::string_view rest = entry.view().substr(folder.size());
        if (rest.empty() || (!recursive && rest.find('/') != std::string_view::npos))
            continue;
        list.append(rest);
        list.appendLineEnd();
    }
}

bool epiResMediaPack::nativePath(const epiText&, epiPath&)
{
    return false;
}
