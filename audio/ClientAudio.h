#pragma once

#include "audio/AudioBuffer.h"
#include "audio/AudioBufferTrail.h"
#include "audio/AudioData.h"
#include "audio/AudioResampler.h"
#include "audio/AudioSignalAckTalk.h"
#include "audio/AudioSignalEndTalk.h"
#include "audio/AudioSignalStartTalk.h"
#include "audio/AutoTalkDetector.h"
#include "audio/StreamResampler.h"
#include "audio/EngineAudio.h"
#include "audio/IAudioPreferences.h"
#include "audio/IClientAudioDelegate.h"
#include "audio/ISoundFileProvider.h"
#include "audio/SoundFile.h"

#include <atomic>
#include <cstdint>

namespace Zumeli {

// The client's side of the audio path: what runs once per device block (processAudio) between
// the sound device and the engine's 8000 Hz capture and receive buffers, plus the signal tones,
// sounds, replay, sidetone, voice activation and the audio clock that drives the engine's timers.
//
// Real-time contract: processAudio runs on the sound device's callback thread. It allocates
// nothing, takes no lock and writes no output; every block it uses is allocated here or in
// setAudioRate. It shares with the engine thread only atomics: the buffers' counts, the
// ToAudioMessages ring, the talk link, gains and switches, the meters' levels, the replay flag
// and the delegate pointer. setAudioRate must not run while processAudio does (the device layer
// calls it before it starts a stream).
class ClientAudio {
public:
    static constexpr int32_t ScratchSamples = 441000;
    static constexpr int32_t PreRollSamples = 176400;
    // Highest device rate whose half-second pre-roll fits the pre-roll block.
    static constexpr int32_t MaxRate = 2 * PreRollSamples;

    enum class Sound : int32_t {
        Online = 0,
        Smile0 = 1, // Smile0 + index for smile sounds 0 to 6
        TextMessage = 8,
    };
    static constexpr int32_t SoundCount = 9;
    static constexpr int32_t SmileCount = 7;

    explicit ClientAudio(EngineAudio& engine);

    // Called when a stream opens: configures the resamplers, rebuilds the signals and reloads the
    // sounds for the rate. False (and nothing changes) for a rate outside 1 to MaxRate.
    bool setAudioRate(int32_t rate);
    int32_t audioRate() const { return m_rate.load(std::memory_order_acquire); }

    // One device block of n microphone samples in; on return the same samples hold what to play.
    void processAudio(float* samples, int32_t n);

    // Where the sound files come from (not owned); sounds load at the next setAudioRate.
    void setSoundProvider(ISoundFileProvider* provider) { m_soundProvider = provider; }

    // Engine thread: queue a signal or a sound for the speaker (nothing before the rate is set).
    void playStartTalk() { play(m_startTalk); }
    void playAckTalk() { play(m_ackTalk); }
    void playEndTalk() { play(m_endTalk); }
    void playSound(Sound sound);
    // Smile sound 0 to 6; other indexes play nothing.
    void playSmile(int32_t index);
    const AudioData& sound(Sound which) const { return m_sounds[int32_t(which)]; }

    // Turns replay of the last received audio on when there is any; true when it did.
    bool requestReplay();
    bool replayOn() const { return m_replayOn.load(std::memory_order_acquire); }

    // The recorder's hook (not owned); null to unregister.
    void setAudioDelegate(IClientAudioDelegate* delegate) { m_delegate.store(delegate, std::memory_order_release); }

    // The switches from "public.playthru", "public.cbsounds", "public.messagereceivedfeed" and
    // "public.flushqueuewhentalk" (each on when the stored number is not 0), and the gains from
    // "private.volumein" and "private.volumeout". The switches are read again at every
    // connect; the gains only at start-up, since the user changes them in memory.
    void loadSwitches(const IAudioPreferences& preferences);
    void loadGains(const IAudioPreferences& preferences);

    void setInputGain(float gain) { m_inputGain.store(gain, std::memory_order_relaxed); }
    void setOutputVolume(float volume) { m_outputVolume.store(volume, std::memory_order_relaxed); }
    void setSidetoneOn(bool on) { m_sidetoneOn.store(on, std::memory_order_relaxed); }
    void setSignalsOn(bool on) { m_signalsOn.store(on, std::memory_order_relaxed); }
    void setMessageSoundOn(bool on) { m_messageSoundOn.store(on, std::memory_order_relaxed); }
    void setDiscardReceivedWhileTalking(bool on) { m_discardWhileTalking.store(on, std::memory_order_relaxed); }
    float inputGain() const { return m_inputGain.load(std::memory_order_relaxed); }
    float outputVolume() const { return m_outputVolume.load(std::memory_order_relaxed); }
    bool sidetoneOn() const { return m_sidetoneOn.load(std::memory_order_relaxed); }
    bool signalsOn() const { return m_signalsOn.load(std::memory_order_relaxed); }
    bool messageSoundOn() const { return m_messageSoundOn.load(std::memory_order_relaxed); }
    bool discardReceivedWhileTalking() const { return m_discardWhileTalking.load(std::memory_order_relaxed); }

    AutoTalkDetector& detector() { return m_detector; }
    // Device audio processed so far: the time source of the engine's timers. Only the audio
    // callback advances it.
    const AudioClock* audioClock() const { return &m_clock; }
    double audioSeconds() const { return m_clock.seconds(); }

    AudioBuffer& signalBuffer() { return m_signals; }
    AudioBuffer& replayBuffer() { return m_replay; }
    AudioBufferTrail& preRollTrail() { return m_trail; }

private:
    void play(const AudioData& block);
    void takeMessages();
    // Gain, clamp, sidetone copy, down to 8000 Hz into the capture buffer, the recorder's hook.
    void capture(AudioData& block, int32_t rate);
    void talkChanged(bool talk, int32_t rate);

    EngineAudio& m_engine;
    std::atomic<int32_t> m_rate { 0 };
    std::atomic<float> m_inputGain { 1 };
    std::atomic<float> m_outputVolume { 1 };

    AudioBuffer m_signals;
    AudioBufferTrail m_trail;
    AudioBuffer m_replay;
    std::atomic<bool> m_replayOn { false };

    // Each stream between the device rate and 8000 Hz keeps its place in time across blocks,
    // so the network side runs at exactly 8000 samples a second at any device rate.
    StreamResampler m_toNetwork;
    StreamResampler m_toDevice;
    StreamResampler m_replayToDevice;
    AudioData m_working;
    AudioData m_scratch;
    AudioData m_mix;
    AudioData m_preRoll;
    AudioData m_sidetone;
    std::atomic<bool> m_sidetoneOn { false };
    float m_fadeGain = 0;

    AudioSignalStartTalk m_startTalk;
    AudioSignalAckTalk m_ackTalk;
    AudioSignalEndTalk m_endTalk;
    SoundFile m_sounds[SoundCount];
    ISoundFileProvider* m_soundProvider = nullptr;

    AutoTalkDetector m_detector;
    std::atomic<bool> m_discardWhileTalking { false };
    std::atomic<bool> m_signalsOn { true };
    std::atomic<bool> m_messageSoundOn { false };
    bool m_talkSeen = false;
    std::atomic<IClientAudioDelegate*> m_delegate { nullptr };
    AudioClock m_clock;
};

} // namespace Zumeli
