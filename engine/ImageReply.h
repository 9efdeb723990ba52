#pragma once

#include "data/Text.h"

#include <cstddef>
#include <cstdint>

namespace Zumeli {

// Reads a picture reply into the target file. The picture is everything after
// "Content-Type: image/jpeg\r\n\r\n". True on success:
//   - a reply shorter than 4 bytes, or one without that marker: the service has no picture, the
//     target file is removed;
//   - the picture was written (replacing the file whole).
// False when the reply is an error page (its body starts with "<" and its first 300 bytes hold
// an "html" element with a "title", or a "loadimage" element) or the picture cannot be written;
// the target file is then left as it was.
bool readImageReply(const uint8_t* reply, size_t size, const Text& targetPath);
bool readImageReply(const Text& reply, const Text& targetPath);

} // namespace Zumeli
