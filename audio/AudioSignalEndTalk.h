#pragma once

#include "audio/AudioData.h"

#include <cstdint>

namespace Zumeli {

// The sound for the end of a talk: 100 ms of noise under a half-sine envelope, peak 0.1.
class AudioSignalEndTalk : public AudioData {
public:
    // Rebuilds the noise for the device rate.
    void build(int32_t rate);
};

} // namespace Zumeli
