#pragma once

#include "audio/AudioCodec.h"

namespace Zumeli {

// Codec 1: 16 samples per packet as signed 16-bit little-endian integers (500 packets a second).
class AudioCodec_44K_16bit : public AudioCodec {
public:
    static constexpr int32_t Samples = 16;

    bool encode(AudioBuffer& source, AudioPacketBytes packet) override;
    bool decode(ConstAudioPacketBytes packet, AudioBuffer& target) override;
    int32_t frameSamples() const override { return Samples; }
};

} // namespace Zumeli
