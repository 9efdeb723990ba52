#pragma once

#include "ui/epiBitmap.h"

#include <map>
#include <memory>
#include <string>
#include <tuple>

namespace Zumeli {
class PictureIndex;
}

namespace ZumeliApplication {

// The pictures of the engine's picture cache (channel icons, user pictures) as bitmaps for the
// list rows: a picture is decoded (JPEG or PNG) and scaled to the icon size once per version and
// kept while the cache lives. Pictures the engine has not downloaded yet give null, and are
// looked for again on the next request.
class IconsCache
{
public:
    static constexpr int DefaultSize = 32;

    explicit IconsCache(const Zumeli::PictureIndex& index, int size = DefaultSize) : m_index(index), m_size(size) {}

    // The bitmap of picture (kind, id) at that version (0: whatever version is cached); null when
    // the cache lacks it or it cannot be decoded. The bitmap stays owned by the cache.
    epiBitmap* icon(int kind, int id, int version);
    // A picture file decoded and fitted into size × size (aspect kept); false when unreadable.
    static bool decodeFile(const std::string& path, int size, epiBitmap& out);

    size_t count() const { return m_icons.size(); }

private:
    const Zumeli::PictureIndex& m_index;
    int m_size;
    std::map<std::tuple<int, int, int>, std::unique_ptr<epiBitmap>> m_icons;
};

} // namespace ZumeliApplication
