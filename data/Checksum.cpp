#include "data/Checksum.h"

#include <array>

namespace Zumeli {

namespace {

constexpr uint32_t Polynomial = 0x85C14003u;

// The checksum is linear over the bits, so eight steps of one byte fold into one table lookup:
// stepping value v with byte b equals (v >> 8) ^ table[(v ^ b) & 0xFF].
constexpr std::array<uint32_t, 256> makeTable()
{
    std::array<uint32_t, 256> table {};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit) {
            if (value & 1u)
                value ^= Polynomial;
            value >>= 1;
        }
        table[i] = value;
    }
    return table;
}

constexpr std::array<uint32_t, 256> Table = makeTable();

} // namespace

uint32_t checksum32(const void* data, size_t length)
{
    auto* bytes = static_cast<const uint8_t*>(data);
    uint32_t value = 0;
    for (size_t i = 0; i < length; ++i)
        value = (value >> 8) ^ Table[(value ^ bytes[i]) & 0xFFu];
    return value;
}

Text checksumHex(const Text& text)
{
    Text hex;
    hex.setFormatted("%08X", checksum32(text.data(), size_t(text.length())));
    return hex;
}

void appendChecksumTrailer(Text& text)
{
    Text sum = checksumHex(text);
    text.appendChar('\r');
    text.append(sum);
}

bool checkChecksumTrailer(const Text& text)
{
    Text sum = text.lastField('\r');
    int bodyLength = text.length() - sum.length() - 1;
    if (bodyLength < 0)
        return false;
    return checksumHex(text.left(bodyLength)).equals(sum);
}

} // namespace Zumeli
