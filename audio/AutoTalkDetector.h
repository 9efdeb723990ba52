#pragma once

#include "audio/IAudioPreferences.h"
#include "audio/LevelMeter.h"
#include "voice/SecondsTimer.h"

#include <atomic>

namespace Zumeli {

// Voice activation ("auto talk"): presses the talk key when the microphone level has stayed at
// or above the activate level for 2 x activate time, and releases it when the level has stayed
// at or below the deactivate level for 2 x deactivate time; never twice within 0.4 s.
//
// Threads: the audio callback feeds meter() and calls requestReset() while someone is heard;
// everything else (shouldStart, shouldStop, setAllowed, load, save) runs on the engine thread,
// which performs a requested reset at its next evaluation, so the detector's state has one writer.
class AutoTalkDetector {
public:
    static constexpr float GuardSeconds = 0.4f;

    AutoTalkDetector();

    // Timers run on this clock (the audio clock), or the system clock when null.
    void setTimeSource(const AudioClock* clock);

    bool shouldStart();
    bool shouldStop();
    void reset();
    void setAllowed(bool allowed);
    // Safe on the audio thread: the reset happens at the next evaluation.
    void requestReset() { m_resetRequested.store(true, std::memory_order_release); }

    void load(const IAudioPreferences& preferences);
    void save(IAudioPreferences& preferences) const;

    LevelMeter& meter() { return m_meter; }
    float level() const { return m_level; }
    bool voiceTalking() const { return m_voiceTalking; }

    bool enabled = false;
    float activateLevel = 0.3f;
    float activateTime = 0;
    float deactivateLevel = 0.2f;
    float deactivateTime = 0.5f;

private:
    void evaluate();
    void takeResetRequest();
    bool guardAllows();

    float m_level = 0;
    bool m_allowed = true;
    LevelMeter m_meter;
    bool m_voiceTalking = false;
    SecondsTimer m_hold;
    SecondsTimer m_guard;
    std::atomic<bool> m_resetRequested { false };
};

} // namespace Zumeli
