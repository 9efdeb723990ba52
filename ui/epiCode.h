#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Four-character codes: 32-bit values whose bytes, most significant first, are four characters.
using epiCode = uint32_t;

// The code of a text: its first four bytes from the most significant down; missing bytes are 0.
constexpr epiCode epiCodeFromText(std::string_view text)
{
    epiCode code = 0;
    for (size_t i = 0; i < 4; ++i) {
        code <<= 8;
        if (i < text.size())
            code |= static_cast<unsigned char>(text[i]);
    }
    return code;
}

// Spelled codes in source: epiFourCC("main") == 0x6D61696E.
constexpr epiCode epiFourCC(const char (&text)[5])
{
    return epiCodeFromText(std::string_view(text, 4));
}

// Exactly four bytes (zero bytes included, as they are).
inline std::string epiCodeToText(epiCode code)
{
    std::string text(4, '\0');
    for (int i = 0; i < 4; ++i)
        text[i] = static_cast<char>((code >> (24 - 8 * i)) & 0xFF);
    return text;
}
