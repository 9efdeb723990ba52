#include "tests/voice/LoopbackPeer.h"
#include "voice/PushServerConnection.h"
#include "voice/SecondsTimer.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

using namespace Zumeli;
using Code = PushServerConnection::Code;

namespace {

// The engine around the connection, reduced to plain members the tests can look at.
class FakeHost : public IPushServerHost {
public:
    SecondsTimer& trafficTimer() override { return traffic; }
    SecondsTimer& remoteTalkTimer() override { return remoteTalk; }
    ResponseMessages& responses() override { return responseRing; }
    uint32_t localUserNumber() const override { return local; }
    void setCurrentTalker(uint32_t user) override { talker = user; }
    bool canDecodeAudio() const override { return decoderReady; }
    void decodeAudio(const VoicePacket& packet) override { decodedSenders.push_back(packet.senderId()); }
    void clearReceiveWaiting() override { ++waitingCleared; }
    bool setPositionText(uint32_t user, const char* text, int length) override
    {
        if (!knownUsers.count(user))
            return false;
        positions[user] = std::string(text, size_t(length));
        return true;
    }

    AudioClock clock { 0 };
    SecondsTimer traffic { &clock };
    SecondsTimer remoteTalk { &clock };
    ResponseMessages responseRing;
    uint32_t local = 1234;
    uint32_t talker = 0;
    bool decoderReady = true;
    std::vector<uint32_t> decodedSenders;
    int waitingCleared = 0;
    std::set<uint32_t> knownUsers { 77 };
    std::map<uint32_t, std::string> positions;
};

using Entries = std::vector<std::tuple<int, int, int>>;

Entries drain(ClientMessages& ring)
{
    Entries entries;
    ClientMessage entry;
    while (ring.take(entry))
        entries.emplace_back(entry.code, entry.value, entry.extra);
    return entries;
}

VoicePacket control(uint32_t sender, VoiceMessage type, uint8_t length = 1)
{
    VoicePacket packet = VoicePacket::control(sender, type);
    packet.setLength(length);
    return packet;
}

VoicePacket audio(uint32_t sender, uint32_t sequence)
{
    VoicePacket packet;
    packet.setSenderId(sender);
    packet.setKind(VoicePacket::Audio);
    packet.setSequence(sequence);
    packet.setLength(33);
    packet.payload()[0] = 0xAA;
    return packet;
}

class PushServer : public ::testing::Test {
protected:
    // Feeds one signed packet straight into the receive path.
    void receive(VoicePacket packet)
    {
        packet.sign();
        connection.dataReceived(packet.bytes(), VoicePacket::Size);
    }
    Entries codes() { return drain(connection.messages()); }
    // Polls until the connect under way has an outcome (a bounded wait).
    void pollUntilHeard()
    {
        for (int i = 0; i < 2000 && connection.isConnecting(); ++i) {
            connection.poll();
            if (connection.isConnecting())
                usleep(1000);
        }
        connection.poll();
    }
    Entries responses() { return drain(host.responseRing); }

    FakeHost host;
    PushServerConnection connection { host };
};

} // namespace

TEST_F(PushServer, ControlMessagesBecomeCodes)
{
    struct Case {
        const char* what;
        VoicePacket packet;
        Entries expected;
    };
    VoicePacket present = control(1, VoiceMessage::UsersPresent, 33);
    present.setArg32(0, 7);
    present.setArg32(8, 9);
    present.setArg32(16, 70);
    present.setArg32(20, 80);
    present.setArg32(24, 90);
    VoicePacket gone = present;
    gone.setType(uint8_t(VoiceMessage::UsersGone));
    VoicePacket shortPresent = present;
    shortPresent.setLength(32);
    VoicePacket keepAliveFlag = control(1, VoiceMessage::KeepAlive, 2);
    keepAliveFlag.setArg(0, 1);
    VoicePacket smile = VoicePacket::smile(5, 3);
    VoicePacket longSmile = smile;
    longSmile.setLength(3);
    VoicePacket unknownKind = control(5, VoiceMessage::TalkAck);
    unknownKind.setKind(3);

    const Case cases[] = {
        { "keep-alive", control(1, VoiceMessage::KeepAlive), { { Code::KeepAliveReceived, 0, 0 } } },
        { "keep-alive with flag", keepAliveFlag, { { Code::KeepAliveReceived, 0, 0 }, { Code::NewMessagesFlag, 1, 0 } } },
        { "talk ack", control(1, VoiceMessage::TalkAck), { { Code::TalkAcknowledged, 0, 0 } } },
        { "smile", smile, { { Code::SmileReceived, 3, 0 } } },
        { "smile with a wrong length", longSmile, {} },
        { "details", control(5, VoiceMessage::DetailsChanged), { { Code::DetailsChanged, 0, 0 } } },
        { "settings", control(5, VoiceMessage::ChannelSettingsChanged), { { Code::ChannelSettingsChanged, 0, 0 } } },
        { "photo", control(5, VoiceMessage::PhotoChanged), { { Code::PhotoChanged, 5, 0 } } },
        { "new messages", control(5, VoiceMessage::NewMessages, 5), { { Code::NewMessagesFlag, 1, 0 } } },
        { "talk request", control(5, VoiceMessage::TalkRequest), { { Code::TalkRequested, 5, 0 } } },
        { "end talk ack", control(1, VoiceMessage::EndTalkAck), { { Code::EndTalkAcknowledged, 0, 0 } } },
        { "users present 7,0,9,0", present, { { Code::UserPresent, 7, 70 }, { Code::UserPresent, 9, 90 } } },
        { "users gone", gone, { { Code::UserGone, 7, 70 }, { Code::UserGone, 9, 90 } } },
        { "users present, wrong length", shortPresent, {} },
        { "hello is ignored", control(1, VoiceMessage::Hello, 15), {} },
        { "type 3 is dropped", control(1, VoiceMessage(3)), {} },
        { "type 200 is dropped", control(1, VoiceMessage(200)), {} },
        { "kind 3 is dropped", unknownKind, {} },
    };
    for (const Case& c : cases) {
        receive(c.packet);
        EXPECT_EQ(codes(), c.expected) << c.what;
    }
}

TEST_F(PushServer, TalkFloorFromAudioAndEndTalk)
{
    receive(audio(5, 0));
    EXPECT_EQ(codes(), (Entries { { Code::RemoteTalkStarted, 5, 0 } }));
    EXPECT_EQ(host.talker, 5u);
    EXPECT_FALSE(connection.isChannelIdle());
    EXPECT_TRUE(host.remoteTalk.isRunning());

    receive(audio(5, 1));
    EXPECT_EQ(codes(), Entries {}) << "only the first frame takes the floor";

    receive(control(1234, VoiceMessage::EndTalk));
    EXPECT_EQ(codes(), Entries {}) << "my own end of talk changes nothing";
    EXPECT_EQ(host.waitingCleared, 0);

    receive(control(5, VoiceMessage::EndTalk));
    EXPECT_EQ(codes(), (Entries { { Code::RemoteTalkEnded, 5, 0 } }));
    EXPECT_TRUE(connection.isChannelIdle());
    EXPECT_EQ(host.waitingCleared, 1);

    receive(control(5, VoiceMessage::EndTalk));
    EXPECT_EQ(codes(), Entries {}) << "a second end of talk on an idle channel posts nothing";
    EXPECT_EQ(host.waitingCleared, 2) << "but still lets the buffer play out";

    receive(audio(1234, 0));
    EXPECT_EQ(codes(), Entries {}) << "my own frames never take the floor";
    EXPECT_TRUE(connection.isChannelIdle());
    EXPECT_EQ(host.decodedSenders, (std::vector<uint32_t> { 5, 5, 1234 })) << "but are decoded";

    host.decoderReady = false;
    host.remoteTalk.stop();
    receive(audio(6, 0));
    EXPECT_EQ(codes(), Entries {});
    EXPECT_FALSE(host.remoteTalk.isRunning()) << "without a codec the frame is dropped whole";
}

TEST_F(PushServer, PositionTextIsBoundedByThePacket)
{
    VoicePacket position = VoicePacket::positionText(77, "0123456789abcdefghijklmnopqrstuvwxyz", 36);
    position.setLength(255); // a peer that lies about the length
    receive(position);
    EXPECT_EQ(codes(), (Entries { { Code::PositionTextChanged, 77, 0 } }));
    EXPECT_EQ(host.positions[77], "0123456789abcdefghijklmnopqrstuv");

    receive(VoicePacket::positionText(77, "", 0));
    EXPECT_EQ(codes(), Entries {}) << "length 1 carries no text and is ignored";
    receive(VoicePacket::positionText(78, "x", 1));
    EXPECT_EQ(codes(), Entries {}) << "an unknown sender is not stored";
}

TEST_F(PushServer, TrafficIsNotedOncePerQuietPeriod)
{
    receive(control(1, VoiceMessage::KeepAlive));
    receive(control(1, VoiceMessage::KeepAlive));
    EXPECT_EQ(responses(), (Entries { { PushServerConnection::TrafficResumed, 0, 0 } }));
    host.clock.set(1.5);
    EXPECT_TRUE(host.traffic.expired());
    receive(control(1, VoiceMessage::KeepAlive));
    EXPECT_EQ(responses(), (Entries { { PushServerConnection::TrafficResumed, 0, 0 } }));
}

TEST_F(PushServer, SendingWhileNotConnectedDoesNothing)
{
    VoicePacket packet = VoicePacket::control(1234, VoiceMessage::KeepAlive);
    EXPECT_FALSE(connection.send(packet));
    EXPECT_EQ(responses(), Entries {});
}

TEST_F(PushServer, RealConnectionCarriesPacketsBothWays)
{
    LoopbackPeer peer;
    ASSERT_TRUE(connection.connect("127.0.0.1", peer.port(), Socket::KeepAlive | Socket::NoDelay));
    EXPECT_EQ(codes(), Entries {}) << "the outcome comes with a later poll";
    ASSERT_TRUE(peer.accept());
    pollUntilHeard();
    EXPECT_EQ(codes(), (Entries { { Code::Connected, 0, 0 } }));
    EXPECT_TRUE(connection.isConnected());

    VoicePacket keepAlive = VoicePacket::control(1234, VoiceMessage::KeepAlive);
    ASSERT_TRUE(connection.send(keepAlive));
    std::vector<uint8_t> sent = peer.read(47);
    ASSERT_EQ(sent.size(), 47u);
    EXPECT_EQ(sent[0], 0xd2);
    EXPECT_EQ(sent[43], 0x57);
    EXPECT_EQ(sent[46], 0x09);

    // One record split 20 + 27 is delivered once, complete.
    VoicePacket ack = control(1, VoiceMessage::TalkAck);
    ack.sign();
    ASSERT_TRUE(peer.write(ack.bytes(), 20));
    usleep(20000);
    connection.poll();
    EXPECT_EQ(codes(), Entries {});
    ASSERT_TRUE(peer.write(ack.bytes() + 20, 27));
    usleep(20000);
    connection.poll();
    EXPECT_EQ(codes(), (Entries { { Code::TalkAcknowledged, 0, 0 } }));

    // A damaged record, then two records in one 94-byte write: the stream stays aligned.
    VoicePacket damaged = control(5, VoiceMessage::TalkRequest);
    damaged.sign();
    damaged.bytes()[12] ^= 0x04;
    VoicePacket request = control(5, VoiceMessage::TalkRequest);
    request.sign();
    VoicePacket photo = control(6, VoiceMessage::PhotoChanged);
    photo.sign();
    std::vector<uint8_t> burst(damaged.bytes(), damaged.bytes() + 47);
    burst.insert(burst.end(), request.bytes(), request.bytes() + 47);
    burst.insert(burst.end(), photo.bytes(), photo.bytes() + 47);
    ASSERT_TRUE(peer.write(burst.data(), burst.size()));
    usleep(20000);
    connection.poll();
    EXPECT_EQ(codes(), (Entries { { Code::BadPacket, 0, 0 }, { Code::TalkRequested, 5, 0 }, { Code::PhotoChanged, 6, 0 } }));

    // The peer goes away.
    peer.closePeer();
    usleep(20000);
    connection.poll();
    EXPECT_EQ(codes(), (Entries { { Code::ConnectionClosed, 0, 0 } }));
    EXPECT_FALSE(connection.isConnected());
    Entries down = responses();
    ASSERT_FALSE(down.empty());
    EXPECT_EQ(down.back(), (std::tuple<int, int, int> { PushServerConnection::VoiceConnectionDown, 0, 0 }));
    EXPECT_FALSE(connection.send(keepAlive));
}

TEST_F(PushServer, RefusedConnectionReportsFailure)
{
    int port;
    {
        LoopbackPeer peer;
        port = peer.port();
    }
    connection.connect("127.0.0.1", port, 0);
    pollUntilHeard();
    EXPECT_EQ(codes(), (Entries { { Code::ConnectionFailed, 0, 0 } }));
    EXPECT_EQ(responses(), (Entries { { PushServerConnection::VoiceConnectionDown, 0, 0 } }));
    EXPECT_FALSE(connection.isConnected());
}

TEST_F(PushServer, UnresolvableHostFailsQuickly)
{
    EXPECT_FALSE(connection.connect("", 9995, 0));
    EXPECT_EQ(codes(), Entries {});
    connection.poll();
    EXPECT_EQ(codes(), (Entries { { Code::ConnectionFailed, 0, 0 } }));
}

TEST_F(PushServer, ReconnectingOnTheSameObjectWorks)
{
    LoopbackPeer first;
    ASSERT_TRUE(connection.connect("127.0.0.1", first.port(), 0));
    ASSERT_TRUE(first.accept());
    pollUntilHeard();
    connection.close();
    EXPECT_FALSE(connection.isConnected());
    LoopbackPeer second;
    ASSERT_TRUE(connection.connect("127.0.0.1", second.port(), 0));
    ASSERT_TRUE(second.accept());
    pollUntilHeard();
    VoicePacket packet = VoicePacket::control(1234, VoiceMessage::TalkRequest);
    ASSERT_TRUE(connection.send(packet));
    EXPECT_EQ(second.read(47).size(), 47u);
}
