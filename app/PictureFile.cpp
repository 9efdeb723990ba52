#include "app/PictureFile.h"

#include "ui/epiBitmap.h"

#include <fstream>
#include <iterator>

namespace ZumeliApplication {

PictureFile::Result PictureFile::prepare(const std::string& path, std::string& jpeg, size_t limit)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return Result::Unreadable;
    // A file far beyond any picture is not read whole.
    file.seekg(0, std::ios::end);
    std::streamoff size = file.tellg();
    if (size <= 0)
        return Result::NotAPicture;
    if (size > std::streamoff(64) * 1024 * 1024)
        return Result::TooLarge;
    file.seekg(0);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());

    epiBitmap picture;
    bool isJpeg = picture.decodeJpeg(data, bytes.size());
    if (!isJpeg && !picture.decodePng(data, bytes.size()))
        return Result::NotAPicture;
    if (isJpeg && bytes.size() <= limit) {
        jpeg = std::move(bytes);
        return Result::Ready;
    }
    if (picture.width() > LargestSide || picture.height() > LargestSide)
        picture = picture.scaledToFit(LargestSide, LargestSide);
    for (int quality : {88, 75, 60}) {
        std::vector<uint8_t> encoded = picture.encodeJpeg(quality);
        if (!encoded.empty() && encoded.size() <= limit) {
            jpeg.assign(encoded.begin(), encoded.end());
            return Result::Ready;
        }
    }
    return Result::TooLarge;
}

const char* PictureFile::message(Result result)
{
    switch (result) {
    case Result::Ready: return "";
    case Result::Unreadable: return "]The file cannot be read.[";
    case Result::NotAPicture: return "]The file is no JPEG or PNG picture.[";
    case Result::TooLarge: return "]The picture is too large for the service (4 MB at most).[";
    }
    return "";
}

} // namespace ZumeliApplication
