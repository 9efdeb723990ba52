#pragma once

#include "engine/IClientDelegate.h"

// A delegate that ignores every callback; a test overrides only the ones it watches.
class QuietClientDelegate : public Zumeli::IClientDelegate {
public:
    void onLoggedIn() override { }
    void onLoggedOut() override { }
    void onLoginFailed() override { }
    void onLoginRefused() override { }
    void onServerFull() override { }
    void onReconnecting() override { }
    void onChannelChanged(int) override { }
    void onTalkGranted() override { }
    void onTalkEnded() override { }
    void onTalkAcknowledged() override { }
    void onTalkAllowed() override { }
    void onTalkForbidden() override { }
    void onChannelStateChanged() override { }
    void onVoiceConnection(bool) override { }
    void onTraffic(bool) override { }
    void onVoiceConnected(bool) override { }
    void onMessagesArrived() override { }
    void onUnused() override { }
    void onRecordedAudio(const float*, int32_t) override { }
    void onLinkQuality(float) override { }
    void onChannelAccess() override { }
    void onJoinFailed() override { }
    void onTransmissionTrouble() override { }
    void onChannelFull() override { }
    void onChannelEvent(const Zumeli::ChannelEvent&) override { }
    void onUserPositionChanged(int) override { }
    void onPhotoUpdated(int) override { }
    void onUserMessagesChanged() override { }
    void onTalkRequest(int) override { }
    void onTalkAllowedQuietly() override { }
    void onPositionRequested(Zumeli::Text&) override { }
    void onPositionSent(const Zumeli::Text&) override { }
};
