#pragma once

#include "audio/AudioData.h"
#include "audio/ISoundFileProvider.h"

#include <cstdint>
#include <string>

namespace Zumeli {

// A short sound: headerless signed 16-bit little-endian mono samples at 44100 Hz, loaded and
// brought to the device rate. A missing or empty file leaves the sound empty (playing it writes
// nothing), and so does a file of more than 8 s.
class SoundFile : public AudioData {
public:
    static constexpr int32_t FileRate = 44100;
    // Longer files are refused: these are short cues, and the block must fit the signal ring.
    static constexpr int32_t MaxFileSamples = FileRate * 8;

    bool load(ISoundFileProvider& provider, const std::string& name, int32_t rate);
};

} // namespace Zumeli
