#pragma once

#include <cstdint>

struct gsm_state;

namespace Zumeli {

// One pair of GSM 06.10 full-rate coder states (encoder and decoder) of the speech library,
// created with the library's verbose option off and destroyed with the object.
class GsmCoder {
public:
    static constexpr int32_t FrameSamples = 160;
    static constexpr int32_t FrameBytes = 33;

    GsmCoder();
    ~GsmCoder();
    GsmCoder(const GsmCoder&) = delete;
    GsmCoder& operator=(const GsmCoder&) = delete;

    void encode(const int16_t* samples, uint8_t* frame);
    // False when the library refuses the frame (its first byte lacks the 0xD signature nibble);
    // samples are then left as they were.
    bool decode(const uint8_t* frame, int16_t* samples);

private:
    gsm_state* m_encoder;
    gsm_state* m_decoder;
};

} // namespace Zumeli
