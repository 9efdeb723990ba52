#pragma once

#include "data/XmlChunk.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Zumeli {

// Small readers shared by the areas of the web service.

inline const char* const XmlType = "text/xml; charset=utf-8";

// Strict: an even number of hexadecimal digits, nothing else.
bool decodeHex(const std::string& hex, std::vector<uint8_t>& out);
// A number element of a client's document; fallback when missing or not a whole number.
long chunkLong(const XmlChunk& chunk, const char* name, long fallback);
// Text of a document element sent by a client: raw, entities decoded.
std::string chunkText(const XmlChunk& chunk, const char* name);
bool contains(const std::vector<int>& ids, int id);
// "%02d.%02d" of number / 100 and number % 100.
std::string channelDisplay(int number);

} // namespace Zumeli
