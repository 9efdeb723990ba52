#pragma once

#include "audio/AudioData.h"

#include <cstdint>

namespace Zumeli {

// The tone for the start of a talk (the talk key went down): 50 ms of a 500 Hz sine at amplitude 0.1.
class AudioSignalStartTalk : public AudioData {
public:
    static constexpr float Frequency = 500;

    // Rebuilds the tone for the device rate.
    void build(int32_t rate);
};

} // namespace Zumeli
