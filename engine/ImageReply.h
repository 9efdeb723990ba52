#pragma once

#include "data/Text.h"

#include <cstddef>
#include <cstdint>

namespace Zumeli {

enum class ImageReplyResult {
    Written,   // the picture replaced the target file whole
    NoPicture, // the service has no picture: the target file was removed
    Failed,    // an error page, or the picture could not be written: the file is as it was
};

// Reads a picture reply into the target file. The picture is everything after
// "Content-Type: image/jpeg\r\n\r\n", or, when the reply's headers say "Content-Type:
// image/jpeg" in another place than the last, the body after the headers. A reply shorter than
// 4 bytes, or one with no picture, is NoPicture. An error page (its body starts with "<" and its
// first 300 bytes hold an "html" element with a "title", or a "loadimage" element) is Failed.
ImageReplyResult readImageReply(const uint8_t* reply, size_t size, const Text& targetPath);
ImageReplyResult readImageReply(const Text& reply, const Text& targetPath);

} // namespace Zumeli
