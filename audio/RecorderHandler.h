#pragma once

#include "audio/AudioThreadGate.h"
#include "audio/IClientAudioDelegate.h"
#include "audio/WavFile.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace Zumeli {

// Records the conversation as the user hears and speaks it (the recorder window's engine):
// registered as the client's audio delegate, it receives every microphone block the client
// passes on (the user's talks with their pre-roll) and every received block, at the device rate,
// into a 220500-sample ring; drain(), called every 0.1 s on the user interface thread, moves the
// ring into a mono 16-bit WAV file whose 44-byte header gets its final sizes when the recording
// stops.
//
// Threads: the two delegate operations run on the audio thread, allocate nothing and never
// overwrite samples the drain has not taken (a ring that is full drops the newest samples and
// counts them). Everything else runs on the user interface thread. Before it is destroyed, the
// recorder is unregistered from the client and the stream's running block waited for
// (AudioHardware::waitForBlockEnd).
class RecorderHandler final : public IClientAudioDelegate {
public:
    static constexpr int32_t RingSamples = 220500;

    RecorderHandler();
    ~RecorderHandler() override { stop(); }
    RecorderHandler(const RecorderHandler&) = delete;
    RecorderHandler& operator=(const RecorderHandler&) = delete;

    // The chosen file ("recording_1" until the user chooses one).
    void setPath(const std::string& path) { m_path = path; }
    const std::string& path() const { return m_path; }
    // The rate written into the header: the stream's rate (set before start).
    void setRate(int32_t rate) { m_rate = rate > 0 ? rate : 44100; }
    int32_t rate() const { return m_rate; }

    // The file the next recording goes to: the chosen path for the first recording of the run,
    // then "_N" (N = recordings so far) before the extension, which becomes "wav".
    std::string nextFileName() const;
    // Opens the next file with an empty header and starts recording; false when the file cannot
    // be created (nothing is recorded then).
    bool start();
    // Drains what is left, writes the final header and closes the file.
    bool stop();
    // Moves the samples recorded since the last drain into the file (every 0.1 s).
    void drain();

    bool recording() const { return m_gate.isOpen(); }
    const std::string& fileName() const { return m_fileName; }
    int64_t samplesWritten() const { return m_writer.samplesWritten(); }
    // "hh:mm:ss.t" of what was written.
    std::string timeText() const;
    int32_t filesWritten() const { return m_filesWritten; }
    // Samples lost because the drain fell more than the ring behind.
    int64_t samplesDropped() const { return m_dropped.load(); }
    // False once a write to the file failed.
    bool healthy() const { return !m_failed; }

    // IClientAudioDelegate
    void microphoneAudio(const float* samples, int32_t n) override { append(samples, n); }
    void receivedAudio(const float* samples, int32_t n) override { append(samples, n); }

private:
    void append(const float* samples, int32_t n);

    std::string m_path = "recording_1";
    std::string m_fileName;
    int32_t m_rate = 44100;
    int32_t m_filesWritten = 0;
    bool m_failed = false;
    WavWriter m_writer;

    std::unique_ptr<float[]> m_ring;
    std::atomic<int64_t> m_writeCount { 0 };
    std::atomic<int64_t> m_readCount { 0 };
    std::atomic<int64_t> m_dropped { 0 };
    AudioThreadGate m_gate; // open while recording
};

} // namespace Zumeli
