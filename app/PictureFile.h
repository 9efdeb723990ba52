#pragma once

#include <cstddef>
#include <string>

namespace ZumeliApplication {

// A picture file the user chose, made ready for the service: the service takes JPEG pictures of
// at most 4 MiB, and every client must be able to fetch it again within its reply cap. A JPEG
// within the bound goes as it is; another picture (PNG) or a larger one is decoded, scaled down
// to at most LargestSide pixels a side and sent as JPEG.
struct PictureFile {
    static constexpr size_t ServiceLimitBytes = 4 * 1024 * 1024;
    static constexpr size_t LimitBytes = ServiceLimitBytes - 64 * 1024;
    static constexpr int LargestSide = 1600;

    enum class Result { Ready, Unreadable, NotAPicture, TooLarge };

    // The JPEG bytes to send, from the file at path.
    static Result prepare(const std::string& path, std::string& jpeg, size_t limit = LimitBytes);
    // The marked text that tells the user what went wrong (empty for Ready).
    static const char* message(Result result);
};

} // namespace ZumeliApplication
