#include "engine/EngineCodes.h"
#include "engine/VoiceSession.h"
#include "tests/voice/LoopbackPeer.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace Zumeli;

namespace {

class FakeHost : public IVoiceSessionHost {
public:
    // Answers at once, as a web service on the same machine would by the next step.
    void checkWebSession() override
    {
        ++webChecks;
        if (session)
            session->webSessionChecked(webAlive);
    }
    void logout() override { ++logouts; }
    void reloadPeople() override { ++reloads; }
    void loadMissingUsers() override { ++detailLoads; }
    bool userUpdatesDisabled() const override { return false; }
    void joinCurrentChannel() override { ++rejoins; }
    void loadChannelPhoto(uint32_t) override { ++photoLoads; }
    void fetchMessages() override { ++fetches; }
    void setLinkQuality(float quality) override { linkQuality = quality; }
    void setCurrentTalker(uint32_t user) override { talker = user; }

    bool webAlive = true;
    VoiceSession* session = nullptr;
    int webChecks = 0, logouts = 0, reloads = 0, detailLoads = 0, rejoins = 0, photoLoads = 0, fetches = 0;
    float linkQuality = -1;
    uint32_t talker = 0;
};

constexpr uint32_t Me = 1234;

class Session : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.session = &session;
        session.setSession(Me, "abcdefghijklmnop", Socket::NoDelay);
        session.setLoggedIn(true);
        channel.number = 1000;
        channel.address = "127.0.0.1";
        channel.port = peer.port();
        channel.codec = 9;
        channel.presentUsers = { int(Me), 7 };
    }

    // Runs one engine step with the clock advanced by dt first.
    void step(float dt = 1.0f / 30)
    {
        clock.advanceSeconds(dt);
        session.step();
        usleep(2000);
        session.poll();
    }

    std::vector<int> responseCodes()
    {
        std::vector<int> codes;
        ClientMessage entry;
        while (responses.take(entry))
            codes.push_back(entry.code);
        return codes;
    }

    bool posted(int code) { return std::count(seen.begin(), seen.end(), code) > 0; }
    void collect()
    {
        for (int code : responseCodes())
            seen.push_back(code);
    }

    // Joins, lets the session connect and say hello, and answers the hello.
    void joinAndGreet()
    {
        session.joined(channel);
        ASSERT_TRUE(peer.accept());
        step(); // a poll sees the connection made
        step(); // the step that hears of it says hello
        std::vector<uint8_t> hello = peer.read(47);
        ASSERT_EQ(hello.size(), 47u);
        ASSERT_EQ(hello[10], uint8_t(VoiceMessage::Hello));
        sendFromServer(VoicePacket::control(0, VoiceMessage::KeepAlive));
        step();
        collect();
        ASSERT_TRUE(posted(Response::HelloAccepted));
        seen.clear();
    }

    void sendFromServer(VoicePacket packet)
    {
        packet.sign();
        ASSERT_TRUE(peer.write(packet.bytes(), 47));
        usleep(5000);
        session.poll(); // queued now, handled at the next step
    }

    // Every packet the client sent since the last call (waits briefly for stragglers).
    std::vector<VoicePacket> received()
    {
        std::vector<VoicePacket> packets;
        for (;;) {
            std::vector<uint8_t> bytes = peer.readAvailable(47);
            if (bytes.size() != 47)
                break;
            packets.emplace_back(bytes.data());
        }
        return packets;
    }

    void feedCapture(int samples)
    {
        std::vector<float> tone(static_cast<size_t>(samples), 0.0f);
        for (int i = 0; i < samples; ++i)
            tone[size_t(i)] = 0.3f * std::sin(float(i) * 0.2f);
        audio.capture.writeSamples(tone.data(), samples);
    }

    AudioClock clock { 0 };
    ResponseMessages responses;
    EngineAudio audio;
    People people;
    ChannelEventQueue events { responses, &clock };
    FakeHost host;
    VoiceSession session { responses, audio, people, events, host, &clock };
    LoopbackPeer peer;
    ChannelElement channel;
    std::vector<int> seen;
};

int countType(const std::vector<VoicePacket>& packets, VoiceMessage type)
{
    return int(std::count_if(packets.begin(), packets.end(), [&](const VoicePacket& p) {
        return p.kind() == VoicePacket::Control && p.type() == uint8_t(type);
    }));
}

int countAudio(const std::vector<VoicePacket>& packets)
{
    return int(std::count_if(packets.begin(), packets.end(), [](const VoicePacket& p) { return p.kind() == VoicePacket::Audio; }));
}

} // namespace

TEST_F(Session, HelloCarriesTheSessionAndItsReplyIsAnnounced)
{
    session.joined(channel);
    ASSERT_TRUE(peer.accept());
    step(); // a poll sees the connection made
    step(); // the step that hears of it says hello
    std::vector<uint8_t> hello = peer.read(47);
    ASSERT_EQ(hello.size(), 47u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&hello[11]), 13), "abcdefghijklm");
    EXPECT_EQ(hello[24], 1);
    EXPECT_TRUE(session.voiceConnected());
    EXPECT_GE(host.linkQuality, 0.9f) << "connected at once on loopback";
    sendFromServer(VoicePacket::control(0, VoiceMessage::KeepAlive));
    step();
    collect();
    EXPECT_TRUE(posted(Response::HelloAccepted));
    EXPECT_TRUE(posted(Response::LinkQuality));
}

TEST_F(Session, TalkOnDuringAnotherTalkIsIgnored)
{
    joinAndGreet();
    VoicePacket frame;
    frame.setSenderId(7);
    frame.setKind(VoicePacket::Audio);
    frame.setLength(33);
    sendFromServer(frame);
    step();
    collect();
    EXPECT_TRUE(posted(Response::RemoteTalkStarted));
    EXPECT_EQ(host.talker, 7u);
    seen.clear();

    session.talk(true);
    collect();
    EXPECT_TRUE(seen.empty());
    EXPECT_FALSE(session.talking());

    // Six seconds without a frame free the channel.
    for (int i = 0; i < 200 && !posted(Response::RemoteTalkTimedOut); ++i) {
        step(0.05f);
        collect();
    }
    EXPECT_TRUE(posted(Response::RemoteTalkTimedOut));
    EXPECT_TRUE(session.channelFree());
    // The talker's event must not stay on display for good: its end is shown.
    std::vector<std::pair<int32_t, int32_t>> shown;
    events.setShower([&](const ChannelEvent& e) { shown.emplace_back(e.user, e.kind); });
    for (int i = 0; i < 40; ++i)
        step(0.05f);
    EXPECT_NE(std::find(shown.begin(), shown.end(), std::pair<int32_t, int32_t>(7, ChannelEvent::Stopped)), shown.end());
    ASSERT_NE(events.onDisplay(), nullptr);
    EXPECT_NE(events.onDisplay()->kind, ChannelEvent::Talking);
    events.setShower(nullptr);
}

TEST_F(Session, FramesCountFromEachTalksStartAndTheTailGoesOnCounting)
{
    joinAndGreet();
    for (int talk = 0; talk < 2; ++talk) {
        SCOPED_TRACE(talk);
        session.talk(true);
        sendFromServer(VoicePacket::control(0, VoiceMessage::TalkAck));
        feedCapture(160 * 10);
        for (int i = 0; i < 3; ++i)
            step();
        session.talk(false);
        feedCapture(160 * 4); // what the audio path captured before it saw the release
        audio.talk.setCaptureEnd(audio.capture.writeCount());
        for (int i = 0; i < 3; ++i)
            step(0.05f);
        sendFromServer(VoicePacket::control(0, VoiceMessage::EndTalkAck));
        step(0.05f);
        std::vector<uint32_t> sequences;
        for (const VoicePacket& p : received())
            if (p.kind() == VoicePacket::Audio)
                sequences.push_back(p.sequence());
        ASSERT_EQ(sequences.size(), 14u);
        for (uint32_t i = 0; i < sequences.size(); ++i)
            EXPECT_EQ(sequences[i], i);
        for (int i = 0; i < 40; ++i)
            step(0.05f); // past the talk guard of the next press
    }
}

TEST_F(Session, AnEndLeftFromATalkWithoutConnectionDoesNotEndTheNextTalk)
{
    // A talk that ended while the voice connection was down left its capture end behind.
    audio.talk.setCaptureEnd(800);
    joinAndGreet();
    session.talk(true);
    sendFromServer(VoicePacket::control(0, VoiceMessage::TalkAck));
    feedCapture(160 * 20);
    for (int i = 0; i < 5; ++i)
        step();
    std::vector<VoicePacket> sent = received();
    EXPECT_EQ(countAudio(sent), 20);
    EXPECT_EQ(countType(sent, VoiceMessage::EndTalk), 0) << "the talk is still on";
    EXPECT_TRUE(session.talking());
}

TEST_F(Session, WithoutAcknowledgementOnly50FramesGoOutThenEndTalkRepeats)
{
    joinAndGreet();
    session.talk(true);
    collect();
    EXPECT_TRUE(posted(Response::TalkStarted));
    feedCapture(160 * 120);
    for (int i = 0; i < 10; ++i)
        step();
    std::vector<VoicePacket> sent = received();
    ASSERT_EQ(countAudio(sent), 50);
    uint32_t expected = 0;
    for (const VoicePacket& p : sent) {
        if (p.kind() == VoicePacket::Audio) {
            EXPECT_EQ(p.sequence(), expected++);
        }
    }

    // Talk off; the audio path reports where the capture ends.
    session.talk(false);
    feedCapture(160 * 10);
    audio.talk.setCaptureEnd(audio.capture.writeCount());
    for (int i = 0; i < 130; ++i)
        step(0.1f);
    sent = received();
    EXPECT_EQ(countAudio(sent), 0) << "frames past the budget are dropped";
    EXPECT_EQ(audio.capture.available(), 0) << "but taken from the buffer";
    EXPECT_EQ(countType(sent, VoiceMessage::EndTalk), 50);
    EXPECT_EQ(session.endTalkRepeatsLeft(), 0);
}

TEST_F(Session, AcknowledgedTalkSendsEverythingAndEndTalkStopsAtItsAck)
{
    joinAndGreet();
    session.talk(true);
    sendFromServer(VoicePacket::control(0, VoiceMessage::TalkAck));
    step();
    collect();
    EXPECT_TRUE(posted(Response::TalkAcknowledged));
    feedCapture(160 * 120);
    for (int i = 0; i < 10; ++i)
        step();
    EXPECT_EQ(countAudio(received()), 120) << "20 frames per step once acknowledged";

    session.talk(false);
    audio.talk.setCaptureEnd(audio.capture.writeCount());
    step(0.05f);
    step(0.1f);
    step(0.1f);
    sendFromServer(VoicePacket::control(0, VoiceMessage::EndTalkAck));
    for (int i = 0; i < 20; ++i)
        step(0.1f);
    int ends = countType(received(), VoiceMessage::EndTalk);
    EXPECT_GE(ends, 1);
    EXPECT_LE(ends, 3) << "the acknowledgement stops the repeats";
}

TEST_F(Session, TalkAckAfterTalkOffOnlyUpdatesTheLinkQuality)
{
    joinAndGreet();
    session.talk(true);
    session.talk(false);
    collect();
    seen.clear();
    host.linkQuality = -1;
    step(0.25f);
    sendFromServer(VoicePacket::control(0, VoiceMessage::TalkAck));
    step();
    collect();
    EXPECT_FALSE(posted(Response::TalkAcknowledged));
    EXPECT_TRUE(posted(Response::LinkQuality));
    EXPECT_GT(host.linkQuality, 0.5f);
    EXPECT_LT(host.linkQuality, 0.8f);
}

TEST_F(Session, ThreeUnansweredProbesCheckTheWebSession)
{
    joinAndGreet();
    received();
    // The hello reply restarted the probe interval: 30 s of silence, then a probe.
    step(30.1f);
    EXPECT_EQ(countType(received(), VoiceMessage::KeepAlive), 1);
    step(15.1f);
    collect();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), Response::TransmissionTrouble), 1);
    step(2.1f);
    collect();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), Response::TransmissionTrouble), 2);
    EXPECT_EQ(countType(received(), VoiceMessage::KeepAlive), 2);
    EXPECT_EQ(host.webChecks, 0);
    step(2.1f);
    EXPECT_EQ(host.webChecks, 1);
    EXPECT_FALSE(session.voiceConnected());
    // The web session is alive: reconnect at the next step.
    step();
    step();
    EXPECT_TRUE(peer.accept());
}

TEST_F(Session, ADeadWebSessionLeaves)
{
    joinAndGreet();
    host.webAlive = false;
    step(30.1f);
    step(15.1f);
    step(2.1f);
    step(2.1f);
    collect();
    EXPECT_EQ(host.logouts, 1);
    EXPECT_FALSE(session.loggedIn());
    EXPECT_TRUE(posted(Response::LoggedOut));
}

TEST_F(Session, PeopleArriveAndLeave)
{
    joinAndGreet();
    VoicePacket present = VoicePacket::control(0, VoiceMessage::UsersPresent);
    present.setLength(33);
    present.setArg32(0, 9);
    present.setArg32(16, 4);
    sendFromServer(present);
    step();
    collect();
    EXPECT_TRUE(posted(Response::ChannelPeopleChanged));
    EXPECT_EQ(channel.presentUsers, (std::vector<int> { int(Me), 7, 9 }));
    EXPECT_EQ(people.find(9)->ts, 4);
    EXPECT_EQ(host.detailLoads, 1) << "the newcomer's name is fetched";

    VoicePacket gone = present;
    gone.setType(uint8_t(VoiceMessage::UsersGone));
    sendFromServer(gone);
    step();
    EXPECT_EQ(channel.presentUsers, (std::vector<int> { int(Me), 7 }));

    session.sendNewMessages(9);
    session.sendNewMessages(7);
    step();
    std::vector<VoicePacket> sent = received();
    ASSERT_EQ(countType(sent, VoiceMessage::NewMessages), 1) << "only a present addressee is told";
}

TEST_F(Session, RefusedConnectionRetriesAfterTwoSeconds)
{
    int port = peer.port();
    peer.stopListening();
    channel.port = port;
    session.joined(channel);
    step(); // a poll hears of the refusal
    step(); // the step that handles it
    collect();
    EXPECT_TRUE(posted(Response::TransmissionTrouble));
    EXPECT_FALSE(session.voiceConnected());
    seen.clear();
    step(1.0f);
    collect();
    EXPECT_FALSE(posted(Response::TransmissionTrouble));
    step(1.1f);
    step();
    step();
    collect();
    EXPECT_TRUE(posted(Response::TransmissionTrouble)) << "tried again after 2 s";
}

TEST_F(Session, TheEngineStepPrintsThePaddingTheAudioPathMade)
{
    audio.talk.reportCaptureEnd(1600, 37); // what the audio callback does at the end of a talk
    testing::internal::CaptureStdout();
    step();
    step();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "filling missing buffer data for codec 37\n");
}
