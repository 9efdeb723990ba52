#include "audio/AudioCodec_Gsm.h"

namespace Zumeli {

bool AudioCodec_Gsm::encode(AudioBuffer& source, AudioPacketBytes packet)
{
    float block[Samples];
    if (!source.readSamples(block, Samples, false))
        return false;
    int16_t pcm[Samples];
    for (int i = 0; i < Samples; ++i)
        pcm[i] = toPcm(block[i]);
    m_coder.encode(pcm, &packet[AudioPacket::PayloadOffset]);
    packet[AudioPacket::LengthOffset] = GsmCoder::FrameBytes;
    return true;
}

bool AudioCodec_Gsm::decode(ConstAudioPacketBytes packet, AudioBuffer& target)
{
    if (packet[AudioPacket::LengthOffset] != GsmCoder::FrameBytes)
        return false;
    m_coder.decode(&packet[AudioPacket::PayloadOffset], m_decoded);
    float block[Samples];
    for (int i = 0; i < Samples; ++i)
        block[i] = fromPcm(m_decoded[i]);
    return target.writeSamples(block, Samples);
}

} // namespace Zumeli
