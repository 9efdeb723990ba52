#include "audio/AudioCodec_Gsm2.h"

namespace Zumeli {

AudioCodec_Gsm2::AudioCodec_Gsm2()
{
    m_down.init(Samples, GsmCoder::FrameSamples);
    m_up.init(GsmCoder::FrameSamples, Samples);
}

bool AudioCodec_Gsm2::encode(AudioBuffer& source, AudioPacketBytes packet)
{
    float block[Samples];
    if (!source.readSamples(block, Samples, false))
        return false;
    float squeezed[GsmCoder::FrameSamples];
    m_down.process(block, Samples, squeezed, GsmCoder::FrameSamples);
    int16_t pcm[GsmCoder::FrameSamples];
    for (int i = 0; i < GsmCoder::FrameSamples; ++i)
        pcm[i] = toPcm(squeezed[i]);
    m_coder.encode(pcm, &packet[AudioPacket::PayloadOffset]);
    packet[AudioPacket::LengthOffset] = GsmCoder::FrameBytes;
    return true;
}

bool AudioCodec_Gsm2::decode(ConstAudioPacketBytes packet, AudioBuffer& target)
{
    if (packet[AudioPacket::LengthOffset] != GsmCoder::FrameBytes)
        return false;
    m_coder.decode(&packet[AudioPacket::PayloadOffset], m_decoded);
    float squeezed[GsmCoder::FrameSamples];
    for (int i = 0; i < GsmCoder::FrameSamples; ++i)
        squeezed[i] = fromPcm(m_decoded[i]);
    float block[Samples];
    m_up.process(squeezed, GsmCoder::FrameSamples, block, Samples);
    return target.writeSamples(block, Samples);
}

} // namespace Zumeli
