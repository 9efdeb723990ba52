#include "app/IconsCache.h"

#include "data/PictureIndex.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

namespace ZumeliApplication {

bool IconsCache::decodeFile(const std::string& path, int size, epiBitmap& out)
{
    GError* error = nullptr;
    GdkPixbuf* loaded = gdk_pixbuf_new_from_file_at_scale(path.c_str(), size, size, TRUE, &error);
    if (!loaded) {
        if (error)
            g_error_free(error);
        return false;
    }
    GdkPixbuf* pixbuf = gdk_pixbuf_apply_embedded_orientation(loaded);
    g_object_unref(loaded);
    int width = gdk_pixbuf_get_width(pixbuf), height = gdk_pixbuf_get_height(pixbuf);
    int channels = gdk_pixbuf_get_n_channels(pixbuf), stride = gdk_pixbuf_get_rowstride(pixbuf);
    bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    out.setHasAlpha(alpha);
    bool usable = gdk_pixbuf_get_bits_per_sample(pixbuf) == 8 && channels >= (alpha ? 4 : 3) && width > 0 && height > 0;
    if (usable) {
        out.create(width, height);
        const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
        for (int y = 0; y < height; ++y) {
            const guchar* source = pixels + size_t(y) * size_t(stride);
            for (int x = 0; x < width; ++x, source += channels) {
                uint32_t a = alpha ? source[3] : 255u;
                out.setPixel(x, y, (a << 24) | (uint32_t(source[0]) << 16) | (uint32_t(source[1]) << 8) | source[2]);
            }
        }
    }
    g_object_unref(pixbuf);
    return usable;
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
