#include "engine/VoiceSession.h"

#include "audio/AudioCodecFactory.h"
#include "engine/EngineCodes.h"

#include <algorithm>

namespace Zumeli {

using Code = PushServerConnection::Code;

VoiceSession::VoiceSession(ResponseMessages& responses, EngineAudio& audio, People& people, ChannelEventQueue& events,
                           IVoiceSessionHost& host, const AudioClock* clock)
    : m_responses(responses)
    , m_audio(audio)
    , m_people(people)
    , m_events(events)
    , m_host(host)
{
    for (SecondsTimer* timer : { &m_roundTrip, &m_probeInterval, &m_probeReply, &m_remoteTalk, &m_reconnect,
                                 &m_talkAckWatch, &m_traffic, &m_endTalkRepeat })
        timer->setTimeSource(clock);
}

VoiceSession::~VoiceSession() = default;

void VoiceSession::setSession(uint32_t localUser, const Text& sessionId, int options)
{
    m_localUser = localUser;
    m_sessionId = sessionId;
    m_options = options;
    m_events.setLocalUser(int32_t(localUser));
}

void VoiceSession::setCodec(int number)
{
    m_codec = createAudioCodec(number);
    m_audio.talk.setCodec(number, m_codec ? m_codec->frameSamples() : 0);
}

void VoiceSession::decodeAudio(const VoicePacket& packet)
{
    if (m_codec)
        m_codec->decode(ConstAudioPacketBytes(packet.bytes(), VoicePacket::Size), m_audio.receive);
}

bool VoiceSession::setPositionText(uint32_t user, const char* text, int length)
{
    // The position of a user travels in the entry's second text.
    PeopleEntry* entry = m_people.find(int(user));
    if (!entry)
        return false;
    entry->text2.setBytes(length, text);
    return true;
}

void VoiceSession::storeLinkQuality(float seconds)
{
    if (seconds < 0)
        return;
    m_host.setLinkQuality(std::max(0.0f, 1.0f - seconds));
}

void VoiceSession::connectToChannel()
{
    m_connection.connect(m_address.c_str(), m_port, m_options, m_connectTimeoutMs);
}

void VoiceSession::dropConnection()
{
    m_voiceConnected = false;
    m_awaitingHello = false;
    m_awaitingTalkAck = false;
    m_connection.close();
    resetFloor();
    m_audio.toAudio.post(EngineAudio::DiscardReceived);
    m_audio.toAudio.post(EngineAudio::DiscardReplay);
}

void VoiceSession::connectTo(ChannelElement& channel)
{
    setCodec(channel.codec);
    m_present = &channel.presentUsers;
    m_events.setPresent(channel.presentUsers);
    m_probeReply.stop();
    m_probeInterval.stop();
    m_reconnect.start(ConnectWait);
    m_address = channel.address;
    m_port = channel.port;
    connectToChannel();
}

void VoiceSession::leave()
{
    m_voiceConnected = false;
    m_host.logout();
    m_connection.close();
    resetFloor();
    m_loggedIn = false;
    m_responses.post(Response::LoggedOut);
    m_probeInterval.stop();
    m_probeReply.stop();
    m_reconnect.stop();
}

void VoiceSession::webSessionChecked(bool alive)
{
    if (!m_loggedIn)
        return;
    if (alive) {
        m_reconnect.start(0);
        return;
    }
    m_loggedIn = false;
    m_probeInterval.stop();
    m_probeReply.stop();
    leave();
}

void VoiceSession::resetFloor()
{
    if (m_talking) {
        m_talking = false;
        m_responses.post(Response::TalkStopped);
    }
    if (!m_channelFree) {
        m_channelFree = true;
        m_remoteTalk.stop();
        m_responses.post(Response::RemoteTalkEnded);
    }
    m_audio.talk.setCaptureEnd(AudioTalkLink::NoCaptureEnd);
    m_audio.talk.setTalkActive(false);
}

void VoiceSession::talk(bool want)
{
    if (want && !m_channelFree)
        want = false;
    if (want != m_talking) {
        m_talking = want;
        m_responses.post(want ? Response::TalkStarted : Response::TalkStopped);
        if (want) {
            // Frames count from 0 in each talk; the tail drained after the release goes on counting.
            m_frameSequence = 0;
            // The end of an earlier talk that never drained (the connection was down) is void.
            m_audio.talk.setCaptureEnd(AudioTalkLink::NoCaptureEnd);
        }
    }
    if (want) {
        m_frameBudget = FrameBudget;
        m_awaitingTalkAck = true;
        m_talkAcknowledged = false;
        m_audio.talk.setTalkActive(true);
        m_talkAckWatch.start(0);
        m_endTalkRepeat.stop();
    }
    if (!want)
        m_audio.talk.setTalkActive(false);
}

void VoiceSession::sendControl(VoicePacket packet) { m_connection.send(packet); }

void VoiceSession::sendKeepAlive() { sendControl(VoicePacket::control(m_localUser, VoiceMessage::KeepAlive)); }

void VoiceSession::sendSmile(int index) { sendControl(VoicePacket::smile(m_localUser, uint8_t(index))); }

void VoiceSession::sendChannelSettingsChanged()
{
    sendControl(VoicePacket::control(m_localUser, VoiceMessage::ChannelSettingsChanged));
}

void VoiceSession::sendPositionText(const Text& text)
{
    sendControl(VoicePacket::positionText(m_localUser, text.data(), text.length()));
}

void VoiceSession::sendDetailsChanged() { sendControl(VoicePacket::control(m_localUser, VoiceMessage::DetailsChanged)); }

void VoiceSession::sendPhotoChanged() { sendControl(VoicePacket::control(m_localUser, VoiceMessage::PhotoChanged)); }

void VoiceSession::sendTalkRequest() { sendControl(VoicePacket::control(m_localUser, VoiceMessage::TalkRequest)); }

void VoiceSession::sendNewMessages(uint32_t addressee)
{
    if (!m_present || std::find(m_present->begin(), m_present->end(), int32_t(addressee)) == m_present->end())
        return;
    sendControl(VoicePacket::newMessages(m_localUser, addressee));
}

void VoiceSession::step()
{
    sendAudio();
    handleConnectionMessages();
    if (m_remoteTalk.expired()) {
        m_channelFree = true;
        m_responses.post(Response::RemoteTalkTimedOut);
        m_connection.setIdle();
        m_events.add(int32_t(m_remoteTalker), ChannelEvent::Stopped);
    }
    keepAlive();
    m_events.step();
    if (m_traffic.expired())
        m_responses.post(Response::TrafficEnded);
}

void VoiceSession::sendAudio()
{
    // The audio callback only counts the zeros it padded a talk's last frame with.
    m_audio.talk.traceFill();
    if (!m_voiceConnected || !m_codec)
        return;
    AudioBuffer& capture = m_audio.capture;
    if (m_frameBudget > 0 || m_talkAcknowledged) {
        // Until the server acknowledges the talk, only the budget's frames go out.
        for (int i = 0; i < FramesPerStep && (m_frameBudget > 0 || m_talkAcknowledged); ++i) {
            VoicePacket packet;
            if (!m_codec->encode(capture, AudioPacketBytes(packet.bytes(), VoicePacket::Size)))
                break;
            packet.setSenderId(m_localUser);
            packet.setSequence(uint32_t(m_frameSequence++));
            packet.setKind(VoicePacket::Audio);
            m_connection.send(packet);
            if (m_frameBudget > 0)
                --m_frameBudget;
        }
    } else if (int64_t end = m_audio.talk.captureEnd(); end != AudioTalkLink::NoCaptureEnd) {
        // Audio captured after the budget ran out without an acknowledgement is dropped.
        VoicePacket scratch;
        while (capture.readCount() < end && m_codec->encode(capture, AudioPacketBytes(scratch.bytes(), VoicePacket::Size))) { }
    }
    int64_t end = m_audio.talk.captureEnd();
    if (end != AudioTalkLink::NoCaptureEnd && !m_talking && capture.readCount() >= end) {
        m_audio.talk.setCaptureEnd(AudioTalkLink::NoCaptureEnd);
        m_endTalkRepeatsLeft = EndTalkRepeats;
        m_endTalkRepeat.start(EndTalkInterval);
    }
    if (m_endTalkRepeat.expired()) {
        --m_endTalkRepeatsLeft;
        sendControl(VoicePacket::control(m_localUser, VoiceMessage::EndTalk));
        if (m_endTalkRepeatsLeft > 0)
            m_endTalkRepeat.start(EndTalkInterval);
    }
}

void VoiceSession::handleConnectionMessages()
{
    ClientMessage message;
    while (m_connection.messages().take(message))
        handle(message);
}

void VoiceSession::handle(const ClientMessage& message)
{
    auto user = uint32_t(message.value);
    switch (message.code) {
    case Code::DetailsChanged:
        if (!m_host.userUpdatesDisabled())
            m_host.reloadPeople();
        break;
    case Code::RemoteTalkStarted:
        m_channelFree = false;
        m_remoteTalker = user;
        m_remoteTalk.start(PushServerConnection::RemoteTalkSeconds);
        if (m_talking) {
            m_talking = false;
            m_responses.post(Response::TalkStopped);
        }
        m_audio.talk.setTalkActive(false);
        m_responses.post(Response::RemoteTalkStarted);
        m_events.add(int32_t(user), ChannelEvent::Talking);
        m_audio.toAudio.post(EngineAudio::DiscardReplay);
        break;
    case Code::RemoteTalkEnded:
        m_channelFree = true;
        m_remoteTalk.stop();
        m_responses.post(Response::RemoteTalkEnded);
        m_events.add(int32_t(user), ChannelEvent::Stopped);
        m_events.add(int32_t(m_localUser), ChannelEvent::You);
        break;
    case Code::KeepAliveReceived:
        if (m_awaitingHello) {
            m_responses.post(Response::HelloAccepted);
            m_awaitingHello = false;
        } else {
            storeLinkQuality(m_roundTrip.overdue());
            m_responses.post(Response::LinkQuality);
        }
        m_probeReply.stop();
        m_probeInterval.start(ProbeEvery);
        break;
    case Code::Connected: {
        float connectTime = m_reconnect.sinceStart();
        m_reconnect.stop();
        m_probeInterval.start(0);
        m_roundTrip.start(0);
        m_awaitingHello = true;
        m_voiceConnected = true;
        sendControl(VoicePacket::hello(m_localUser, m_sessionId.c_str()));
        storeLinkQuality(connectTime);
        m_responses.post(Response::LinkQuality);
        break;
    }
    case Code::ConnectionFailed:
        m_voiceConnected = false;
        m_connection.close();
        m_responses.post(Response::TransmissionTrouble);
        m_reconnect.start(RetryAfterFailure);
        break;
    case Code::ConnectionClosed:
        m_probeFailures = 2;
        m_probeReply.start(ProbeRetryWait);
        break;
    case Code::BadPacket:
        m_responses.post(Response::TransmissionTrouble);
        break;
    case Code::SmileReceived:
        m_responses.post(Response::PlaySmile, message.value);
        break;
    case Code::ChannelSettingsChanged:
        m_host.joinCurrentChannel();
        break;
    case Code::TalkAcknowledged:
        if (!m_awaitingTalkAck)
            break;
        if (m_talking) {
            m_talkAcknowledged = true;
            m_responses.post(Response::TalkAcknowledged);
        }
        storeLinkQuality(m_talkAckWatch.overdue());
        m_responses.post(Response::LinkQuality);
        m_probeReply.stop();
        m_probeInterval.start(ProbeEvery);
        m_awaitingTalkAck = false;
        break;
    case Code::PositionTextChanged:
        m_responses.post(Response::PositionChanged, message.value);
        break;
    case Code::PhotoChanged:
        if (user != m_localUser)
            m_host.loadChannelPhoto(user);
        break;
    case Code::UserPresent:
        m_people.setVersion(int(user), message.extra);
        if (m_present && std::find(m_present->begin(), m_present->end(), int32_t(user)) == m_present->end())
            m_present->push_back(int32_t(user));
        m_responses.post(Response::ChannelPeopleChanged);
        m_events.syncPresent(m_present ? *m_present : std::vector<int32_t> {});
        // Without this the newcomer would show as "[id]" until the next full user list.
        if (!m_host.userUpdatesDisabled())
            m_host.loadMissingUsers();
        break;
    case Code::UserGone:
        if (m_present)
            std::erase(*m_present, int32_t(user));
        m_responses.post(Response::ChannelPeopleChanged);
        m_events.syncPresent(m_present ? *m_present : std::vector<int32_t> {});
        break;
    case Code::NewMessagesFlag:
        if (message.value == 1)
            m_host.fetchMessages();
        break;
    case Code::TalkRequested:
        m_responses.post(Response::TalkRequested, message.value);
        break;
    case Code::EndTalkAcknowledged:
        m_endTalkRepeat.stop();
        break;
    default:
        break;
    }
}

void VoiceSession::keepAlive()
{
    if (m_reconnect.expired()) {
        m_voiceConnected = false;
        m_connection.close();
        connectToChannel();
        m_probeReply.stop();
        m_probeInterval.stop();
        m_reconnect.start(ConnectWait);
        return;
    }
    if (m_probeReply.expired()) {
        if (++m_probeFailures >= ProbeFailuresBeforeWebCheck) {
            // Probing stops while the web service is asked; its answer decides what follows.
            m_voiceConnected = false;
            m_probeInterval.stop();
            m_probeReply.stop();
            m_host.checkWebSession();
            return;
        }
        m_responses.post(Response::TransmissionTrouble);
        m_probeReply.start(ProbeRetryWait);
        sendKeepAlive();
        return;
    }
    if (m_probeInterval.expired()) {
        sendKeepAlive();
        m_probeFailures = 0;
        m_probeReply.start(ProbeReplyWait);
        m_roundTrip.start(0);
    }
}

} // namespace Zumeli
