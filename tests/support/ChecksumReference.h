#pragma once

#include <cstddef>
#include <cstdint>

// The checksum computed one bit at a time, as its definition reads: the reference the
// table-driven checksum is tested and measured against.
inline uint32_t checksumBitByBit(const uint8_t* data, size_t length)
{
    uint32_t value = 0;
    for (size_t i = 0; i < length; ++i) {
        uint32_t byte = data[i];
        for (int bit = 0; bit < 8; ++bit) {
            if ((value ^ byte) & 1u)
                value ^= 0x85C14003u;
            value >>= 1;
            byte >>= 1;
        }
    }
    return value;
}
