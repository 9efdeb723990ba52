#pragma once

#include "audio/AudioBuffer.h"
#include "audio/AudioPacketBytes.h"

#include <cstdint>

namespace Zumeli {

// Turns 8000 Hz samples into the payload of one audio packet and back. encode reads one frame
// from the capture buffer; decode appends the samples of one received payload to the receive
// buffer. Both run on the engine thread only. A decoder never reads past offset 42, whatever
// the received `length` says: such a packet decodes nothing.
class AudioCodec {
public:
    virtual ~AudioCodec() = default;

    // When a whole frame is available: reads it, writes `length` and the payload, true.
    // Otherwise false and nothing consumed (a marked end delivers the tail padded, see AudioBuffer).
    virtual bool encode(AudioBuffer& source, AudioPacketBytes packet) = 0;
    // Appends the payload's samples; false when nothing was appended.
    virtual bool decode(ConstAudioPacketBytes packet, AudioBuffer& target) = 0;
    // Samples one packet carries. The audio path pads the end of a talk to a whole frame with it,
    // so that the engine's read position reaches the capture end for every codec and the end of
    // the talk is always sent.
    virtual int32_t frameSamples() const = 0;

    // Float sample to 16 bits: x 32767 toward zero, kept within the 16-bit range.
    static int16_t toPcm(float sample);
    static float fromPcm(int16_t value) { return float(value) * (1.0f / 32767.0f); }
};

} // namespace Zumeli
