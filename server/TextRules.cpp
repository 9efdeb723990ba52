#include "server/TextRules.h"

#include <cstdint>

namespace Zumeli {

namespace {

// The length of the well-formed UTF-8 sequence at text[at], or 0 when there is none.
size_t sequenceLength(std::string_view text, size_t at)
{
    uint8_t lead = uint8_t(text[at]);
    if (lead < 0x80)
        return 1;
    size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                   : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    for (size_t i = 1; i < length; ++i)
        if ((uint8_t(text[at + i]) & 0xC0) != 0x80)
            return 0;
    uint8_t second = uint8_t(text[at + 1]);
    // No overlong forms, no surrogates, nothing past U+10FFFF.
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
        return 0;
    return length;
}

} // namespace

std::string cleanText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        size_t length = sequenceLength(text, at);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++at;
            continue;
        }
        uint8_t c = uint8_t(text[at]);
        bool control = length == 1 && ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F);
        // C1 controls (U+0080 to U+009F) are two bytes, C2 80 to C2 9F.
        bool c1 = length == 2 && c == 0xC2 && uint8_t(text[at + 1]) < 0xA0;
        if (!control && !c1)
            out.append(text.substr(at, length));
        at += length;
    }
    return out;
}

std::string cutUtf8(std::string_view text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return std::string(text);
    size_t end = maxBytes;
    // Step back over continuation bytes to the start of the character that does not fit.
    while (end > 0 && (uint8_t(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end));
}

} // namespace Zumeli
