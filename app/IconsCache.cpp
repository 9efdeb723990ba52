#include "app/IconsCache.h"

#include "data/PictureIndex.h"

namespace ZumeliApplication {

bool IconsCache::decodeFile(const std::string& path, int size, epiBitmap& out)
{
    // The service's pictures are JPEG (some PNG): the toolkit's reader checks their sizes.
    epiBitmap picture;
    if (!picture.loadImage(path) || picture.isEmpty())
        return false;
    out = picture.scaledToFit(size, size);
    return !out.isEmpty();
}

epiBitmap* IconsCache::icon(int kind, int id, int version)
{
    auto key = std::make_tuple(kind, id, version);
    if (auto found = m_icons.find(key); found != m_icons.end())
        return found->second.get();
    Zumeli::Text path;
    if (!m_index.isCached(kind, id, version, path))
        return nullptr;
    auto bitmap = std::make_unique<epiBitmap>();
    if (!decodeFile(path.c_str(), m_size, *bitmap))
        return nullptr;
    return (m_icons[key] = std::move(bitmap)).get();
}

} // namespace ZumeliApplication
