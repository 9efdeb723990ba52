#include "ServerFixture.h"

#include "data/Checksum.h"
#include "data/UserMessagesList.h"
#include "server/Sessions.h"
#include "server/Store.h"
#include "server/VoiceRelay.h"

using namespace Zumeli;
using namespace ServerTest;

namespace {

class VoiceRelayTest : public ServiceTest {
protected:
    void SetUp() override { start(); }
};

bool isControl(const VoicePacket& packet, VoiceMessage type)
{
    return packet.kind() == VoicePacket::Control && packet.type() == uint8_t(type);
}

TEST_F(VoiceRelayTest, AnythingButAValidHelloFirstClosesTheConnection)
{
    WebUser user = inChannel(1000);
    auto notJoined = guest(server->webPort());
    ASSERT_TRUE(notJoined);
    struct Case {
        const char* what;
        std::function<void(VoiceClient&)> send;
    };
    const Case cases[] = {
        { "audio first", [](VoiceClient& c) { c.audio(0); } },
        { "keep-alive first", [](VoiceClient& c) { c.control(VoiceMessage::KeepAlive); } },
        { "unknown session", [](VoiceClient& c) { c.hello("NoSuchSession"); } },
        { "session without a channel", [&](VoiceClient& c) { c.hello(notJoined->session); } },
        { "bad checksum", [&](VoiceClient& c) { c.send(VoicePacket::hello(0, user.session.c_str()), false); } },
        { "garbage", [](VoiceClient& c) { c.sendBytes("GET / HTTP/1.0\r\n\r\nxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx", 47); } },
    };
    for (const auto& c : cases) {
        VoiceClient client(server->voicePort());
        c.send(client);
        EXPECT_TRUE(client.closedByServer()) << c.what;
    }
    VoiceClient good(server->voicePort());
    ASSERT_TRUE(good.hello(user.session));
    auto reply = good.next();
    ASSERT_TRUE(reply);
    EXPECT_TRUE(isControl(*reply, VoiceMessage::KeepAlive));
    EXPECT_TRUE(reply->checksumValid());
}

TEST_F(VoiceRelayTest, ArrivalsAndDeparturesAreAnnouncedWithTheDetailsVersion)
{
    WebUser a = inChannel(1000);
    WebUser b = inChannel(1000);
    WebUser elsewhere = inChannel(1001);
    auto voiceA = voice(a);
    auto voiceOther = voice(elsewhere);
    auto voiceB = voice(b);

    auto present = voiceA->nextOfType(VoiceMessage::UsersPresent);
    ASSERT_TRUE(present);
    EXPECT_EQ(present->length(), 33);
    EXPECT_EQ(present->arg32(0), uint32_t(b.id));
    EXPECT_EQ(present->arg32(16), 1u); // details version
    EXPECT_EQ(present->arg32(4), 0u);  // unused slots
    EXPECT_TRUE(present->checksumValid());

    voiceB.reset();
    auto gone = voiceA->nextOfType(VoiceMessage::UsersGone);
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->arg32(0), uint32_t(b.id));
    // Other channels hear nothing of it.
    EXPECT_TRUE(voiceOther->drain(200).empty());
}

TEST_F(VoiceRelayTest, TheFirstTalkerTakesTheFloorAndIsRelayedUnderItsOwnId)
{
    WebUser a = inChannel(1000);
    WebUser b = inChannel(1000);
    WebUser c = inChannel(1000);
    auto voiceA = voice(a);
    auto voiceB = voice(b);
    auto voiceC = voice(c);
    voiceA->drain(100);
    voiceB->drain(100);

    for (uint32_t sequence = 0; sequence < 5; ++sequence)
        ASSERT_TRUE(voiceA->audio(sequence, 424242)); // a forged sender id
    ASSERT_TRUE(voiceB->audio(0)); // the floor is taken: dropped

    auto ack = voiceA->next();
    ASSERT_TRUE(ack);
    EXPECT_TRUE(isControl(*ack, VoiceMessage::TalkAck));
    for (auto* listener : { voiceB.get(), voiceC.get() }) {
        for (uint32_t sequence = 0; sequence < 5; ++sequence) {
            auto packet = listener->next();
            ASSERT_TRUE(packet);
            EXPECT_EQ(packet->kind(), VoicePacket::Audio);
            EXPECT_EQ(packet->senderId(), uint32_t(a.id));
            EXPECT_EQ(packet->sequence(), sequence);
            EXPECT_EQ(packet->payload()[0], uint8_t(sequence));
            EXPECT_TRUE(packet->checksumValid());
        }
    }
    EXPECT_TRUE(voiceC->drain(200).empty()); // B's frame went nowhere
    EXPECT_TRUE(voiceA->drain(100).empty()); // one TalkAck per talk, no echo

    ASSERT_TRUE(voiceA->control(VoiceMessage::EndTalk));
    auto endAck = voiceA->next();
    ASSERT_TRUE(endAck);
    EXPECT_TRUE(isControl(*endAck, VoiceMessage::EndTalkAck));
    auto end = voiceC->next();
    ASSERT_TRUE(end);
    EXPECT_TRUE(isControl(*end, VoiceMessage::EndTalk));
    EXPECT_EQ(end->senderId(), uint32_t(a.id));
    // The repeated EndTalk is acknowledged but not relayed again.
    ASSERT_TRUE(voiceA->control(VoiceMessage::EndTalk));
    EXPECT_TRUE(voiceA->nextOfType(VoiceMessage::EndTalkAck));
    EXPECT_TRUE(voiceC->drain(200).empty());

    // The floor is free for the next talker.
    voiceB->drain(100);
    ASSERT_TRUE(voiceB->audio(0));
    EXPECT_TRUE(voiceB->nextOfType(VoiceMessage::TalkAck));
    auto fromB = voiceC->next();
    ASSERT_TRUE(fromB);
    EXPECT_EQ(fromB->senderId(), uint32_t(b.id));
}

TEST_F(VoiceRelayTest, ASilentTalkerLosesTheFloorAfterTheTimeout)
{
    ServerConfig config;
    config.voice.floorTimeoutMs = 300;
    start(config);
    WebUser a = inChannel(1000);
    WebUser b = inChannel(1000);
    auto voiceA = voice(a);
    auto voiceB = voice(b);
    voiceA->drain(100);
    ASSERT_TRUE(voiceA->audio(0));
    ASSERT_TRUE(voiceA->nextOfType(VoiceMessage::TalkAck));
    ASSERT_TRUE(voiceB->next()); // A's frame

    ASSERT_TRUE(voiceB->audio(0));
    EXPECT_TRUE(voiceA->drain(150).empty()); // still A's floor
    usleep(400 * 1000);
    ASSERT_TRUE(voiceB->audio(1));
    EXPECT_TRUE(voiceB->nextOfType(VoiceMessage::TalkAck));
    auto frame = voiceA->next();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->senderId(), uint32_t(b.id));
}

TEST_F(VoiceRelayTest, ATalkerWhoLeavesEndsItsTalkForTheListeners)
{
    WebUser a = inChannel(1000);
    WebUser b = inChannel(1000);
    auto voiceA = voice(a);
    auto voiceB = voice(b);
    voiceA->drain(100);
    ASSERT_TRUE(voiceA->audio(0));
    ASSERT_TRUE(voiceB->next());
    voiceA.reset();
    auto end = voiceB->next();
    ASSERT_TRUE(end);
    EXPECT_TRUE(isControl(*end, VoiceMessage::EndTalk));
    EXPECT_EQ(end->senderId(), uint32_t(a.id));
    EXPECT_TRUE(voiceB->nextOfType(VoiceMessage::UsersGone));
}

TEST_F(VoiceRelayTest, AListenOnlyUserCannotTakeTheFloor)
{
    auto owner = login(server->webPort(), "x", "y"); // no such account
    EXPECT_FALSE(owner);
    ASSERT_TRUE(registerAccount(server->webPort(), "Owner", "3D0E8682", "o%40example.org"));
    auto admin = login(server->webPort(), "Owner", "3D0E8682");
    ASSERT_TRUE(admin);
    admin->join(1300);
    ASSERT_EQ(statusOf(admin->call("AdminChannel.php", "release=0&")), "OK");
    AdministrationDocument document;
    document.accessMode = AdministrationDocument::EveryoneListensSomeTalk;
    ASSERT_EQ(statusOf(admin->call("SaveAdmin.php", "data=" + document.toXml().str() + "&")), "OK");
    WebUser listener = inChannel(1300);
    EXPECT_EQ(element(listener.join(1300), "pe"), "1");
    auto voiceAdmin = voice(*admin);
    auto voiceListener = voice(listener);
    voiceAdmin->drain(100);
    ASSERT_TRUE(voiceListener->audio(0));
    // Nor ask the others for it, nor tell them to reload the channel's settings.
    ASSERT_TRUE(voiceListener->control(VoiceMessage::TalkRequest));
    ASSERT_TRUE(voiceListener->control(VoiceMessage::ChannelSettingsChanged));
    EXPECT_TRUE(voiceAdmin->drain(200).empty());
    EXPECT_TRUE(voiceListener->drain(200).empty()); // no TalkAck
    ASSERT_TRUE(voiceAdmin->audio(0));
    EXPECT_TRUE(voiceAdmin->nextOfType(VoiceMessage::TalkAck)); // the floor stayed free
}

TEST_F(VoiceRelayTest, NoticesAreRelayedAndKeepAlivesTellOfWaitingMessages)
{
    WebUser a = inChannel(1000);
    WebUser b = inChannel(1000);
    auto voiceA = voice(a);
    auto voiceB = voice(b);
    voiceA->drain(100);

    ASSERT_TRUE(voiceB->send(VoicePacket::smile(0, 3)));
    ASSERT_TRUE(voiceB->send(VoicePacket::positionText(0, "Lisbon", 6)));
    ASSERT_TRUE(voiceB->control(VoiceMessage::DetailsChanged));
    ASSERT_TRUE(voiceB->send(VoicePacket::smile(0, 200))); // not a smile: dropped
    auto smile = voiceA->next();
    ASSERT_TRUE(smile);
    EXPECT_TRUE(isControl(*smile, VoiceMessage::Smile));
    EXPECT_EQ(smile->arg(0), 3);
    EXPECT_EQ(smile->senderId(), uint32_t(b.id));
    auto position = voiceA->next();
    ASSERT_TRUE(position);
    EXPECT_EQ(position->length(), 7);
    EXPECT_EQ(position->arg(0), 'L');
    auto details = voiceA->next();
    ASSERT_TRUE(details);
    EXPECT_TRUE(isControl(*details, VoiceMessage::DetailsChanged));
    EXPECT_TRUE(voiceA->drain(150).empty());

    // A bad checksum is dropped without closing the connection.
    VoicePacket broken = VoicePacket::smile(0, 1);
    broken.sign();
    broken.bytes()[20] ^= 1;
    ASSERT_TRUE(voiceB->send(broken, false));
    ASSERT_TRUE(voiceB->control(VoiceMessage::KeepAlive));
    auto alive = voiceB->next();
    ASSERT_TRUE(alive);
    EXPECT_TRUE(isControl(*alive, VoiceMessage::KeepAlive));
    EXPECT_EQ(alive->length(), 2);
    EXPECT_EQ(alive->arg(0), 0);
    EXPECT_TRUE(voiceA->drain(150).empty());

    // A message stored for B reaches B's connection at once, and keep-alives mention it.
    UserMessageData message;
    message.text = Text("hello");
    ASSERT_EQ(statusOf(a.call("TMS_Send.php", "data=" + UserMessagesList::messageDocument(message, { b.id }).str() + "&")),
              "OK");
    auto notice = voiceB->next();
    ASSERT_TRUE(notice);
    EXPECT_TRUE(isControl(*notice, VoiceMessage::NewMessages));
    ASSERT_TRUE(voiceB->control(VoiceMessage::KeepAlive));
    auto flagged = voiceB->nextOfType(VoiceMessage::KeepAlive);
    ASSERT_TRUE(flagged);
    EXPECT_EQ(flagged->arg(0), 1);
}

TEST_F(VoiceRelayTest, LeavingOrMovingClosesTheVoiceConnection)
{
    WebUser a = inChannel(1000);
    WebUser b = inChannel(1000);
    auto voiceA = voice(a);
    auto voiceB = voice(b);
    ASSERT_NE(statusOf(b.join(1001)), "FAIL");
    EXPECT_TRUE(voiceB->closedByServer());
    EXPECT_TRUE(voiceA->nextOfType(VoiceMessage::UsersGone));
    ASSERT_EQ(statusOf(a.call("Logout.php", "")), "OK");
    EXPECT_TRUE(voiceA->closedByServer());
}

TEST_F(VoiceRelayTest, AFloodOfAudioIsRelayedInOrderWithoutLoss)
{
    WebUser a = inChannel(1000);
    WebUser b = inChannel(1000);
    auto voiceA = voice(a);
    auto voiceB = voice(b);
    voiceA->drain(100);
    // 300 frames in one burst (well within a listener's queue) arrive complete and in order.
    std::vector<uint8_t> burst;
    for (uint32_t sequence = 0; sequence < 300; ++sequence) {
        VoicePacket packet;
        packet.setKind(VoicePacket::Audio);
        packet.setSequence(sequence);
        packet.setLength(33);
        packet.sign();
        burst.insert(burst.end(), packet.bytes(), packet.bytes() + VoicePacket::Size);
    }
    ASSERT_TRUE(voiceA->sendBytes(burst.data(), burst.size()));
    for (uint32_t sequence = 0; sequence < 300; ++sequence) {
        auto packet = voiceB->next();
        ASSERT_TRUE(packet) << sequence;
        ASSERT_EQ(packet->sequence(), sequence);
    }
}

// The relay's own bounds, without sockets: a listener that never reads keeps at most its queue.
TEST(VoiceRelayBounds, AListenerThatDoesNotReadCostsABoundedQueue)
{
    Store store;
    ASSERT_TRUE(store.open(":memory:"));
    Sessions sessions;
    VoiceRelayLimits limits;
    limits.maxQueuedPackets = 64;
    VoiceRelay relay(sessions, store, limits);
    int64_t now = 1000;
    std::vector<VoiceConnection*> connections;
    for (int i = 0; i < 2; ++i) {
        Session& session = sessions.create(store.createGuest(), true, now);
        sessions.join(session, 1000, 0);
        VoiceConnection* connection = relay.open(-1, "test", now);
        VoicePacket hello = VoicePacket::hello(0, session.id.c_str());
        hello.sign();
        relay.receive(*connection, hello.bytes(), VoicePacket::Size, now);
        connections.push_back(connection);
    }
    for (uint32_t sequence = 0; sequence < 10000; ++sequence) {
        VoicePacket audio;
        audio.setKind(VoicePacket::Audio);
        audio.setSequence(sequence);
        audio.sign();
        relay.receive(*connections[0], audio.bytes(), VoicePacket::Size, now);
    }
    relay.flush(now);
    const OutQueue& queue = connections[1]->out;
    EXPECT_EQ(queue.size(), 64u * VoicePacket::Size);
    EXPECT_GT(queue.dropped(), 9000u);
    // The newest audio is what is kept.
    EXPECT_EQ(VoicePacket(queue.data() + queue.size() - VoicePacket::Size).sequence(), 9999u);
}

TEST(VoiceRelayBounds, AStreamOfBadChecksumsIsClosed)
{
    Store store;
    ASSERT_TRUE(store.open(":memory:"));
    Sessions sessions;
    VoiceRelay relay(sessions, store);
    Session& session = sessions.create(store.createGuest(), true, 0);
    sessions.join(session, 1000, 0);
    VoiceConnection* connection = relay.open(-1, "test", 0);
    uint64_t id = connection->id;
    VoicePacket hello = VoicePacket::hello(0, session.id.c_str());
    hello.sign();
    relay.receive(*connection, hello.bytes(), VoicePacket::Size, 0);
    ASSERT_TRUE(connection->helloDone);
    VoicePacket bad = VoicePacket::control(0, VoiceMessage::KeepAlive);
    for (int i = 0; i < 100 && relay.find(id); ++i)
        relay.receive(*relay.find(id), bad.bytes(), VoicePacket::Size, 0);
    EXPECT_EQ(relay.find(id), nullptr);
    EXPECT_GE(relay.counters().badChecksums, 64u);
}

} // namespace

namespace {

// A connected pair of sockets with small buffers; the relay gets one end, the test the other.
struct SocketPair {
    int relayEnd = -1;
    int peerEnd = -1;
    SocketPair()
    {
        int fds[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, fds) != 0)
            return;
        int small = 4096;
        setsockopt(fds[0], SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
        setsockopt(fds[1], SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        relayEnd = fds[0];
        peerEnd = fds[1];
    }
    ~SocketPair()
    {
        if (peerEnd >= 0)
            ::close(peerEnd);
    }
};

VoiceConnection* helloOn(VoiceRelay& relay, Sessions& sessions, Store& store, int fd, int64_t now)
{
    Session& session = sessions.create(store.createGuest(), true, now);
    sessions.join(session, 1000, 0);
    VoiceConnection* connection = relay.open(fd, "test", now);
    VoicePacket hello = VoicePacket::hello(0, session.id.c_str());
    hello.sign();
    relay.receive(*connection, hello.bytes(), VoicePacket::Size, now);
    return connection;
}

TEST(VoiceRelayBounds, SilentOrStuckConnectionsAreClosedByTheTimers)
{
    Store store;
    ASSERT_TRUE(store.open(":memory:"));
    Sessions sessions;
    VoiceRelayLimits limits;
    limits.helloTimeoutMs = 1000;
    limits.stuckTimeoutMs = 2000;
    VoiceRelay relay(sessions, store, limits);

    // No Hello in time.
    uint64_t silent = relay.open(-1, "silent", 0)->id;
    relay.tick(999);
    EXPECT_NE(relay.find(silent), nullptr);
    relay.tick(1001);
    EXPECT_EQ(relay.find(silent), nullptr);

    // A listener that stops reading: its socket fills, its queue waits, then it is closed.
    SocketPair pair;
    ASSERT_GE(pair.relayEnd, 0);
    int64_t now = 5000;
    VoiceConnection* talker = helloOn(relay, sessions, store, -1, now);
    uint64_t talkerId = talker->id;
    uint64_t stuck = helloOn(relay, sessions, store, pair.relayEnd, now)->id;
    for (uint32_t sequence = 0; sequence < 2000; ++sequence) {
        VoicePacket audio;
        audio.setKind(VoicePacket::Audio);
        audio.setSequence(sequence);
        audio.sign();
        relay.receive(*relay.find(talkerId), audio.bytes(), VoicePacket::Size, now);
        if (sequence % 50 == 0)
            relay.flush(now);
    }
    relay.flush(now);
    ASSERT_NE(relay.find(stuck), nullptr);
    EXPECT_FALSE(relay.find(stuck)->out.empty());
    relay.tick(now + 1000);
    EXPECT_NE(relay.find(stuck), nullptr);
    relay.tick(now + 2500);
    relay.flush(now + 2500);
    EXPECT_EQ(relay.find(stuck), nullptr);
    EXPECT_NE(relay.find(talkerId), nullptr);
}

} // namespace

TEST_F(VoiceRelayTest, AnExpiredSessionLosesItsVoiceConnection)
{
    ServerConfig config;
    config.sessionTimeoutMs = 300;
    start(config);
    WebUser a = inChannel(1000);
    auto voiceA = voice(a);
    EXPECT_TRUE(voiceA->closedByServer(3000));
    EXPECT_EQ(element(a.call("KeepAlive.php", "ur=1&"), "errorString"), "INVALID SESSION");
}

TEST_F(VoiceRelayTest, ConnectionsBeyondTheLimitAreRefused)
{
    ServerConfig config;
    config.maxWebConnections = 2;
    start(config);
    int idle1 = connectTo(server->webPort());
    int idle2 = connectTo(server->webPort());
    usleep(100 * 1000);
    std::string busy = post(server->webPort(), "login.php", "us=anonymous&pw=00000000&an=1&");
    EXPECT_EQ(busy.substr(0, 12), "HTTP/1.0 503");
    ::close(idle1);
    ::close(idle2);
    // Once the server has seen them go, logins work again.
    bool admitted = false;
    for (int i = 0; i < 40 && !admitted; ++i, usleep(50 * 1000))
        admitted = guest(server->webPort()).has_value();
    EXPECT_TRUE(admitted);
}
