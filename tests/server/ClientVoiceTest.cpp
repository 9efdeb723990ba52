// The client's own voice connection (checking, classifying and reporting every packet) on the
// real relay: what the relay sends is what the client acts on.
#include "ServerFixture.h"

#include "voice/PushServerConnection.h"
#include "voice/SecondsTimer.h"

using namespace Zumeli;
using namespace ServerTest;

namespace {

class Host : public IPushServerHost {
public:
    explicit Host(uint32_t user)
        : m_user(user)
    {
    }
    SecondsTimer& trafficTimer() override { return traffic; }
    SecondsTimer& remoteTalkTimer() override { return remoteTalk; }
    ResponseMessages& responses() override { return ring; }
    uint32_t localUserNumber() const override { return m_user; }
    void setCurrentTalker(uint32_t user) override { talker = user; }
    bool canDecodeAudio() const override { return true; }
    void decodeAudio(const VoicePacket& packet) override { decodedFrom.push_back(packet.senderId()); }
    void clearReceiveWaiting() override { }
    bool setPositionText(uint32_t, const char*, int) override { return true; }

    AudioClock clock { 0 };
    SecondsTimer traffic { &clock };
    SecondsTimer remoteTalk { &clock };
    ResponseMessages ring;
    uint32_t talker = 0;
    std::vector<uint32_t> decodedFrom;

private:
    uint32_t m_user;
};

struct Client {
    WebUser web;
    Host host;
    PushServerConnection connection { host };
    std::vector<ClientMessage> seen;

    explicit Client(const WebUser& user)
        : web(user)
        , host(uint32_t(user.id))
    {
    }
    // Polls until the connection reports the code (value too, when given), at most two seconds.
    bool waitFor(int32_t code, int32_t value = -1)
    {
        int64_t deadline = nowMs() + 2000;
        while (nowMs() < deadline) {
            connection.poll();
            ClientMessage entry;
            while (connection.messages().take(entry)) {
                seen.push_back(entry);
                if (entry.code == code && (value < 0 || entry.value == value))
                    return true;
            }
            ClientMessage response;
            while (host.ring.take(response)) { }
            usleep(2000);
        }
        return false;
    }
};

TEST(ClientVoice, HelloPresenceTalkAndEndOfTalkAsTheClientSeesThem)
{
    DataFolder folder;
    RunningServer server(folder.database());
    ASSERT_TRUE(server.started());
    auto a = guest(server.webPort());
    auto b = guest(server.webPort());
    ASSERT_TRUE(a && b);
    a->join(1000);
    b->join(1000);

    Client talker(*a);
    Client listener(*b);
    for (Client* client : { &talker, &listener }) {
        ASSERT_TRUE(client->connection.connect("127.0.0.1", server.voicePort(), 3));
        ASSERT_TRUE(client->waitFor(PushServerConnection::Connected));
        VoicePacket hello = VoicePacket::hello(uint32_t(client->web.id), client->web.session.c_str());
        ASSERT_TRUE(client->connection.send(hello));
        ASSERT_TRUE(client->waitFor(PushServerConnection::KeepAliveReceived));
    }
    EXPECT_TRUE(talker.waitFor(PushServerConnection::UserPresent, b->id));

    for (uint32_t sequence = 0; sequence < 3; ++sequence) {
        VoicePacket frame;
        frame.setSenderId(uint32_t(a->id));
        frame.setKind(VoicePacket::Audio);
        frame.setSequence(sequence);
        frame.setLength(33);
        ASSERT_TRUE(talker.connection.send(frame));
    }
    EXPECT_TRUE(talker.waitFor(PushServerConnection::TalkAcknowledged));
    EXPECT_TRUE(listener.waitFor(PushServerConnection::RemoteTalkStarted, a->id));
    EXPECT_EQ(listener.host.talker, uint32_t(a->id));
    int64_t deadline = nowMs() + 2000;
    while (listener.host.decodedFrom.size() < 3 && nowMs() < deadline) {
        listener.connection.poll();
        usleep(2000);
    }
    EXPECT_EQ(listener.host.decodedFrom, (std::vector<uint32_t>(3, uint32_t(a->id))));

    VoicePacket end = VoicePacket::control(uint32_t(a->id), VoiceMessage::EndTalk);
    ASSERT_TRUE(talker.connection.send(end));
    EXPECT_TRUE(talker.waitFor(PushServerConnection::EndTalkAcknowledged));
    EXPECT_TRUE(listener.waitFor(PushServerConnection::RemoteTalkEnded, a->id));

    VoicePacket smile = VoicePacket::smile(uint32_t(b->id), 4);
    ASSERT_TRUE(listener.connection.send(smile));
    EXPECT_TRUE(talker.waitFor(PushServerConnection::SmileReceived, 4));

    listener.connection.close();
    EXPECT_TRUE(talker.waitFor(PushServerConnection::UserGone, b->id));
    // No packet the relay sent failed the client's checksum.
    for (const ClientMessage& entry : talker.seen)
        EXPECT_NE(entry.code, PushServerConnection::BadPacket);
}

} // namespace
