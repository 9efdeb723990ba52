#pragma once

#include "audio/AudioCodec.h"

namespace Zumeli {

// Codec 8: IMA ADPCM, 29 samples of 4 bits per packet. Each packet starts with the encoder state
// (predictor, step index) before its first sample, so every packet decodes by itself and a lost
// packet does not disturb the next. `length` counts 4 state bytes plus one per sample.
class AudioCodec_Adpcm : public AudioCodec {
public:
    static constexpr int32_t Samples = 29;
    // Nibbles that fit between the state bytes and the end of the payload.
    static constexpr int32_t MaxDecodedSamples = (AudioPacket::PayloadEnd - AudioPacket::PayloadOffset - 4) * 2;

    struct State {
        int16_t predictor = 0;
        int16_t index = 0;
    };

    bool encode(AudioBuffer& source, AudioPacketBytes packet) override;
    bool decode(ConstAudioPacketBytes packet, AudioBuffer& target) override;
    int32_t frameSamples() const override { return Samples; }

    const State& encoderState() const { return m_encoder; }
    const State& decoderState() const { return m_decoder; }

private:
    State m_encoder;
    State m_decoder;
};

} // namespace Zumeli
