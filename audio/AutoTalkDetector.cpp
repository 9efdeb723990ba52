#include "audio/AutoTalkDetector.h"

#include <charconv>
#include <cstdio>

namespace Zumeli {

namespace {

const char* const KeyOn = "private.autotalk.on";
const char* const KeyActivateLevel = "private.autotalk.activate.level";
const char* const KeyActivateTime = "private.autotalk.activate.time";
const char* const KeyDeactivateLevel = "private.autotalk.deactivate.level";
const char* const KeyDeactivateTime = "private.autotalk.deactivate.time";

// A stored number, or fallback when the text is not one.
float number(const IAudioPreferences& preferences, const char* key, const char* fallback)
{
    std::string text = preferences.value(key, fallback);
    float result = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (error != std::errc() || end == text.data()) {
        std::string defaultText = fallback;
        std::from_chars(defaultText.data(), defaultText.data() + defaultText.size(), result);
    }
    return result;
}

std::string text(float value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", double(value));
    return buffer;
}

} // namespace

AutoTalkDetector::AutoTalkDetector()
    : m_meter(44100)
{
}

void AutoTalkDetector::setTimeSource(const AudioClock* clock)
{
    m_hold.setTimeSource(clock);
    m_guard.setTimeSource(clock);
}

void AutoTalkDetector::takeResetRequest()
{
    if (m_resetRequested.exchange(false, std::memory_order_acq_rel))
        reset();
}

void AutoTalkDetector::evaluate()
{
    m_level = m_meter.level();
    bool crossing = m_voiceTalking ? m_level <= deactivateLevel : m_level >= activateLevel;
    float holdSeconds = 2 * (m_voiceTalking ? deactivateTime : activateTime);
    if (!crossing)
        m_hold.stop();
    else if (!m_hold.isRunning())
        m_hold.start(holdSeconds);
}

bool AutoTalkDetector::guardAllows()
{
    // Not running, or expiring just now.
    return !m_guard.isRunning() || m_guard.expired();
}

bool AutoTalkDetector::shouldStart()
{
    takeResetRequest();
    if (!enabled) {
        m_level = 0;
        return false;
    }
    evaluate();
    if (m_voiceTalking)
        return false;
    if (m_allowed && guardAllows() && m_hold.expired()) {
        m_guard.start(GuardSeconds);
        m_voiceTalking = true;
        return true;
    }
    return false;
}

bool AutoTalkDetector::shouldStop()
{
    takeResetRequest();
    if (!enabled) {
        m_level = 0;
        return false;
    }
    evaluate();
    if (!m_voiceTalking)
        return false;
    if (m_allowed && guardAllows() && m_hold.expired()) {
        m_guard.start(GuardSeconds);
        m_voiceTalking = false;
        return true;
    }
    return false;
}

void AutoTalkDetector::reset()
{
    m_voiceTalking = false;
    m_hold.stop();
    m_guard.stop();
    m_level = 0;
}

void AutoTalkDetector::setAllowed(bool allowed)
{
    if (allowed != m_allowed) {
        reset();
        if (allowed)
            m_guard.start(GuardSeconds);
    }
    m_allowed = allowed;
}

void AutoTalkDetector::load(const IAudioPreferences& preferences)
{
    enabled = number(preferences, KeyOn, "0") != 0;
    activateLevel = number(preferences, KeyActivateLevel, "0.4");
    activateTime = number(preferences, KeyActivateTime, "0.0");
    deactivateLevel = number(preferences, KeyDeactivateLevel, "0.3");
    deactivateTime = number(preferences, KeyDeactivateTime, "0.5");
}

void AutoTalkDetector::save(IAudioPreferences& preferences) const
{
    preferences.setValue(KeyOn, enabled ? "1" : "0");
    preferences.setValue(KeyActivateLevel, text(activateLevel));
    preferences.setValue(KeyActivateTime, text(activateTime));
    preferences.setValue(KeyDeactivateLevel, text(deactivateLevel));
    preferences.setValue(KeyDeactivateTime, text(deactivateTime));
}

} // namespace Zumeli
