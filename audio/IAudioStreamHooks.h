#pragma once

#include <cstdint>

namespace Zumeli {

// What the stream feeds with every block: the client's audio path.
class IAudioProcessor {
public:
    virtual bool setAudioRate(int32_t rate) = 0;
    // Microphone samples in, speaker samples out, in place.
    virtual void processAudio(float* samples, int32_t n) = 0;

protected:
    ~IAudioProcessor() = default;
};

// The file player's two mixing stages around the client's processing. The stages run on the
// audio thread, one after the other in every block; setStreamRate runs on the user interface
// thread when the player is attached and whenever a stream opens, before its first block.
class IAudioPlayerHook {
public:
    virtual void setStreamRate(int32_t rate) = 0;
    virtual void mixIntoInput(float* samples, int32_t n) = 0;
    virtual void mixIntoOutput(float* samples, int32_t n) = 0;

protected:
    ~IAudioPlayerHook() = default;
};

// The spectrum view's taps on what goes in and comes out (audio thread).
class IAudioSpectrumHook {
public:
    virtual void feedInput(const float* samples, int32_t n) = 0;
    virtual void feedOutput(const float* samples, int32_t n) = 0;

protected:
    ~IAudioSpectrumHook() = default;
};

} // namespace Zumeli
