#include "server/WebHelpers.h"

#include "server/FormData.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace Zumeli {

namespace {

// Each byte's value as a hexadecimal digit, -1 for anything else.
struct NibbleTable
{
    int8_t value[256];
    NibbleTable()
    {
        for (int c = 0; c < 256; ++c)
            value[c] = c >= '0' && c <= '9'   ? int8_t(c - '0')
                       : c >= 'A' && c <= 'F' ? int8_t(c - 'A' + 10)
                       : c >= 'a' && c <= 'f' ? int8_t(c - 'a' + 10)
                                              : int8_t(-1);
    }
};

const NibbleTable Nibbles;

} // namespace

bool decodeHex(const std::string& hex, std::vector<uint8_t>& out)
{
    if (hex.size() % 2 != 0)
        return false;
    out.resize(hex.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        int high = Nibbles.value[uint8_t(hex[2 * i])];
        int low = Nibbles.value[uint8_t(hex[2 * i + 1])];
        if (high < 0 || low < 0)
            return false;
        out[i] = uint8_t(high * 16 + low);
    }
    return true;
}

long chunkLong(const XmlChunk& chunk, const char* name, long fallback)
{
    long value = fallback;
    if (!parseLong(chunk.child(name).rawText().str(), value))
        return fallback;
    return value;
}

std::string chunkText(const XmlChunk& chunk, const char* name)
{
    Text decoded;
    decoded.decodeEntities(chunk.child(name).rawText());
    return decoded.str();
}

bool contains(const std::vector<int>& ids, int id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::string channelDisplay(int number)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d", number / 100, number % 100);
    return text;
}

} // namespace Zumeli
