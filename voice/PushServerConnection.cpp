#include "voice/PushServerConnection.h"

#include "voice/SecondsTimer.h"

namespace Zumeli {

PushServerConnection::PushServerConnection(IPushServerHost& host)
    : m_host(host)
    , m_messages(std::make_unique<PushServerConnectionMessages>())
{
}

PushServerConnection::~PushServerConnection()
{
    m_socket.closeSocket();
    m_host.responses().post(VoiceConnectionDown);
}

bool PushServerConnection::connect(const char* host, int port, int options, int timeoutMs)
{
    m_channelIdle = true;
    m_socket.init(this, VoicePacket::Size);
    return m_socket.connect(host, port, options, timeoutMs);
}

void PushServerConnection::adopt(int handle)
{
    m_channelIdle = true;
    m_socket.init(this, VoicePacket::Size);
    m_socket.adopt(handle);
    connected();
}

void PushServerConnection::close()
{
    m_connected = false;
    m_socket.closeSocket();
    m_host.responses().post(VoiceConnectionDown);
}

void PushServerConnection::noteTraffic()
{
    SecondsTimer& timer = m_host.trafficTimer();
    if (!timer.isRunning())
        m_host.responses().post(TrafficResumed);
    timer.start(TrafficSeconds);
}

bool PushServerConnection::send(VoicePacket& packet)
{
    if (!m_connected)
        return false;
    noteTraffic();
    packet.sign();
    if (!m_socket.send(packet.bytes(), VoicePacket::Size)) {
        m_host.responses().post(VoiceSendFailed);
        return false;
    }
    return true;
}

void PushServerConnection::dataReceived(const uint8_t* bytes, int count)
{
    if (count != VoicePacket::Size)
        return;
    noteTraffic();
    VoicePacket packet(bytes);
    if (!packet.checksumValid()) {
        m_messages->post(BadPacket);
        return;
    }
    bool mine = packet.senderId() == m_host.localUserNumber();
    int32_t sender = int32_t(packet.senderId());

    if (packet.kind() == VoicePacket::Audio) {
        if (!m_host.canDecodeAudio())
            return;
        m_host.remoteTalkTimer().start(RemoteTalkSeconds);
        if (!mine && m_channelIdle) {
            m_host.setCurrentTalker(packet.senderId());
            m_channelIdle = false;
            m_messages->post(RemoteTalkStarted, sender);
        }
        m_host.decodeAudio(packet);
        return;
    }
    if (packet.kind() == VoicePacket::Control)
        receiveControl(packet, mine);
}

void PushServerConnection::receiveControl(const VoicePacket& packet, bool mine)
{
    int32_t sender = int32_t(packet.senderId());
    switch (VoiceMessage(packet.type())) {
    case VoiceMessage::EndTalk:
        if (mine)
            return;
        if (!m_channelIdle) {
            m_channelIdle = true;
            m_messages->post(RemoteTalkEnded, sender);
        }
        m_host.clearReceiveWaiting();
        return;
    case VoiceMessage::KeepAlive:
        m_messages->post(KeepAliveReceived);
        if (packet.length() == 2)
            m_messages->post(NewMessagesFlag, packet.arg(0));
        return;
    case VoiceMessage::TalkAck:
        m_messages->post(TalkAcknowledged);
        return;
    case VoiceMessage::Smile:
        if (packet.length() == 2)
            m_messages->post(SmileReceived, packet.arg(0));
        return;
    case VoiceMessage::DetailsChanged:
        m_messages->post(DetailsChanged);
        return;
    case VoiceMessage::ChannelSettingsChanged:
        m_messages->post(ChannelSettingsChanged);
        return;
    case VoiceMessage::PositionText: {
        if (packet.length() < 2)
            return;
        // The text can never be longer than the argument bytes, whatever length claims.
        int textLength = packet.length() - 1;
        if (textLength > VoicePacket::MaxArgs)
            textLength = VoicePacket::MaxArgs;
        char text[VoicePacket::MaxArgs];
        for (int i = 0; i < textLength; ++i)
            text[i] = char(packet.arg(i));
        if (m_host.setPositionText(packet.senderId(), text, textLength))
            m_messages->post(PositionTextChanged, sender);
        return;
    }
    case VoiceMessage::PhotoChanged:
        m_messages->post(PhotoChanged, sender);
        return;
    case VoiceMessage::NewMessages:
        m_messages->post(NewMessagesFlag, 1);
        return;
    case VoiceMessage::TalkRequest:
        m_messages->post(TalkRequested, sender);
        return;
    case VoiceMessage::EndTalkAck:
        m_messages->post(EndTalkAcknowledged);
        return;
    case VoiceMessage::UsersPresent:
    case VoiceMessage::UsersGone: {
        if (packet.length() != 33)
            return;
        Code code = VoiceMessage(packet.type()) == VoiceMessage::UsersPresent ? UserPresent : UserGone;
        for (int slot = 0; slot < 4; ++slot) {
            uint32_t user = packet.arg32(slot * 4);
            if (user != 0)
                m_messages->postPair(code, int32_t(user), int32_t(packet.arg32(16 + slot * 4)));
        }
        return;
    }
    case VoiceMessage::Hello:
        return;
    }
    // Unknown types are dropped.
}

void PushServerConnection::connected()
{
    m_connected = true;
    m_messages->post(Connected);
}

void PushServerConnection::connectionFailed()
{
    m_messages->post(ConnectionFailed);
    m_connected = false;
    m_socket.closeSocket();
    m_host.responses().post(VoiceConnectionDown);
}

void PushServerConnection::connectionClosed()
{
    m_connected = false;
    m_socket.closeSocket();
    m_host.responses().post(VoiceConnectionDown);
    m_messages->post(ConnectionClosed);
}

void PushServerConnection::socketError() { m_messages->post(BadPacket); }

} // namespace Zumeli
