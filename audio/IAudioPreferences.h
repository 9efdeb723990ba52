#pragma once

#include <string>

namespace Zumeli {

// The few preference values the audio side reads and writes, by dotted key. The engine hands
// the preferences store in through this, so the audio library does not depend on the store.
class IAudioPreferences {
public:
    virtual ~IAudioPreferences() = default;
    // The stored text, or fallback when the key is missing.
    virtual std::string value(const std::string& key, const std::string& fallback) const = 0;
    virtual void setValue(const std::string& key, const std::string& value) = 0;
};

} // namespace Zumeli
