#pragma once

#include <cstdint>
#include <span>

namespace Zumeli {

// The bytes of one 47-byte voice packet as the codecs see them: the `length` byte at offset 9
// and the payload from offset 10 up to and including offset 42 (33 bytes at most). The voice
// connection hands its packet's bytes in through this view.
using AudioPacketBytes = std::span<uint8_t, 47>;
using ConstAudioPacketBytes = std::span<const uint8_t, 47>;

namespace AudioPacket {
constexpr int LengthOffset = 9;
constexpr int PayloadOffset = 10;
// One past the last payload byte (the checksum starts here).
constexpr int PayloadEnd = 43;
constexpr int MaxPayload = PayloadEnd - PayloadOffset;
} // namespace AudioPacket

} // namespace Zumeli
