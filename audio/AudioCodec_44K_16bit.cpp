#include "audio/AudioCodec_44K_16bit.h"

namespace Zumeli {

bool AudioCodec_44K_16bit::encode(AudioBuffer& source, AudioPacketBytes packet)
{
    float block[Samples];
    if (!source.readSamples(block, Samples, false))
        return false;
    packet[AudioPacket::LengthOffset] = Samples * 2;
    for (int i = 0; i < Samples; ++i) {
        uint16_t value = uint16_t(toPcm(block[i]));
        packet[AudioPacket::PayloadOffset + 2 * i] = uint8_t(value);
        packet[AudioPacket::PayloadOffset + 2 * i + 1] = uint8_t(value >> 8);
    }
    return true;
}

bool AudioCodec_44K_16bit::decode(ConstAudioPacketBytes packet, AudioBuffer& target)
{
    int length = packet[AudioPacket::LengthOffset];
    if (length > AudioPacket::MaxPayload)
        return false;
    int count = length / 2;
    if (count == 0)
        return false;
    float block[Samples];
    for (int i = 0; i < count; ++i) {
        const uint8_t* bytes = &packet[AudioPacket::PayloadOffset + 2 * i];
        block[i] = fromPcm(int16_t(uint16_t(bytes[0] | bytes[1] << 8)));
    }
    return target.writeSamples(block, count);
}

} // namespace Zumeli
