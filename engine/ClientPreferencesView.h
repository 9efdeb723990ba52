#pragma once

#include "audio/IAudioPreferences.h"
#include "data/Preferences.h"

namespace Zumeli {

// The audio path's view of the preferences store: a missing key gives the fallback.
class ClientPreferencesView final : public IAudioPreferences {
public:
    explicit ClientPreferencesView(Preferences& preferences)
        : m_preferences(preferences)
    {
    }
    std::string value(const std::string& key, const std::string& fallback) const override
    {
        return m_preferences.contains(key.c_str()) ? m_preferences.get(key.c_str()).str() : fallback;
    }
    void setValue(const std::string& key, const std::string& value) override
    {
        m_preferences.set(key.c_str(), Text(value.c_str()));
    }

private:
    Preferences& m_preferences;
};

} // namespace Zumeli
