// JPEG reading and writing of epiBitmap through libjpeg(-turbo). The pictures of the service
// (channel icons and plates, user and channel photos) are JPEG files.
#include "ui/epiBitmap.h"

#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

constexpr uint32_t kLargestSide = 16384;
constexpr uint64_t kLargestArea = uint64_t{1} << 24;

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void errorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings (a corrupt but readable stream) are not printed on the user's terminal.
void quietMessage(j_common_ptr) {}

// Everything libjpeg touches lives outside the function that calls setjmp, so a jump back
// leaves no object half-built on its stack.
struct Decoder {
    jpeg_decompress_struct info {};
    ErrorManager errors {};
    epiBitmap decoded;
    std::vector<uint8_t> line;

    bool run(const uint8_t* bytes, size_t size)
    {
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = errorExit;
        errors.base.output_message = quietMessage;
        if (setjmp(errors.jump)) {
            jpeg_destroy_decompress(&info);
            return false;
        }
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
        if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
            jpeg_destroy_decompress(&info);
            return false;
        }
        info.out_color_space = JCS_RGB; // grey and YCbCr pictures come out as RGB
        jpeg_start_decompress(&info);
        if (info.output_width == 0 || info.output_height == 0 || info.output_width > kLargestSide ||
            info.output_height > kLargestSide || uint64_t{info.output_width} * info.output_height > kLargestArea ||
            info.output_components != 3 ||
            !decoded.create(static_cast<int32_t>(info.output_width), static_cast<int32_t>(info.output_height))) {
            jpeg_destroy_decompress(&info);
            return false;
        }
        line.resize(size_t{info.output_width} * 3);
        while (info.output_scanline < info.output_height) {
            int32_t y = static_cast<int32_t>(info.output_scanline);
            JSAMPROW row = line.data();
            if (jpeg_read_scanlines(&info, &row, 1) != 1)
                break;
            uint32_t* out = decoded.row(y);
            for (uint32_t x = 0; x < info.output_width; ++x)
                out[x] = 0xFF000000u | uint32_t{line[x * 3]} << 16 | uint32_t{line[x * 3 + 1]} << 8 | line[x * 3 + 2];
        }
        // A truncated stream keeps the rows it had (libjpeg fills the rest with grey).
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        decoded.setHasAlpha(false);
        return true;
    }
};

struct Encoder {
    jpeg_compress_struct info {};
    ErrorManager errors {};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<uint8_t> line;

    ~Encoder() { std::free(buffer); }

    bool run(const epiBitmap& bitmap, int quality)
    {
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = errorExit;
        errors.base.output_message = quietMessage;
        if (setjmp(errors.jump)) {
            jpeg_destroy_compress(&info);
            return false;
        }
        jpeg_create_compress(&info);
        jpeg_mem_dest(&info, &buffer, &size);
        info.image_width = static_cast<JDIMENSION>(bitmap.width());
        info.image_height = static_cast<JDIMENSION>(bitmap.height());
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, quality, TRUE);
        jpeg_start_compress(&info, TRUE);
        line.resize(size_t(bitmap.width()) * 3);
        for (int32_t y = 0; y < bitmap.height(); ++y) {
            const uint32_t* in = bitmap.row(y);
            for (int32_t x = 0; x < bitmap.width(); ++x) {
                line[size_t(x) * 3] = uint8_t(in[x] >> 16);
                line[size_t(x) * 3 + 1] = uint8_t(in[x] >> 8);
                line[size_t(x) * 3 + 2] = uint8_t(in[x]);
            }
            JSAMPROW row = line.data();
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        return true;
    }
};

bool readFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

} // namespace

bool epiBitmap::decodeJpeg(const uint8_t* bytes, size_t size)
{
    // Every JPEG starts with the start-of-image marker FF D8.
    if (!bytes || size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return false;
    auto decoder = std::make_unique<Decoder>();
    if (!decoder->run(bytes, size))
        return false;
    *this = std::move(decoder->decoded);
    return true;
}

std::vector<uint8_t> epiBitmap::encodeJpeg(int quality) const
{
    if (isEmpty())
        return {};
    auto encoder = std::make_unique<Encoder>();
    if (!encoder->run(*this, quality < 1 ? 1 : quality > 100 ? 100 : quality) || !encoder->buffer)
        return {};
    return std::vector<uint8_t>(encoder->buffer, encoder->buffer + encoder->size);
}

bool epiBitmap::decodeImage(const uint8_t* bytes, size_t size)
{
    return decodeJpeg(bytes, size) || decodePng(bytes, size);
}

bool epiBitmap::loadImage(const std::string& path)
{
    std::vector<uint8_t> bytes;
    return readFile(path, bytes) && decodeImage(bytes.data(), bytes.size());
}

epiBitmap epiBitmap::scaledToFit(int32_t width, int32_t height) const
{
    epiBitmap scaled;
    if (isEmpty() || width <= 0 || height <= 0)
        return scaled;
    // The largest size of the same proportions that fits, never below one pixel.
    int64_t w = width, h = int64_t{height};
    if (int64_t{m_width} * height > int64_t{m_height} * width)
        h = std::max<int64_t>(1, int64_t{m_height} * width / m_width);
    else
        w = std::max<int64_t>(1, int64_t{m_width} * height / m_height);
    if (!scaled.create(static_cast<int32_t>(w), static_cast<int32_t>(h)))
        return scaled;
    scaled.setHasAlpha(m_hasAlpha);
    scaled.drawScaled(*this, bounds(), scaled.bounds(), scaled.bounds());
    return scaled;
}
