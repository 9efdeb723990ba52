#pragma once

#include <cstdint>

namespace Zumeli {

// Receives every microphone block and every received block at the device rate (the recorder
// window). Called on the audio thread: an implementation must not block or allocate.
class IClientAudioDelegate {
public:
    virtual ~IClientAudioDelegate() = default;
    virtual void microphoneAudio(const float* samples, int32_t n) = 0;
    virtual void receivedAudio(const float* samples, int32_t n) = 0;
};

} // namespace Zumeli
