#pragma once

#include "voice/ClientMessages.h"
#include "voice/IPushServerHost.h"
#include "voice/Socket.h"
#include "voice/VoicePacket.h"

#include <memory>

namespace Zumeli {

// The one TCP connection to the channel's voice server. It checks and classifies every
// incoming 47-byte packet and reports it as a code in its own ring, which the voice session
// reads; it signs and sends outgoing packets. Everything runs on the engine's thread: the
// socket is polled, never waited on.
class PushServerConnection final : public ISocketDelegate {
public:
    // Codes posted to messages().
    enum Code : int32_t {
        DetailsChanged = 1,
        RemoteTalkStarted = 2,   // value: sender
        RemoteTalkEnded = 3,     // value: sender
        KeepAliveReceived = 4,
        Connected = 5,
        ConnectionFailed = 6,
        ConnectionClosed = 7,
        BadPacket = 8,
        SmileReceived = 9,       // value: smile index
        ChannelSettingsChanged = 10,
        TalkAcknowledged = 11,
        PositionTextChanged = 12, // value: sender
        PhotoChanged = 13,        // value: sender
        UserPresent = 14,         // value: user, extra: value
        UserGone = 15,            // value: user, extra: value
        NewMessagesFlag = 16,     // value: flag
        TalkRequested = 17,       // value: sender
        EndTalkAcknowledged = 18,
    };

    // Codes this connection posts to the client's response ring.
    enum ResponseCode : int32_t {
        TrafficResumed = 15,
        VoiceConnectionDown = 18,
        VoiceSendFailed = 23,
    };

    static constexpr float TrafficSeconds = 1.0f;
    static constexpr float RemoteTalkSeconds = 6.0f;

    explicit PushServerConnection(IPushServerHost& host);
    ~PushServerConnection() override;

    // Connects to the channel's voice server with the session's option bits.
    bool connect(const char* host, int port, int options, int timeoutMs = Socket::DefaultConnectTimeoutMs);
    // Uses an already connected stream as the connection (tests and tools).
    void adopt(int handle);
    void close();
    // Signs and sends a packet; false when not connected or the socket refused it.
    bool send(VoicePacket& packet);
    void poll() { m_socket.poll(); }
    void setIdle() { m_channelIdle = true; }

    bool isConnected() const { return m_connected; }
    // A connect is under way: its outcome comes with a later poll.
    bool isConnecting() const { return m_socket.isConnecting(); }
    bool isChannelIdle() const { return m_channelIdle; }
    PushServerConnectionMessages& messages() { return *m_messages; }

    // ISocketDelegate
    void dataReceived(const uint8_t* bytes, int count) override;
    void connectionClosed() override;
    void connected() override;
    void connectionFailed() override;
    void socketError() override;

private:
    void noteTraffic();
    void receiveControl(const VoicePacket& packet, bool mine);

    IPushServerHost& m_host;
    Socket m_socket;
    std::unique_ptr<PushServerConnectionMessages> m_messages;
    bool m_channelIdle = true;
    bool m_connected = false;
};

} // namespace Zumeli
