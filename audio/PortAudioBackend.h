#pragma once

#include "audio/IAudioBackend.h"

#include <string>
#include <vector>

namespace Zumeli {

// The sound card through PortAudio: one full-duplex stream of mono float samples, 512 frames
// per block, at the chosen device's default rate (the input device's when there is one), with
// each device's default low latency. Devices are chosen by their names as PortAudio reports
// them; an empty or vanished name takes the system default. Without an input device the stream
// is output-only and the handler hears silence.
//
// The sound libraries under PortAudio (ALSA, JACK) print many lines when they probe for
// devices; those are kept out of the user's terminal, and a real failure is reported with one
// line of our own.
class PortAudioBackend final : public IAudioBackend {
public:
    struct Device {
        std::string name;
        int inputChannels = 0;
        int outputChannels = 0;
        double defaultRate = 0;
    };

    PortAudioBackend() = default;
    ~PortAudioBackend() override;

    // False when the library cannot start (then there is no device either).
    static bool initialise();
    // Starts the library again so that it sees the devices present now (PortAudio lists only
    // those that existed when it started). Only while no stream of it is open.
    static bool reinitialise();
    static std::vector<Device> devices();

    bool open(const std::string& inputDevice, const std::string& outputDevice, IAudioBlockHandler& handler) override;
    int32_t sampleRate() const override { return m_rate; }
    bool start() override;
    void stop() override;
    const char* name() const override { return "portaudio"; }

private:
    static int callback(const void* input, void* output, unsigned long frames, const void* timeInfo,
                        unsigned long statusFlags, void* self);

    static bool startLibrary();

    void* m_stream = nullptr;
    IAudioBlockHandler* m_handler = nullptr;
    bool m_hasInput = false;
    bool m_hasOutput = false;
    int32_t m_rate = 44100;
    float m_silence[BlockFrames] = {};
    float m_discard[BlockFrames] = {};
};

} // namespace Zumeli
