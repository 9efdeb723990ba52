#pragma once

#include <cstdint>
#include <string>

namespace Zumeli {

// Called for every block of the stream, on the back end's thread: n mono float samples from the
// microphone (silence when there is none) and n to fill for the speaker; n is at most
// IAudioBackend::BlockFrames. It must not allocate, lock or write to the terminal.
class IAudioBlockHandler {
public:
    virtual void handleBlock(const float* input, float* output, int32_t n) = 0;

protected:
    ~IAudioBlockHandler() = default;
};

// Where blocks come from and go: the sound card (PortAudio), nothing (a silent, real-time
// clock for machines without sound), or WAV files. One full-duplex mono stream of 512-frame
// blocks at the device's rate.
class IAudioBackend {
public:
    static constexpr int32_t BlockFrames = 512;

    virtual ~IAudioBackend() = default;
    // Chooses the devices (by name; empty or unknown names take the defaults) and opens the
    // stream. False when no stream could be opened. The rate is known afterwards.
    virtual bool open(const std::string& inputDevice, const std::string& outputDevice, IAudioBlockHandler& handler) = 0;
    virtual int32_t sampleRate() const = 0;
    virtual bool start() = 0;
    // Stops the stream; no block is handled after it returns.
    virtual void stop() = 0;
    virtual const char* name() const = 0;
};

} // namespace Zumeli
