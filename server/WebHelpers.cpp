#include "server/WebHelpers.h"

#include "server/FormData.h"

#include <algorithm>
#include <cstdio>

namespace Zumeli {

namespace {

int hexNibble(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}


} // namespace

bool decodeHex(const std::string& hex, std::vector<uint8_t>& out)
{
    if (hex.size() % 2 != 0)
        return false;
    out.resize(hex.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        int high = hexNibble(hex[2 * i]);
        int low = hexNibble(hex[2 * i + 1]);
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

bool contains(const std::vector<int>& ids, int id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); }

std::string channelDisplay(int number)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d", number / 100, number % 100);
    return text;
}

} // namespace Zumeli
