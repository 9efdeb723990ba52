// PNG reading and writing of epiBitmap through libpng's simplified interface.
#include "ui/epiBitmap.h"

#include <png.h>

#include <cstdio>
#include <cstring>

namespace {

bool decodeInto(png_image& image, epiBitmap& bitmap, const uint8_t* bytes, size_t size)
{
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes, size))
        return false;
    // An image without an alpha channel (nor transparency) is opaque: drawn by plain copying.
    bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    // Pixels in memory as B, G, R, A: a little-endian 0xAARRGGBB word.
    image.format = PNG_FORMAT_BGRA;
    epiBitmap decoded;
    if (image.width > 16384 || image.height > 16384 ||
        uint64_t{image.width} * image.height > (uint64_t{1} << 24) ||
        !decoded.create(static_cast<int32_t>(image.width), static_cast<int32_t>(image.height))) {
        png_image_free(&image);
        return false;
    }
    if (!png_image_finish_read(&image, nullptr, decoded.pixels(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    decoded.setHasAlpha(alpha);
    bitmap = std::move(decoded);
    return true;
}

} // namespace

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pixel words are read as B, G, R, A bytes");

bool epiBitmap::decodePng(const uint8_t* bytes, size_t size)
{
    if (!bytes || size == 0)
        return false;
    png_image image;
    return decodeInto(image, *this, bytes, size);
}

bool epiBitmap::loadPng(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + count);
    std::fclose(file);
    return decodePng(bytes.data(), bytes.size());
}

std::vector<uint8_t> epiBitmap::encodePng() const
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(m_width);
    image.height = static_cast<png_uint_32>(m_height);
    image.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    if (isEmpty() || !png_image_write_to_memory(&image, nullptr, &size, 0, m_pixels.data(), 0, nullptr))
        return {};
    std::vector<uint8_t> bytes(size);
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, m_pixels.data(), 0, nullptr))
        return {};
    bytes.resize(size);
    return bytes;
}

bool epiBitmap::savePng(const std::string& path) const
{
    std::vector<uint8_t> bytes = encodePng();
    if (bytes.empty())
        return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
