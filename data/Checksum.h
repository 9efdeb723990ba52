#pragma once

#include "data/Text.h"

#include <cstddef>
#include <cstdint>

namespace Zumeli {

// The 32-bit checksum that signs cache files, voice packets, localisation tables and login
// passwords: starts at 0, shifts right one bit per input bit (least significant first), XORs in
// 0x85C14003 whenever the low bit of value XOR input bit is 1; no final inversion.
uint32_t checksum32(const void* data, size_t length);

// "%08X" of checksum32 over the text's bytes.
Text checksumHex(const Text& text);

// Appends a carriage return and checksumHex of everything before it.
void appendChecksumTrailer(Text& text);

// True when the text ends with a carriage return and the checksum of what precedes it, as
// appendChecksumTrailer writes it.
bool checkChecksumTrailer(const Text& text);

} // namespace Zumeli
