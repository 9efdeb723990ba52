#pragma once

#include "audio/AudioData.h"

#include <cstdint>

namespace Zumeli {

// The tone for the server accepted the talk: 50 ms of a 1000 Hz sine at amplitude 0.1.
class AudioSignalAckTalk : public AudioData {
public:
    static constexpr float Frequency = 1000;

    // Rebuilds the tone for the device rate.
    void build(int32_t rate);
};

} // namespace Zumeli
