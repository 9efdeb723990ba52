#pragma once

#include "audio/AudioFilePlayer.h"
#include "audio/AudioThreadGate.h"
#include "audio/IAudioBackend.h"
#include "audio/IAudioStreamHooks.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace Zumeli {

// Plays a WAV file into the stream (the player window's engine). Stage 1, before the client's
// processing, mixes the file into the microphone block (what the user sends); stage 2, after it,
// adds the file to what the speaker plays (what the user hears). Two mix sets (send, hear and
// microphone levels) are kept: set 0 while the player's talk key is up, set 1 while it is down.
//
// The file is held at the stream's rate: a 44100 Hz file is resampled when it is loaded and
// whenever a stream with another rate opens, so it plays at its own speed on any device.
//
// Threads: the stages run on the audio thread and allocate nothing; everything else runs on the
// user interface thread. stop() (and load, and a rate change) closes a gate that the stages hold
// from the start of stage 1 to the end of stage 2, so when it returns no block uses the file;
// with no stream running it returns at once.
class PlayerHandler final : public IAudioPlayerHook {
public:
    struct MixLevels {
        float send = 1;
        float hear = 1;
        float microphone = 1;
    };
    static constexpr int32_t KeyUpSet = 0;
    static constexpr int32_t KeyDownSet = 1;

    PlayerHandler();

    // Stops, then loads the file (the player's WAV rules); false leaves nothing to play.
    bool load(const std::string& path);
    bool loaded() const { return m_file.loaded(); }
    const AudioFilePlayer& file() const { return m_file; }

    void play();
    // Returns when no block uses the file any more; the position stays where it stopped.
    void stop();
    void rewind() { seek(0); }
    // Position in samples at the stream rate, clamped to the file.
    void seek(int64_t position);
    // The position slider: value × length × 0.001.
    void seekSlider(int32_t value) { seek(int64_t(value) * length() / 1000); }
    void setLoop(bool loop) { m_loop.store(loop); }
    bool loop() const { return m_loop.load(); }
    // False once stopped, or when the end of a file without loop was reached.
    bool isPlaying() const { return m_gate.isOpen() && !m_ended.load(); }

    // Levels are not negative; send may exceed 1 (its slider runs to 100).
    void setMix(int32_t set, MixLevels levels);
    MixLevels mix(int32_t set) const;
    void selectSet(int32_t set) { m_set.store(set == KeyDownSet ? KeyDownSet : KeyUpSet); }
    void toggleSet() { selectSet(currentSet() == KeyUpSet ? KeyDownSet : KeyUpSet); }
    int32_t currentSet() const { return m_set.load(); }

    int32_t streamRate() const { return m_rate; }
    // Samples at the stream rate.
    int64_t length() const { return int64_t(m_samples.size()); }
    int64_t position() const;
    // "hh:mm:ss.t" of the position.
    std::string timeText() const;

    // IAudioPlayerHook
    void setStreamRate(int32_t rate) override;
    void mixIntoInput(float* samples, int32_t n) override;
    void mixIntoOutput(float* samples, int32_t n) override;

private:
    void prepareSamples();

    AudioFilePlayer m_file;
    // The file at the stream rate, scaled to floats within ±0.9.
    std::vector<float> m_samples;
    int32_t m_rate = AudioFilePlayer::FileRate;

    AudioThreadGate m_gate; // open while playing
    std::atomic<bool> m_ended { false };
    std::atomic<bool> m_loop { true };
    std::atomic<int64_t> m_position { 0 };
    std::atomic<int64_t> m_seekRequest { -1 };
    std::atomic<float> m_levels[2][3];
    std::atomic<int32_t> m_set { KeyUpSet };

    // Audio thread only.
    float m_fileBlock[IAudioBackend::BlockFrames] = {};
    bool m_mixed = false;
};

} // namespace Zumeli
