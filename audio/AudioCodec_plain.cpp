#include "audio/AudioCodec_plain.h"

#include <bit>
#include <cmath>

namespace Zumeli {

bool AudioCodec_plain::encode(AudioBuffer& source, AudioPacketBytes packet)
{
    float block[Samples];
    if (!source.readSamples(block, Samples, false))
        return false;
    packet[AudioPacket::LengthOffset] = Samples * 4;
    for (int i = 0; i < Samples; ++i) {
        uint32_t bits = std::bit_cast<uint32_t>(block[i]);
        for (int b = 0; b < 4; ++b)
            packet[AudioPacket::PayloadOffset + 4 * i + b] = uint8_t(bits >> (8 * b));
    }
    return true;
}

bool AudioCodec_plain::decode(ConstAudioPacketBytes packet, AudioBuffer& target)
{
    int length = packet[AudioPacket::LengthOffset];
    if (length > AudioPacket::MaxPayload)
        return false;
    int count = length / 4;
    if (count == 0)
        return false;
    float block[Samples];
    for (int i = 0; i < count; ++i) {
        uint32_t bits = 0;
        for (int b = 0; b < 4; ++b)
            bits |= uint32_t(packet[AudioPacket::PayloadOffset + 4 * i + b]) << (8 * b);
        float sample = std::bit_cast<float>(bits);
        // A peer's bytes may spell NaN or infinity; they would poison every later stage.
        block[i] = std::isfinite(sample) ? sample : 0.0f;
    }
    return target.writeSamples(block, count);
}

} // namespace Zumeli
