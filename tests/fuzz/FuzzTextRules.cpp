// Any bytes through the server's text rules: what cleanText returns is well-formed UTF-8 without
// control characters (but tab, line feed, carriage return) and is left unchanged by a second
// pass; cutUtf8 never returns more than asked and never ends inside a character of a clean text.
#include "server/TextRules.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace Zumeli;

namespace {

bool wellFormed(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        uint8_t c = uint8_t(text[i]);
        size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        if (length == 1 && ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F))
            return false;
        for (size_t k = 1; k < length; ++k)
            if ((uint8_t(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string clean = cleanText(input);
    if (!wellFormed(clean) || cleanText(clean) != clean)
        __builtin_trap();
    size_t limit = data[0] * clean.size() / 255;
    std::string cut = cutUtf8(clean, limit);
    if (cut.size() > limit || !wellFormed(cut) || clean.compare(0, cut.size(), cut) != 0)
        __builtin_trap();
    return 0;
}
