#pragma once

#include <cstdint>

namespace Zumeli {

// What the voice session asks of the engine around it: the web calls it needs (keep-alive check
// and logout, both in the background), the background work it triggers, and the values it hands
// to the Client. The communication engine implements it; tests implement it with counters.
class IVoiceSessionHost {
public:
    virtual ~IVoiceSessionHost() = default;

    // Starts the web service's keep-alive call; its answer comes back through
    // VoiceSession::webSessionChecked.
    virtual void checkWebSession() = 0;
    // Starts the web service's logout call (nobody waits for its answer).
    virtual void logout() = 0;
    // The channel's people changed: fetch the user list, refresh people and channel events.
    virtual void reloadPeople() = 0;
    // Someone arrived whose name and details are not known yet: fetch them in the background.
    virtual void loadMissingUsers() = 0;
    // True when the user switched off people updates.
    virtual bool userUpdatesDisabled() const = 0;
    // Join the current channel again (its settings changed).
    virtual void joinCurrentChannel() = 0;
    // Another user posted a new channel photo.
    virtual void loadChannelPhoto(uint32_t sender) = 0;
    // Text messages wait on the service.
    virtual void fetchMessages() = 0;

    virtual void setLinkQuality(float quality) = 0;
    virtual void setCurrentTalker(uint32_t user) = 0;
};

} // namespace Zumeli
