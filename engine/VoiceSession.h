#pragma once

#include "audio/AudioCodec.h"
#include "audio/EngineAudio.h"
#include "data/ChannelElement.h"
#include "data/People.h"
#include "engine/IVoiceSessionHost.h"
#include "voice/ChannelEventQueue.h"
#include "voice/PushServerConnection.h"
#include "voice/SecondsTimer.h"

#include <memory>

namespace Zumeli {

// The engine's side of the channel's voice server: connecting and saying hello after every
// join, keep-alive probes and reconnection, the talk floor, sending the local talk (at most 50
// frames before the server acknowledges it), repeating the end of a talk until acknowledged,
// the short control messages, and turning every message from the server into responses for the
// Client, engine work and channel events. Runs inside the engine step; every timer runs on the
// audio clock, so time-outs advance only while sound runs.
class VoiceSession final : public IPushServerHost {
public:
    static constexpr int32_t FrameBudget = 50;
    static constexpr int32_t FramesPerStep = 20;
    static constexpr int32_t EndTalkRepeats = 50;
    static constexpr float EndTalkInterval = 0.1f;
    static constexpr float ConnectWait = 10.0f;
    static constexpr float RetryAfterFailure = 2.0f;
    static constexpr float ProbeEvery = 30.0f;
    static constexpr float ProbeReplyWait = 15.0f;
    static constexpr float ProbeRetryWait = 2.0f;
    static constexpr int32_t ProbeFailuresBeforeWebCheck = 3;

    VoiceSession(ResponseMessages& responses, EngineAudio& audio, People& people, ChannelEventQueue& events,
                 IVoiceSessionHost& host, const AudioClock* clock);
    ~VoiceSession() override;

    // The logged-in session: own user number, session identifier (sent in Hello) and the
    // socket option bits of the login reply.
    void setSession(uint32_t localUser, const Text& sessionId, int options);
    void setLoggedIn(bool loggedIn) { m_loggedIn = loggedIn; }
    bool loggedIn() const { return m_loggedIn; }
    void setConnectTimeoutMs(int milliseconds) { m_connectTimeoutMs = milliseconds; }

    // A join succeeded: drop the old connection, then connect to the channel's voice server.
    void joined(ChannelElement& channel)
    {
        dropConnection();
        connectTo(channel);
    }
    // The channel records are about to go (the list is cleared): keep no pointer into them.
    void forgetChannel() { m_present = nullptr; }
    // Closes the connection, resets the floor and tells the audio path to drop what it holds.
    void dropConnection();
    // Takes the channel's codec and people and connects to its voice server.
    void connectTo(ChannelElement& channel);
    // Leaves the session: logout call, connection closed, floor reset, response 2.
    void leave();

    // Talk on (true) or off; a talk on during another user's talk is ignored.
    void talk(bool want);

    // Control messages.
    void sendSmile(int index);
    void sendChannelSettingsChanged();
    void sendPositionText(const Text& text);
    void sendDetailsChanged();
    void sendPhotoChanged();
    void sendTalkRequest();
    // Sent only when the addressee is present in the channel.
    void sendNewMessages(uint32_t addressee);

    // The voice part of the engine step, before the engine's tasks: send audio, react to the
    // server, the remote-talk time-out, keep-alive and reconnection, channel events, traffic.
    void step();
    // The answer to the web session check the session asked its host for.
    void webSessionChecked(bool alive);
    // The last action of the engine step.
    void poll() { m_connection.poll(); }

    void setCodec(int number);
    AudioCodec* codec() const { return m_codec.get(); }
    PushServerConnection& connection() { return m_connection; }

    bool talking() const { return m_talking; }
    bool channelFree() const { return m_channelFree; }
    bool voiceConnected() const { return m_voiceConnected; }
    bool talkAcknowledged() const { return m_talkAcknowledged; }
    int32_t frameBudget() const { return m_frameBudget; }
    int32_t probeFailures() const { return m_probeFailures; }
    int32_t endTalkRepeatsLeft() const { return m_endTalkRepeatsLeft; }
    const std::vector<int32_t>* presentUsers() const { return m_present; }

    // IPushServerHost
    SecondsTimer& trafficTimer() override { return m_traffic; }
    SecondsTimer& remoteTalkTimer() override { return m_remoteTalk; }
    ResponseMessages& responses() override { return m_responses; }
    uint32_t localUserNumber() const override { return m_localUser; }
    void setCurrentTalker(uint32_t user) override { m_host.setCurrentTalker(user); }
    bool canDecodeAudio() const override { return m_codec != nullptr; }
    void decodeAudio(const VoicePacket& packet) override;
    void clearReceiveWaiting() override { m_audio.receive.clearWaiting(); }
    bool setPositionText(uint32_t user, const char* text, int length) override;

private:
    void connectToChannel();
    void sendAudio();
    void handleConnectionMessages();
    void handle(const ClientMessage& message);
    void keepAlive();
    void resetFloor();
    void sendControl(VoicePacket packet);
    void sendKeepAlive();
    void storeLinkQuality(float seconds);

    ResponseMessages& m_responses;
    EngineAudio& m_audio;
    People& m_people;
    ChannelEventQueue& m_events;
    IVoiceSessionHost& m_host;
    PushServerConnection m_connection { *this };
    std::unique_ptr<AudioCodec> m_codec;

    uint32_t m_localUser = 0;
    Text m_sessionId;
    int m_options = 0;
    Text m_address;
    int m_port = 0;
    std::vector<int32_t>* m_present = nullptr;
    int m_connectTimeoutMs = Socket::DefaultConnectTimeoutMs;

    bool m_talking = false;
    bool m_channelFree = true;
    bool m_loggedIn = false;
    bool m_voiceConnected = false;
    int32_t m_frameSequence = 0;
    uint32_t m_remoteTalker = 0;
    int32_t m_probeFailures = 0;
    int32_t m_frameBudget = 0;
    bool m_talkAcknowledged = false;
    bool m_awaitingHello = false;
    bool m_awaitingTalkAck = false;
    int32_t m_endTalkRepeatsLeft = 0;

    SecondsTimer m_roundTrip;
    SecondsTimer m_probeInterval;
    SecondsTimer m_probeReply;
    SecondsTimer m_remoteTalk;
    SecondsTimer m_reconnect;
    SecondsTimer m_talkAckWatch;
    SecondsTimer m_traffic;
    SecondsTimer m_endTalkRepeat;
};

} // namespace Zumeli
