#pragma once

#include "data/UserMessageData.h"
#include "engine/IClientDelegate.h"

#include <cstdio>
#include <string>

namespace Zumeli {

class Client;

// A text as one harmless line: line breaks dropped, every other control character (which could
// retitle, clear or recolour the reader's terminal) written as \xHH.
std::string printableLine(const std::string& text);

// The headless client's delegate: remembers what the run loop waits for and, with --events,
// prints one line per callback ("talk-granted", "channel-changed 1000", ...).
class CliEvents final : public IClientDelegate {
public:
    CliEvents(Client& client, FILE* output);

    // Any line, flushed at once so a reader sees it while the client runs.
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));

    bool loggedIn = false;
    bool loggedOut = false;
    bool loginFailed = false;
    bool loginRefused = false;
    bool voiceUp = false;
    bool voiceEverUp = false;
    bool talkGranted = false;
    bool talkEnded = false;
    int channel = 0;

    void onLoggedIn() override;
    void onLoggedOut() override;
    void onLoginFailed() override;
    void onLoginRefused() override;
    void onServerFull() override;
    void onReconnecting() override { print("reconnecting"); }
    void onChannelChanged(int number) override;
    void onTalkGranted() override;
    void onTalkEnded() override;
    void onTalkAcknowledged() override { print("talk-acknowledged"); }
    void onTalkAllowed() override { print("talk-allowed"); }
    void onTalkForbidden() override { print("talk-forbidden"); }
    void onChannelStateChanged() override { print("channel-state"); }
    void onVoiceConnection(bool up) override { print("voice-connection %s", up ? "up" : "down"); }
    void onTraffic(bool active) override { print("traffic %s", active ? "on" : "off"); }
    void onVoiceConnected(bool connected) override;
    void onMessagesArrived() override;
    void onUnused() override { print("unused"); }
    void onRecordedAudio(const float*, int32_t count) override { print("recorded-audio %d", int(count)); }
    void onLinkQuality(float quality) override { print("link-quality %.2f", double(quality)); }
    void onChannelAccess() override { print("channel-access"); }
    void onJoinFailed() override { print("join-failed"); }
    void onTransmissionTrouble() override { print("transmission-trouble"); }
    void onChannelFull() override { print("channel-full"); }
    void onChannelEvent(const ChannelEvent& event) override { print("channel-event %d %d", int(event.user), int(event.kind)); }
    void onUserPositionChanged(int user) override { print("position-changed %d", user); }
    void onPhotoUpdated(int userId) override { print("photo-updated %d", userId); }
    void onUserMessagesChanged() override;
    void onTalkRequest(int user) override { print("talk-request %d", user); }
    void onTalkAllowedQuietly() override { print("talk-allowed-quietly"); }
    void onPositionRequested(Text& position) override;
    void onPositionSent(const Text& position) override;

private:
    Client& m_client;
    FILE* m_output; // null: events are not printed
    UserMessageData m_lastSeen;
    bool m_hasLastSeen = false;
};

} // namespace Zumeli
