#pragma once

#include "audio/AudioCodec.h"

namespace Zumeli {

// Codec 0: 8 samples per packet as 32-bit little-endian floats (1000 packets a second).
class AudioCodec_plain : public AudioCodec {
public:
    static constexpr int32_t Samples = 8;

    bool encode(AudioBuffer& source, AudioPacketBytes packet) override;
    bool decode(ConstAudioPacketBytes packet, AudioBuffer& target) override;
    int32_t frameSamples() const override { return Samples; }
};

} // namespace Zumeli
