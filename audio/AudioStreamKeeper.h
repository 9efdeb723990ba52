#pragma once

#include "audio/AudioHardware.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Zumeli {

// Keeps a sound stream running whatever the devices do. It opens the chosen back end on the
// chosen devices, else on the system's default devices, else the null back end (silence paced
// in real time), because the engine's clock and every timer run on the stream: without one the
// client would never log in, reconnect or let a talk end. check(), called on the user
// interface thread about once a second, watches the stream: one that stops delivering blocks (a
// headset pulled out) is closed and opened again the same way, the library restarted first so
// that it sees the devices present now; while the null back end stands in, the chosen back end
// is tried again every few seconds, so a device that comes back is used again.
class AudioStreamKeeper {
public:
    // A new back end of the chosen kind; afterFailure asks for a restarted sound library.
    using BackendFactory = std::function<std::unique_ptr<IAudioBackend>(bool afterFailure)>;

    static constexpr uint64_t StallMs = 1500;
    static constexpr uint64_t RetryMs = 5000;

    AudioStreamKeeper(AudioHardware& hardware, IAudioProcessor* client, BackendFactory chosen);
    ~AudioStreamKeeper() { m_hardware.close(); }

    void setDevices(const std::string& input, const std::string& output);
    // Tests shorten the waits.
    void setTimings(uint64_t stallMs, uint64_t retryMs);

    // Opens the stream; true when the chosen back end runs (false: the null back end stands in).
    bool start();
    // Watches the stream and repairs it; call regularly. True when it reopened the stream.
    bool check();
    void stop() { m_hardware.close(); }

    // The null back end stands in for the chosen one.
    bool onStandIn() const { return m_standIn; }
    // What happened last, for the user ("no sound device: running without sound", ...).
    const std::string& status() const { return m_status; }
    int reopenCount() const { return m_reopens; }

private:
    bool openChosen(bool afterFailure);
    void openStandIn();

    AudioHardware& m_hardware;
    IAudioProcessor* m_client;
    BackendFactory m_chosen;
    std::string m_input;
    std::string m_output;
    uint64_t m_stallMs = StallMs;
    uint64_t m_retryMs = RetryMs;
    bool m_standIn = false;
    int64_t m_lastBlocks = -1;
    uint64_t m_lastProgress = 0;
    uint64_t m_lastRetry = 0;
    int m_reopens = 0;
    std::string m_status;
};

} // namespace Zumeli
