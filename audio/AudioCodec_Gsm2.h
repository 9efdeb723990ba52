#pragma once

#include "audio/AudioCodec.h"
#include "audio/AudioResampler.h"
#include "audio/GsmCoder.h"

namespace Zumeli {

// Codec 11: 320 samples (40 ms) averaged down to 160 and coded as one GSM 06.10 frame; on
// receipt the 160 decoded samples are interpolated back up to 320. Half the packet rate of
// codec 9 at the price of the upper half of the band.
class AudioCodec_Gsm2 : public AudioCodec {
public:
    static constexpr int32_t Samples = 2 * GsmCoder::FrameSamples;

    AudioCodec_Gsm2();

    bool encode(AudioBuffer& source, AudioPacketBytes packet) override;
    // Only a `length` of 33. A frame the library refuses repeats the previous frame's samples.
    bool decode(ConstAudioPacketBytes packet, AudioBuffer& target) override;
    int32_t frameSamples() const override { return Samples; }

private:
    GsmCoder m_coder;
    AudioResampler m_down;
    AudioResampler m_up;
    int16_t m_decoded[GsmCoder::FrameSamples] = {};
};

} // namespace Zumeli
