#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Zumeli {

// Stored texts are well-formed UTF-8 without control characters, so every reply built from them
// is well-formed XML: an invalid byte becomes U+FFFD, NUL and the other control characters
// (all but tab, line feed and carriage return) are dropped.
std::string cleanText(std::string_view text);

// At most maxBytes of the text, never ending inside a character.
std::string cutUtf8(std::string_view text, size_t maxBytes);

} // namespace Zumeli
