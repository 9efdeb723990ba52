#pragma once

#include "audio/AudioCodec.h"
#include "audio/GsmCoder.h"

namespace Zumeli {

// Codec 9: one 33-byte GSM 06.10 frame of 160 samples (20 ms) per packet.
class AudioCodec_Gsm : public AudioCodec {
public:
    static constexpr int32_t Samples = GsmCoder::FrameSamples;

    bool encode(AudioBuffer& source, AudioPacketBytes packet) override;
    // Only a `length` of 33. A frame the library refuses repeats the previous frame's samples.
    bool decode(ConstAudioPacketBytes packet, AudioBuffer& target) override;
    int32_t frameSamples() const override { return Samples; }

private:
    GsmCoder m_coder;
    int16_t m_decoded[Samples] = {};
};

} // namespace Zumeli
