#pragma once

#include "audio/AudioCodec.h"

#include <memory>

namespace Zumeli {

// Codec numbers a channel may name.
enum class AudioCodecNumber : int32_t {
    Plain = 0,
    Pcm16 = 1,
    Adpcm = 8,
    Gsm = 9,
    Gsm2 = 11,
};

// The codec for a channel's codec number, or null for a number that names none.
std::unique_ptr<AudioCodec> createAudioCodec(int32_t number);

} // namespace Zumeli
