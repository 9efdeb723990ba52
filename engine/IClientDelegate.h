#pragma once

#include "voice/ChannelEvent.h"

#include <cstdint>

namespace Zumeli {

class Text;

// What the Client reports to the application, always on the main thread, from its step (one
// response per step) or from the operation the application called. In slot order.
class IClientDelegate {
public:
    virtual ~IClientDelegate() = default;

    virtual void onLoggedIn() = 0;
    virtual void onLoggedOut() = 0;
    virtual void onLoginFailed() = 0;
    virtual void onLoginRefused() = 0;
    virtual void onServerFull() = 0;
    virtual void onReconnecting() = 0;
    virtual void onChannelChanged(int channel) = 0;
    virtual void onTalkGranted() = 0;
    virtual void onTalkEnded() = 0;
    virtual void onTalkAcknowledged() = 0;
    virtual void onTalkAllowed() = 0;
    virtual void onTalkForbidden() = 0;
    virtual void onChannelStateChanged() = 0;
    virtual void onVoiceConnection(bool up) = 0;
    virtual void onTraffic(bool active) = 0;
    virtual void onVoiceConnected(bool connected) = 0;
    virtual void onMessagesArrived() = 0;
    // Kept for the slot order; the engine never calls it.
    virtual void onUnused() = 0;
    virtual void onRecordedAudio(const float* samples, int32_t count) = 0;
    virtual void onLinkQuality(float quality) = 0;
    virtual void onChannelAccess() = 0;
    virtual void onJoinFailed() = 0;
    virtual void onTransmissionTrouble() = 0;
    virtual void onChannelFull() = 0;
    virtual void onChannelEvent(const ChannelEvent& event) = 0;
    virtual void onUserPositionChanged(int user) = 0;
    virtual void onPhotoUpdated(int userId) = 0;
    virtual void onUserMessagesChanged() = 0;
    virtual void onTalkRequest(int user) = 0;
    virtual void onTalkAllowedQuietly() = 0;
    // Position mode 1: write the current position ("latitude,longitude") into position.
    virtual void onPositionRequested(Text& position) = 0;
    virtual void onPositionSent(const Text& position) = 0;
};

} // namespace Zumeli
