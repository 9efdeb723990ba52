#include "data/AdministrationDocument.h"
#include "engine/Client.h"
#include "engine/CommunicationEngine.h"
#include "engine/EngineCodes.h"
#include "engine/Manager.h"
#include "tests/data/TempFolder.h"
#include "tests/engine/CannedWebService.h"

#include <gtest/gtest.h>
#include <ctime>
#include <string>
#include <vector>

using namespace Zumeli;

namespace {

// Writes down every callback by name.
class RecordingDelegate final : public IClientDelegate {
public:
    std::vector<std::string> calls;
    int count(const std::string& name) const { return int(std::count(calls.begin(), calls.end(), name)); }

    void onLoggedIn() override { calls.push_back("logged-in"); }
    void onLoggedOut() override { calls.push_back("logged-out"); }
    void onLoginFailed() override { calls.push_back("login-failed"); }
    void onLoginRefused() override { calls.push_back("login-refused"); }
    void onServerFull() override { calls.push_back("server-full"); }
    void onReconnecting() override { calls.push_back("reconnecting"); }
    void onChannelChanged(int c) override { calls.push_back("channel-changed " + std::to_string(c)); }
    void onTalkGranted() override { calls.push_back("talk-granted"); }
    void onTalkEnded() override { calls.push_back("talk-ended"); }
    void onTalkAcknowledged() override { calls.push_back("talk-acknowledged"); }
    void onTalkAllowed() override { calls.push_back("talk-allowed"); }
    void onTalkForbidden() override { calls.push_back("talk-forbidden"); }
    void onChannelStateChanged() override { calls.push_back("channel-state"); }
    void onVoiceConnection(bool up) override { calls.push_back(up ? "voice-connection up" : "voice-connection down"); }
    void onTraffic(bool on) override { calls.push_back(on ? "traffic on" : "traffic off"); }
    void onVoiceConnected(bool c) override { calls.push_back(c ? "voice-connected" : "voice-disconnected"); }
    void onMessagesArrived() override { calls.push_back("messages-arrived"); }
    void onUnused() override { calls.push_back("unused"); }
    void onRecordedAudio(const float*, int32_t) override { calls.push_back("recorded-audio"); }
    void onLinkQuality(float) override { calls.push_back("link-quality"); }
    void onChannelAccess() override { calls.push_back("channel-access"); }
    void onJoinFailed() override { calls.push_back("join-failed"); }
    void onTransmissionTrouble() override { calls.push_back("transmission-trouble"); }
    void onChannelFull() override { calls.push_back("channel-full"); }
    void onChannelEvent(const ChannelEvent& e) override
    {
        calls.push_back("channel-event " + std::to_string(e.user) + " " + std::to_string(e.kind));
    }
    void onUserPositionChanged(int u) override { calls.push_back("position-changed " + std::to_string(u)); }
    void onPhotoUpdated(int u) override { calls.push_back("photo-updated " + std::to_string(u)); }
    void onUserMessagesChanged() override { calls.push_back("messages-changed"); }
    void onTalkRequest(int u) override { calls.push_back("talk-request " + std::to_string(u)); }
    void onTalkAllowedQuietly() override { calls.push_back("talk-allowed-quietly"); }
    void onPositionRequested(Text& position) override
    {
        calls.push_back("position-requested");
        position = "45.5,9.2";
    }
    void onPositionSent(const Text& p) override { calls.push_back("position-sent " + p.str()); }
};

// A Client on its own Manager, with a canned web service and a temporary cache; its audio clock
// advances only when the test feeds it silence.
class ClientFixture : public ::testing::Test {
protected:
    ClientFixture()
    {
        PreferencesStartup startup;
        startup.prefsPath = temp.file("preferences.xml");
        manager.preferences.load(startup);
        manager.preferences.setDefault("private.service.host", "127.0.0.1");
        manager.preferences.setDefault("private.service.port", Text(std::to_string(web.port()).c_str()));
        manager.preferences.setDefault("private.service.devhost", "dev.zumeli.test");
        manager.preferences.setDefault("private.service.devprefix", "qa/");
        client = std::make_unique<Client>(manager, temp.folder());
        client->setDelegate(&delegate);
    }

    // Seconds of device audio (44100 Hz) through the Client.
    void advance(double seconds)
    {
        std::vector<float> block(441);
        for (int i = 0; i < int(seconds * 100 + 0.5); ++i) {
            std::fill(block.begin(), block.end(), 0.0f);
            client->processAudio(block.data(), int32_t(block.size()));
        }
    }

    std::vector<ClientMessage> takeRequests()
    {
        std::vector<ClientMessage> taken;
        ClientMessage message;
        while (manager.requests.take(message))
            taken.push_back(message);
        return taken;
    }

    // One step with a response from the engine waiting.
    void respond(int code, int value = -1)
    {
        manager.responses.post(code, value);
        client->step(0);
    }

    static std::unique_ptr<UserMessageData> received(const char* text, int sender, long age = 0)
    {
        auto message = std::make_unique<UserMessageData>();
        message->text = text;
        message->sender = sender;
        message->datetime = int(long(std::time(nullptr)) - age);
        return message;
    }

    TempFolder temp { "client" };
    CannedWebService web;
    Manager manager;
    RecordingDelegate delegate;
    std::unique_ptr<Client> client;
};

} // namespace

TEST_F(ClientFixture, ChangeChannelKeepsWithinTheBounds)
{
    struct Case {
        int lowest, highest; // 0: as set at construction
        int asked, posted;
    };
    const Case cases[] = {
        { 0, 0, 50, 100 }, { 0, 0, 2500, 1999 }, { 0, 0, 1234, 1234 }, { 0, 0, -7, 100 },
        { 1500, 0, 1000, 1500 }, { 1500, 1600, 1700, 1600 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        client->setChannelBounds(c.lowest, c.highest);
        client->changeChannel(c.asked);
        std::vector<ClientMessage> requests = takeRequests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].code, Request::ChangeChannel);
        EXPECT_EQ(requests[0].value, c.posted);
    }
}

TEST_F(ClientFixture, TalkPressesCloserThanTheGuardAreIgnored)
{
    client->talkReleased();
    EXPECT_TRUE(takeRequests().empty()) << "a release before any press sends nothing";

    client->talkPressed();
    advance(1.0);
    client->talkPressed(); // 1 s after the first: ignored, and the guard starts again
    advance(1.4);
    client->talkPressed(); // 1.4 s after the second: still ignored
    std::vector<ClientMessage> requests = takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].code, Request::TalkOn);

    client->talkReleased();
    requests = takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].code, Request::TalkOff);

    advance(1.6);
    client->talkPressed(); // more than 1.5 s after the last press
    requests = takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].code, Request::TalkOn);
}

TEST_F(ClientFixture, PressingWhileSomeoneElseTalksAsksForTheFloor)
{
    respond(Response::RemoteTalkStarted);
    EXPECT_FALSE(client->talkAllowed());
    EXPECT_EQ(delegate.count("talk-forbidden"), 1);
    client->talkPressed();
    client->talkReleased();
    std::vector<ClientMessage> requests = takeRequests();
    ASSERT_EQ(requests.size(), 1u) << "the release sends nothing while talk is not allowed";
    EXPECT_EQ(requests[0].code, Request::TalkRequest);

    respond(Response::RemoteTalkEnded);
    EXPECT_TRUE(client->talkAllowed());
    EXPECT_EQ(delegate.count("talk-allowed"), 1);
    respond(Response::RemoteTalkTimedOut);
    EXPECT_EQ(delegate.count("talk-allowed"), 1) << "no call when the permission does not change";

    client->setChannelPermission(2);
    respond(Response::RemoteTalkStarted);
    respond(Response::RemoteTalkEnded);
    EXPECT_FALSE(client->talkAllowed()) << "a listen-only channel stays closed when the floor is free";
}

TEST_F(ClientFixture, ResponsesBecomeDelegateCallsOnePerStep)
{
    struct Case {
        int code, value;
        const char* call;
    };
    const Case cases[] = {
        { Response::ChannelChanged, 1234, "channel-changed 1234" },
        { Response::TalkStarted, -1, "talk-granted" },
        { Response::TalkAcknowledged, -1, "talk-acknowledged" },
        { Response::TalkStopped, -1, "talk-ended" },
        { Response::ChannelPeopleChanged, -1, "channel-state" },
        { Response::VoiceConnectionUp, -1, "voice-connection up" },
        { Response::VoiceConnectionLost, -1, "voice-connection down" },
        { Response::TrafficBegan, -1, "traffic on" },
        { Response::TrafficEnded, -1, "traffic off" },
        { Response::HelloAccepted, -1, "voice-connected" },
        { Response::VoiceConnectionDown, -1, "voice-disconnected" },
        { Response::ChannelPictures, -1, "channel-access" },
        { Response::LinkQuality, -1, "link-quality" },
        { Response::JoinFailed, -1, "join-failed" },
        { Response::TransmissionTrouble, -1, "transmission-trouble" },
        { Response::ServiceMessages, -1, "messages-arrived" },
        { Response::PositionChanged, 77, "position-changed 77" },
        { Response::PhotoUpdated, 78, "photo-updated 78" },
        { Response::TalkRequested, 79, "talk-request 79" },
        { Response::ChannelFull, -1, "channel-full" },
        { Response::LoginRefused, -1, "login-refused" },
        { Response::ServerFull, -1, "server-full" },
    };
    for (const Case& c : cases)
        manager.responses.post(c.code, c.value);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        delegate.calls.clear();
        client->step(0);
        ASSERT_EQ(delegate.calls.size(), 1u);
        EXPECT_EQ(delegate.calls[0], c.call);
    }

    delegate.calls.clear();
    respond(Response::TalkAcknowledged);
    EXPECT_TRUE(delegate.calls.empty()) << "an acknowledgement after the talk ended is not reported";
    respond(Response::HeaderImageFailed);
    respond(31);
    EXPECT_TRUE(delegate.calls.empty());
}

TEST_F(ClientFixture, ALostSessionIsRetriedEvery150StepsUntilRefused)
{
    web.answer("7/login.php", "", CannedWebService::Behaviour::Silent);
    client->connect();
    client->step(0);
    for (int code : { Response::LoggedOut, Response::LoginFailed }) {
        SCOPED_TRACE(code);
        delegate.calls.clear();
        respond(code); // the counter starts at 0 and this step counts 1
        for (int i = 2; i < 150; ++i)
            client->step(0);
        EXPECT_EQ(delegate.count("reconnecting"), 0);
        client->step(0);
        EXPECT_EQ(delegate.count("reconnecting"), 1) << "on the 150th step";
        EXPECT_EQ(client->reconnectCounter(), 150);
    }
    for (int i = 0; i < 100 && web.count("7/login.php") < 3; ++i) {
        client->step(0); // the request goes out on a later poll
        usleep(10000);
    }
    EXPECT_EQ(web.count("7/login.php"), 3) << "the first login and one retry after each loss";

    respond(Response::LoginRefused);
    EXPECT_EQ(client->reconnectCounter(), -1);
    delegate.calls.clear();
    for (int i = 0; i < 400; ++i)
        client->step(0);
    EXPECT_EQ(delegate.count("reconnecting"), 0) << "a refused login is not retried";

    client->disconnect();
    respond(Response::LoggedOut);
    for (int i = 0; i < 200; ++i)
        client->step(0);
    EXPECT_EQ(delegate.count("reconnecting"), 0) << "a session the user left is not retried";
}

TEST_F(ClientFixture, DevelopmentAccountsUseTheDevelopmentService)
{
    struct Case {
        const char* user;
        bool development;
    };
    const Case cases[] = { { "Qvtester", true }, { "qV", true }, { "QVZ", true }, { "qvq", true },
                           { "aQv", false }, { "Q", false }, { "", false }, { "alice", false } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user);
        client->setLogin(c.user, "secret");
        for (const WebService* endpoint : { &manager.loginEndpoint, &manager.sessionEndpoint }) {
            EXPECT_EQ(endpoint->host.str(), c.development ? "dev.zumeli.test" : "127.0.0.1");
            EXPECT_EQ(endpoint->pathPrefix.str(), c.development ? "qa/" : "");
        }
    }
}

TEST_F(ClientFixture, AnotherUserStartsWithEmptyLists)
{
    client->setLogin("alice", "one");
    client->postIncomingMessage(received("hello", 7));
    client->step(0);
    manager.session.people.getOrCreate(7);
    client->setLogin("alice", "two");
    EXPECT_EQ(client->getMessageCount(), 1) << "the same user keeps the messages";
    Text user, password;
    client->getLogin(user, password);
    EXPECT_EQ(password, "two");

    manager.channels.getOrCreate(1234)->name = "Alice's";
    manager.session.people.setName(7, "Ann");
    ASSERT_TRUE(manager.channels.save());
    ASSERT_TRUE(manager.session.people.save());
    client->setLogin("bob", "three");
    EXPECT_EQ(client->getMessageCount(), 0);
    EXPECT_EQ(manager.session.people.count(), 0);
    EXPECT_EQ(manager.channels.find(1234), nullptr);
    // What is on disk is empty too, so a crash now cannot give bob alice's names and channels.
    People people;
    people.load(temp.folder());
    EXPECT_EQ(people.count(), 0);
    ChannelsList channels;
    channels.load(temp.folder());
    EXPECT_EQ(channels.find(1234), nullptr);
}

TEST_F(ClientFixture, TheListKeeps101MessagesDroppingTheOldestFirst)
{
    for (int i = 0; i < 100; ++i)
        client->postIncomingMessage(received(std::to_string(i).c_str(), 7));
    delegate.calls.clear();
    client->step(0);
    EXPECT_EQ(delegate.count("messages-changed"), 1) << "one notice per batch";
    ASSERT_EQ(client->getMessageCount(), 100);

    client->postIncomingMessage(received("100", 7));
    client->step(0);
    UserMessageData first;
    ASSERT_EQ(client->getMessageCount(), 101) << "100 in the list: nothing is removed";
    ASSERT_TRUE(client->getMessage(0, first));
    EXPECT_EQ(first.text, "0");

    client->postIncomingMessage(received("101", 7));
    client->step(0);
    ASSERT_EQ(client->getMessageCount(), 101);
    ASSERT_TRUE(client->getMessage(0, first));
    EXPECT_EQ(first.text, "1");
    UserMessageData last;
    ASSERT_TRUE(client->getMessage(100, last));
    EXPECT_EQ(last.text, "101");
    EXPECT_EQ(client->getUnreadMessageCount(), 101);
}

TEST_F(ClientFixture, AReceivedMessageIsCopiedAndItsRecordHandedBack)
{
    manager.session.ownUserId = 42;
    client->postIncomingMessage(received("hi", 7));
    client->step(0);
    UserMessageData message;
    ASSERT_TRUE(client->getMessage(0, message));
    EXPECT_EQ(message.recipient, 42);
    EXPECT_EQ(message.sender, 7);
    // The engine took the original back at the end of the same step.
    EXPECT_EQ(client->takeReturnedMessage(), nullptr);
}

TEST_F(ClientFixture, MessageAges)
{
    struct Case {
        long age;
        const char* text; // null: the date
    };
    const Case cases[] = {
        { 30, "one minute ago" }, { 59, "one minute ago" }, { 60, "2 minutes ago" }, { 90, "2 minutes ago" },
        { 3599, "60 minutes ago" }, { 3 * 3600, "4 hours ago" }, { 43199, "12 hours ago" }, { 12 * 3600, nullptr },
        { -100, nullptr },
    };
    const long now = 1'700'000'000;
    for (long offset : { 0L, 3600L, -45L }) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(c.age) + " s, offset " + std::to_string(offset));
            // Message times are on the service's clock: local time plus the offset.
            long messageTime = now + offset - c.age;
            Text text = Client::ageText(messageTime, offset, now);
            if (c.text) {
                EXPECT_EQ(text.str(), c.text);
            } else {
                time_t local = time_t(now - c.age);
                char date[32];
                std::strftime(date, sizeof date, "%d/%m/%Y %H:%M", std::localtime(&local));
                EXPECT_EQ(text.str(), date);
            }
        }
    }

    // Through the list: a message sent 90 s ago on a service clock an hour ahead.
    client->setServerClockOffset(3600);
    client->postIncomingMessage(received("late", 7, 90 - 3600));
    client->step(0);
    UserMessageData message;
    ASSERT_TRUE(client->getMessage(0, message));
    EXPECT_EQ(message.text2, "2 minutes ago");
}

TEST_F(ClientFixture, SentMessagesGoToTheListAndToTheEngine)
{
    manager.session.ownUserId = 42;
    client->setServerClockOffset(100);
    client->sendMessageToUser("see you", 7);
    client->inviteUser(8);
    int group = client->addGroup("Hikers");
    client->addGroupMember(group, 7);
    client->addGroupMember(group, 7);
    client->sendMessageToGroup("to all", group);

    EXPECT_EQ(client->getGroupSize(group), 1) << "no duplicate members";
    ASSERT_EQ(client->getMessageCount(), 3);
    UserMessageData shown;
    ASSERT_TRUE(client->getMessage(0, shown));
    EXPECT_EQ(shown.sender, 42);
    EXPECT_EQ(shown.text2, "one minute ago") << "sent now, on the service's clock";

    std::unique_ptr<UserMessageData> first = client->takeOutgoingMessage();
    std::unique_ptr<UserMessageData> second = client->takeOutgoingMessage();
    std::unique_ptr<UserMessageData> third = client->takeOutgoingMessage();
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(first->recipient, 7);
    EXPECT_EQ(first->groupId, -1);
    EXPECT_EQ(second->text, "Invite to channel");
    EXPECT_EQ(second->type, UserMessageData::Invitation);
    EXPECT_EQ(third->groupId, group);
    EXPECT_EQ(client->takeOutgoingMessage(), nullptr);
    client->returnOutgoingMessage(std::move(first));
    EXPECT_EQ(delegate.count("messages-changed"), 3);
}

TEST_F(ClientFixture, TheServiceMessageRingHoldsFortyNine)
{
    for (int i = 0; i < 49; ++i) {
        ServiceMessageData message;
        message.mainText = Text(std::to_string(i).c_str());
        EXPECT_TRUE(client->addServiceMessage(message));
    }
    EXPECT_FALSE(client->addServiceMessage(ServiceMessageData {}));
    ServiceMessageData taken;
    ASSERT_TRUE(client->takeServiceMessage(taken));
    EXPECT_EQ(taken.mainText, "0");
    EXPECT_TRUE(client->addServiceMessage(ServiceMessageData {})) << "a taken message frees its place";
    int left = 0;
    while (client->takeServiceMessage(taken))
        ++left;
    EXPECT_EQ(left, 49);
}

TEST_F(ClientFixture, GroupListStartsWithEverybodyAndTheChannel)
{
    manager.session.people.getOrCreate(7);
    manager.session.people.getOrCreate(8);
    manager.session.channel = manager.channels.getOrCreate(1000);
    manager.session.channel->presentUsers = { 8 };
    int groups = client->getGroupCount();
    EXPECT_EQ(client->getGroupId(0), 0);
    EXPECT_EQ(client->getGroupId(1), 1);
    EXPECT_EQ(client->getGroupSize(0), 2);
    EXPECT_EQ(client->getGroupSize(1), 1);
    EXPECT_EQ(client->getGroupMember(1, 0), 8);
    Text name;
    EXPECT_TRUE(client->getGroupName(0, name));
    EXPECT_EQ(name, "All");
    int id = client->addGroup("Climbers");
    EXPECT_EQ(client->getGroupCount(), groups + 1);
    EXPECT_EQ(client->getGroupId(groups), id);
    EXPECT_TRUE(client->isGroup(id));
    client->removeGroup(id);
    EXPECT_FALSE(client->isGroup(id));
}

TEST_F(ClientFixture, PositionTimerAsksTheDelegateInModeOne)
{
    client->setPreferenceText("public.gps.positionmode", "1");
    client->setPreferenceText("public.gps.updatetime", "2");
    client->reloadSettings();
    manager.session.groupsValue = "011";
    respond(Response::ChannelChanged, 1000); // starts the position timer
    takeRequests();
    advance(2.1);
    client->step(0);
    EXPECT_EQ(delegate.count("position-requested"), 1);
    EXPECT_EQ(delegate.count("position-sent 45.5,9.2"), 1);
    EXPECT_EQ(manager.session.positionText, "45.5,9.2,0");

    client->setPosition("");
    EXPECT_EQ(manager.session.positionText, "0,0,0");
}

TEST_F(ClientFixture, OperationsForTheEngineOnlyWhenAllowed)
{
    client->setChannelPhotoPath("/tmp/photo.jpg");
    Text path;
    EXPECT_FALSE(client->getChannelPhotoPath(path)) << "pictures are not allowed in this session";
    manager.session.groupsValue = "01";
    client->setChannelPhotoPath("/tmp/photo.jpg");
    EXPECT_TRUE(client->getChannelPhotoPath(path));
    client->sendChannelSignal(3);
    client->sendChannelSignal(9);
    std::vector<ClientMessage> requests = takeRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].code, Request::ChannelPhoto);
    EXPECT_EQ(requests[1].code, Request::Smile);
    EXPECT_EQ(requests[1].value, 3);

    EXPECT_FALSE(client->getChannelHeaderImage(path)) << "not cached yet";
    requests = takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].code, Request::HeaderImage);
}

TEST_F(ClientFixture, PasswordChangeIsStoredOnlyWhenTheServiceAgrees)
{
    client->setLogin("alice", "old");
    manager.preferences.set("public.isregisteredlogin", "0");
    web.answer("7/ChangePassword.php", "<status>FAIL</status>");
    EXPECT_FALSE(client->changePassword("new"));
    EXPECT_EQ(manager.preferences.password(), "old");
    EXPECT_EQ(manager.preferences.get("public.isregisteredlogin"), "0");

    web.answer("7/ChangePassword.php", "<status>OK</status>");
    EXPECT_TRUE(client->changePassword("new"));
    EXPECT_EQ(manager.preferences.password(), "new");
    EXPECT_EQ(manager.preferences.get("public.isregisteredlogin"), "1");
}

TEST_F(ClientFixture, RegistrationStoresNothing)
{
    web.answer("7/Register/Register.php", "<status>FAIL</status><errorString>Name taken</errorString>");
    Text error;
    EXPECT_FALSE(client->registerUser("bob", "pw", "bob@example.org", error));
    EXPECT_EQ(error, "Name taken");
    web.answer("7/Register/Register.php", "<status>OK</status>");
    EXPECT_TRUE(client->registerUser("bob", "pw", "bob@example.org", error));
    EXPECT_EQ(manager.preferences.userName(), "");
    std::string body = web.requests().back().body;
    EXPECT_EQ(body.rfind("user=bob&password=", 0), 0u) << body;
    EXPECT_NE(body.find("&mail=bob@example.org&"), std::string::npos) << body;
}

TEST_F(ClientFixture, NextChannelJoinsWhatTheServiceFindsOrRefreshesTheDisplay)
{
    web.answer("7/SearchChannel.php", "<status>OK</status><channel>2600</channel>");
    client->nextChannel();
    std::vector<ClientMessage> requests = takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].code, Request::ChangeChannel);
    EXPECT_EQ(requests[0].value, 1999) << "what the service finds is kept within the bounds too";
    EXPECT_NE(web.requests().back().body.find("direction=1"), std::string::npos);

    web.answer("7/SearchChannel.php", "<status>FAIL</status>");
    manager.session.currentChannel = 1200;
    client->previousChannel();
    EXPECT_NE(web.requests().back().body.find("direction=0"), std::string::npos);
    EXPECT_TRUE(takeRequests().empty());
    delegate.calls.clear();
    for (int i = 0; i < 3; ++i)
        client->step(0);
    EXPECT_EQ(delegate.calls, (std::vector<std::string> { "channel-changed 1200", "channel-access", "channel-state" }));
}

TEST_F(ClientFixture, ServiceCallsThatChangeTheSession)
{
    manager.session.ownUserId = 42;
    web.answer("7/XML_Send.php", "<channelSubscriptionResult><s>1</s></channelSubscriptionResult>");
    Text out;
    EXPECT_TRUE(client->subscribeChannel(true, out));
    EXPECT_TRUE(manager.session.subscribed);
    web.answer("7/XML_Send.php", "<channelSubscriptionResult><s>0</s></channelSubscriptionResult>");
    EXPECT_FALSE(client->subscribeChannel(false, out));
    EXPECT_TRUE(manager.session.subscribed) << "a refused change keeps the state";

    web.answer("7/AdminChannel.php", "<status>FAIL</status>");
    out = "";
    EXPECT_FALSE(client->claimAdministration(out));
    EXPECT_EQ(out, "OK");

    web.answer("7/XML_Send.php", "<s>0</s>");
    EXPECT_FALSE(client->buyChannel(1234));
    EXPECT_TRUE(takeRequests().empty());
    web.answer("7/XML_Send.php", "<s>3</s>");
    EXPECT_TRUE(client->buyChannel(1234));
    std::vector<ClientMessage> requests = takeRequests();
    ASSERT_EQ(requests.size(), 2u) << "a bought channel comes with a new session";
    EXPECT_EQ(requests[0].code, Request::Leave);
    EXPECT_EQ(requests[1].code, Request::Login);

    web.answer("7/SaveAdmin.php", "<status>OK</status>");
    AdministrationDocument document;
    EXPECT_TRUE(client->saveAdministration(document, out));
    EXPECT_EQ(out, "Unimplemented");
    requests = takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].code, Request::AdministrationSaved);

    web.answer("7/SaveUserDetails.php", "<status>OK</status><sud><mail>a@b.c</mail></sud>");
    EXPECT_TRUE(client->setMail("a@b.c"));
    EXPECT_EQ(web.count("7/SaveUserDetails.php"), 1);
}

TEST_F(ClientFixture, TheJoinsPermissionDecidesWhetherAPressTalksOrAsks)
{
    struct Case {
        int permission;
        const char* call; // the delegate call the change makes, or none
        int request;      // what a press then posts
    };
    const Case cases[] = {
        { 0, nullptr, Request::TalkOn },            // allowed already: nothing changes
        { 1, "talk-forbidden", Request::TalkRequest }, // listen only
        { 1, nullptr, Request::TalkRequest },
        { 0, "talk-allowed-quietly", Request::TalkOn }, // allowed again by a join
        { 2, "talk-forbidden", Request::TalkRequest },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.permission);
        delegate.calls.clear();
        client->setChannelPermission(c.permission);
        if (c.call)
            EXPECT_EQ(delegate.calls, std::vector<std::string> { c.call });
        else
            EXPECT_TRUE(delegate.calls.empty());
        advance(1.6); // past the talk guard
        client->talkPressed();
        std::vector<ClientMessage> requests = takeRequests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].code, c.request);
        client->talkReleased();
        takeRequests();
    }
}

TEST_F(ClientFixture, AMessageTheFullQueueDropsIsNotShownAsSent)
{
    manager.session.ownUserId = 42;
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(client->sendMessageToUser("queued", 7));
    EXPECT_FALSE(client->sendMessageToUser("one too many", 7));
    EXPECT_FALSE(client->inviteGroup(1));
    EXPECT_EQ(client->getMessageCount(), 10);
    EXPECT_EQ(delegate.count("messages-changed"), 10);
}

TEST_F(ClientFixture, TheAdministrationWindowGetsTheHandheldPlate)
{
    manager.session.currentChannel = 1234;
    web.answer("7/GetAdmin.php", "<status>OK</status>");
    AdministrationDocument document;
    Text out;
    client->loadAdministration(document, out);
    for (int i = 0; i < 100 && web.count("7/LoadImage.php") == 0; ++i) {
        client->step();
        usleep(2000);
    }
    bool plate = false;
    for (const CannedWebService::Request& request : web.requests())
        plate |= request.path == "7/LoadImage.php" && request.body.find("imagetype=0") != std::string::npos
            && request.body.find("paramid=1234") != std::string::npos;
    EXPECT_TRUE(plate);
}
