#include "engine/CommunicationEngine.h"
#include "engine/EngineCodes.h"
#include "engine/HandoverRing.h"
#include "tests/data/TempFolder.h"
#include "tests/engine/CannedWebService.h"
#include "tests/voice/LoopbackPeer.h"

#include <gtest/gtest.h>
#include <random>

using namespace Zumeli;

namespace {

class FakeClient : public IEngineClient {
public:
    void setServerClockOffset(long seconds) override { offset = seconds; }
    void setChannelBounds(int l, int h) override
    {
        lowest = l;
        highest = h;
    }
    void setChannelPermission(int p) override { permission = p; }
    bool localizationWanted(const Text& s) override
    {
        stamp = s;
        return wantTable;
    }
    void localizationArrived(const Text& reply) override { table = reply; }
    bool addServiceMessage(const ServiceMessageData& m) override
    {
        service.push_back(m);
        return true;
    }
    void postIncomingMessage(std::unique_ptr<UserMessageData> m) override { incoming.push_back(std::move(m)); }
    std::unique_ptr<UserMessageData> takeOutgoingMessage() override { return outgoing.take(); }
    void returnOutgoingMessage(std::unique_ptr<UserMessageData> m) override { returned.push_back(std::move(m)); }
    std::unique_ptr<UserMessageData> takeReturnedMessage() override { return nullptr; }
    Text channelPhotoToPost() const override { return photoToPost; }
    void channelPhotoReceived(const Text& p) override { photoPath = p; }
    void setLinkQuality(float q) override { quality = q; }
    void setCurrentTalker(uint32_t u) override { talker = u; }
    void showChannelEvent(const ChannelEvent& e) override { events.emplace_back(e.user, e.kind); }
    bool userUpdatesDisabled() const override { return false; }
    Text machineId() const override { return "machine-1"; }
    Text platformText() const override { return "linux"; }
    Text identityText() const override { return "none:0.0.0.0:x"; }
    Text language() const override { return "en"; }

    bool wantTable = false;
    Text table;
    long offset = 0;
    int lowest = -1, highest = -1, permission = -1;
    Text stamp, photoToPost, photoPath;
    std::vector<ServiceMessageData> service;
    std::vector<std::unique_ptr<UserMessageData>> incoming, returned;
    HandoverRing<UserMessageData> outgoing { 10 };
    float quality = -1;
    uint32_t talker = 0;
    std::vector<std::pair<int, int>> events;
};

std::string loginOk(const std::string& extra = "")
{
    return "<status>OK</status>\r\n<sessionID>sess42</sessionID>\r\n<uid>1234</uid>\r\n<ch>0</ch>\r\n<rl>1500</rl>\r\n"
           "<rh>0</rh>\r\n<sop>2</sop>\r\n<st>1700000000</st>\r\n<lot>77</lot>\r\n" + extra;
}

class Engine : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager.setClock(&clock);
        manager.setServiceAddress({ "127.0.0.1", web.port(), "" });
        manager.openCache(temp.folder());
        engine = std::make_unique<CommunicationEngine>(manager, client);
        web.answer("7/login.php", loginOk());
        web.answer("7/joinChannel.php", joinUp());
        web.answer("7/KeepAlive.php", "<status>OK</status>");
        web.answer("7/Logout.php", "<status>OK</status>");
    }

    std::string joinUp()
    {
        return "<status>UP</status>\r\n<ip>127.0.0.1</ip>\r\n<port>" + std::to_string(voice.port())
            + "</port>\r\n<codec>9</codec>\r\n<ts>5</ts>\r\n<pe>0</pe>\r\n<cn>Plaza</cn>\r\n<ul>1234,1,me 7,1,Ann</ul>\r\n";
    }

    void step(float dt = 1.0f / 30)
    {
        clock.advanceSeconds(dt);
        engine->step();
        collect();
    }

    // Steps until the response arrives (or about 3 s of wall time pass).
    bool stepUntil(int code, float dt = 1.0f / 30)
    {
        for (int i = 0; i < 600; ++i) {
            if (std::count(seen.begin(), seen.end(), code))
                return true;
            step(dt);
            usleep(2000);
        }
        return std::count(seen.begin(), seen.end(), code) > 0;
    }

    // Picture requests for one picture (other pictures, such as the joined channel's, may load
    // at the same time).
    int pictureLoads(int type, int id)
    {
        int n = 0;
        std::string wanted = "imagetype=" + std::to_string(type) + "&paramid=" + std::to_string(id) + "&";
        for (const CannedWebService::Request& request : web.requests())
            n += request.path == "7/LoadImage.php" && request.body.find(wanted) != std::string::npos;
        return n;
    }

    void collect()
    {
        ClientMessage entry;
        while (manager.responses.take(entry)) {
            seen.push_back(entry.code);
            values.push_back(entry.value);
        }
    }

    void login()
    {
        manager.requests.post(Request::Login);
        ASSERT_TRUE(stepUntil(Response::LoggedIn));
    }

    void loginAndConnect()
    {
        login();
        ASSERT_TRUE(stepUntil(Response::ChannelChanged));
        ASSERT_TRUE(voice.accept());
        for (int i = 0; i < 5; ++i)
            step();
        std::vector<uint8_t> hello = voice.read(47);
        ASSERT_EQ(hello.size(), 47u);
        ASSERT_EQ(hello[10], uint8_t(VoiceMessage::Hello));
        VoicePacket reply = VoicePacket::control(0, VoiceMessage::KeepAlive);
        reply.sign();
        voice.write(reply.bytes(), 47);
        ASSERT_TRUE(stepUntil(Response::HelloAccepted));
        seen.clear();
        values.clear();
    }

    TempFolder temp { "engine" };
    AudioClock clock { 0 };
    Manager manager;
    FakeClient client;
    CannedWebService web;
    LoopbackPeer voice;
    std::unique_ptr<CommunicationEngine> engine;
    std::vector<int> seen, values;
};

} // namespace

TEST_F(Engine, LoginJoinsTheChannelWithinTheBounds)
{
    loginAndConnect();
    EXPECT_EQ(manager.session.currentChannel, 1500);
    EXPECT_EQ(manager.session.ownUserId, 1234);
    EXPECT_EQ(manager.sessionEndpoint.sessionId, "sess42");
    EXPECT_EQ(client.lowest, 1500);
    EXPECT_EQ(client.highest, 0) << "0 leaves the upper bound as it was";
    EXPECT_EQ(client.permission, 0);
    EXPECT_EQ(client.stamp, "77");
    auto joins = web.requests();
    auto join = std::find_if(joins.begin(), joins.end(), [](const auto& r) { return r.path == "7/joinChannel.php"; });
    ASSERT_NE(join, joins.end());
    EXPECT_EQ(join->body.rfind("ch=1500&", 0), 0u);
    EXPECT_EQ(manager.channels.find(1500)->name, "Plaza");
    EXPECT_EQ(manager.channels.find(1500)->presentUsers, (std::vector<int> { 1234, 7 }));
}

TEST_F(Engine, AGuestLoginSendsAnonymous)
{
    login();
    auto requests = web.requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].path, "7/login.php");
    EXPECT_EQ(requests[0].body.rfind("us=anonymous&", 0), 0u);
    EXPECT_NE(requests[0].body.find("&an=1&"), std::string::npos);
}

TEST_F(Engine, AChannelRequestBeforeTheLoginIsDropped)
{
    manager.requests.post(Request::ChangeChannel, 1200);
    step();
    manager.requests.post(Request::Login);
    ASSERT_TRUE(stepUntil(Response::ChannelChanged));
    EXPECT_EQ(manager.session.currentChannel, 1500);
    EXPECT_EQ(web.count("7/joinChannel.php"), 1);
}

TEST_F(Engine, TheStartChannelReplacesTheProposedOne)
{
    engine->setStartChannel(1777);
    login();
    ASSERT_TRUE(stepUntil(Response::ChannelChanged));
    EXPECT_EQ(manager.session.currentChannel, 1777);
}

TEST_F(Engine, LoginOutcomes)
{
    struct Case {
        const char* reply;
        CannedWebService::Behaviour behaviour;
        int expected;
    };
    const Case cases[] = {
        { "<status>FAIL</status><errorString>bad password</errorString>", CannedWebService::Behaviour::Reply, Response::LoginRefused },
        { "<status>FAIL</status><tmu>1</tmu>", CannedWebService::Behaviour::Reply, Response::ServerFull },
        { "<html><head><title>502 Bad Gateway</title></head></html>", CannedWebService::Behaviour::Reply, Response::LoginFailed },
        { "<status>OK</sta", CannedWebService::Behaviour::Reply, Response::LoginFailed },
        // No answer at all is a failed login too, so the Client reports it and retries.
        { "", CannedWebService::Behaviour::CloseAtOnce, Response::LoginFailed },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        web.answer("7/login.php", c.reply, c.behaviour);
        seen.clear();
        manager.requests.post(Request::Login);
        for (int i = 0; i < 60; ++i) {
            step();
            usleep(2000);
        }
        EXPECT_FALSE(engine->loggedIn());
        EXPECT_EQ(std::count(seen.begin(), seen.end(), c.expected), 1);
    }
}

TEST_F(Engine, AnInvalidSessionAtJoinLogsOut)
{
    web.answer("7/joinChannel.php", "<status>FAIL</status><errorString>INVALID SESSION</errorString>");
    login();
    ASSERT_TRUE(stepUntil(Response::LoggedOut));
    EXPECT_FALSE(engine->loggedIn());
    EXPECT_EQ(web.count("7/Logout.php"), 1);
}

TEST_F(Engine, AFullChannelIsCurrentButNotConnected)
{
    web.answer("7/joinChannel.php", "<status>FAIL</status><errorString>FULL</errorString><pe>1</pe>");
    login();
    ASSERT_TRUE(stepUntil(Response::ChannelFull));
    EXPECT_EQ(manager.session.currentChannel, 1500);
    EXPECT_TRUE(std::count(seen.begin(), seen.end(), Response::ChannelChanged));
    EXPECT_FALSE(voice.accept()) << "no voice connection to a full channel";
}

TEST_F(Engine, MessageFetchPostsServiceMessagesOnlyWhenThereAreSome)
{
    loginAndConnect();
    web.answer("7/TMS_Get.php", "<usermessages><message><sender>7</sender><datetime>1700000000</datetime>"
                                "<text>hi &amp; bye</text></message></usermessages>");
    engine->fetchMessages();
    for (int i = 0; i < 60 && client.incoming.empty(); ++i) {
        step();
        usleep(2000);
    }
    ASSERT_EQ(client.incoming.size(), 1u);
    EXPECT_EQ(client.incoming[0]->text, "hi & bye");
    EXPECT_FALSE(std::count(seen.begin(), seen.end(), Response::ServiceMessages));

    web.answer("7/TMS_Get.php", "<servicemessages><message><mainText>Maintenance</mainText></message></servicemessages>");
    engine->fetchMessages();
    ASSERT_TRUE(stepUntil(Response::ServiceMessages));
    ASSERT_EQ(client.service.size(), 1u);
    EXPECT_EQ(client.service[0].mainText, "Maintenance");
}

TEST_F(Engine, NewMessagesFromTheVoiceServerFetchMessages)
{
    loginAndConnect();
    web.answer("7/TMS_Get.php", "<usermessages></usermessages>");
    VoicePacket notice = VoicePacket::control(0, VoiceMessage::NewMessages);
    notice.setLength(5);
    notice.sign();
    voice.write(notice.bytes(), 47);
    for (int i = 0; i < 60 && web.count("7/TMS_Get.php") == 0; ++i) {
        step();
        usleep(2000);
    }
    EXPECT_EQ(web.count("7/TMS_Get.php"), 1);
}

TEST_F(Engine, OutgoingMessagesAreSentAndHandedBack)
{
    loginAndConnect();
    web.answer("7/TMS_Send.php", "<status>OK</status>");
    auto message = std::make_unique<UserMessageData>();
    message->text = "hello";
    message->recipient = 7;
    client.outgoing.post(std::move(message));
    for (int i = 0; i < 300 && client.returned.empty(); ++i) {
        step();
        usleep(2000);
    }
    EXPECT_EQ(web.count("7/TMS_Send.php"), 1);
    ASSERT_EQ(client.returned.size(), 1u);
    int notices = 0;
    for (std::vector<uint8_t> packet = voice.readAvailable(47); packet.size() == 47; packet = voice.readAvailable(47))
        notices += packet[10] == uint8_t(VoiceMessage::NewMessages) && packet[11] == 7;
    EXPECT_EQ(notices, 1) << "user 7 is present, so it is told";
}

TEST_F(Engine, GarbageFromTheVoiceServerLeavesADefinedState)
{
    loginAndConnect();
    std::mt19937 random(99);
    std::vector<uint8_t> garbage(47 * 20 + 13);
    for (auto& b : garbage)
        b = uint8_t(random());
    voice.write(garbage.data(), garbage.size());
    for (int i = 0; i < 10; ++i)
        step();
    EXPECT_TRUE(std::count(seen.begin(), seen.end(), Response::TransmissionTrouble));
    voice.closePeer(); // mid-packet: 13 bytes of a record were pending
    ASSERT_TRUE(stepUntil(Response::VoiceConnectionDown));
    EXPECT_TRUE(engine->loggedIn());
    // The third-failure path checks the web session two seconds later and reconnects.
    for (int i = 0; i < 20; ++i)
        step(0.25f);
    EXPECT_GE(web.count("7/KeepAlive.php"), 1);
    EXPECT_TRUE(voice.accept()) << "the engine connected again";
}

TEST_F(Engine, LeaveLogsOutAndClosesTheVoiceConnection)
{
    loginAndConnect();
    manager.requests.post(Request::Leave);
    ASSERT_TRUE(stepUntil(Response::LoggedOut));
    EXPECT_EQ(web.count("7/Logout.php"), 1);
    EXPECT_FALSE(engine->loggedIn());
    manager.requests.post(Request::TalkOn);
    step();
    EXPECT_FALSE(engine->voice().talking()) << "requests other than login are dropped when logged out";
}

TEST_F(Engine, APictureIsFetchedOnceAndThenServedFromTheCache)
{
    loginAndConnect();
    // The reply body is the picture after its marker; CannedWebService adds the HTTP header.
    web.answer("7/LoadImage.php", "Content-Type: image/jpeg\r\n\r\n\xff\xd8\xff\xe0JPEGDATA");
    int before = pictureLoads(PictureIndex::UserPicture, 7);
    ChannelElement::Image& photo = engine->userPhoto(7);
    photo.timestamp = 3;
    engine->loadUserImage(photo, PictureIndex::UserPicture, 7);
    engine->loadUserImage(photo, PictureIndex::UserPicture, 7);
    TaskQueue& images = engine->queue(CommunicationEngine::ImageLoadQueue);
    int loads = 0;
    auto forPhoto = [&](const Task* task) {
        auto* load = dynamic_cast<const LoadImageTask*>(task);
        return load && load->record() == &photo && task->alive();
    };
    loads += forPhoto(images.current());
    for (const auto& waiting : images.waiting())
        loads += forPhoto(waiting.get());
    EXPECT_EQ(loads, 1) << "a second request for the same record while its load is queued adds nothing";
    for (int i = 0; i < 100 && photo.path.isEmpty(); ++i) {
        step();
        usleep(2000);
    }
    EXPECT_EQ(pictureLoads(PictureIndex::UserPicture, 7) - before, 1);
    ASSERT_FALSE(photo.path.isEmpty());
    Text bytes;
    ASSERT_TRUE(bytes.loadFromFile(photo.path));
    EXPECT_EQ(bytes.right(8), "JPEGDATA");

    Text cached = photo.path;
    photo.path.clear();
    engine->loadUserImage(photo, PictureIndex::UserPicture, 7);
    EXPECT_EQ(photo.path, cached) << "the same version comes from the cache at once";
    for (int i = 0; i < 10; ++i)
        step();
    EXPECT_EQ(pictureLoads(PictureIndex::UserPicture, 7) - before, 1) << "and is not fetched again";
}

namespace {

// The form body's percent-encoding undone, so a test can look for the document inside.
std::string formDecoded(const std::string& body)
{
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '%' && i + 2 < body.size()) {
            out += char(std::stoi(body.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += body[i] == '+' ? ' ' : body[i];
        }
    }
    return out;
}

} // namespace

TEST_F(Engine, MessagesToEverybodyAndToTheChannelReachTheirPeople)
{
    loginAndConnect();
    web.answer("7/TMS_Send.php", "<status>OK</status>");
    manager.session.people.getOrCreate(9); // known, not on the channel
    struct Case {
        int group;
        std::vector<int> recipients;
    };
    const Case cases[] = { { 0, { 7, 9 } }, { 1, { 7 } } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.group);
        int before = web.count("7/TMS_Send.php");
        auto message = std::make_unique<UserMessageData>();
        message->text = "hello all";
        message->groupId = c.group;
        client.outgoing.post(std::move(message));
        for (int i = 0; i < 300 && web.count("7/TMS_Send.php") == before; ++i) {
            step();
            usleep(2000);
        }
        ASSERT_EQ(web.count("7/TMS_Send.php"), before + 1) << "the message reaches the service";
        std::string document = formDecoded(web.requests().back().body);
        std::string expected = "<recipient>\r\n";
        for (int id : c.recipients)
            expected += "<id>" + std::to_string(id) + "</id>\r\n";
        expected += "</recipient>";
        EXPECT_NE(document.find(expected), std::string::npos) << document;
    }
}

TEST_F(Engine, PeopleWhoArriveDuringALookupAreLookedUpToo)
{
    loginAndConnect();
    for (int i = 0; i < 60; ++i)
        step(); // the join's own lookups are over
    web.answer("7/LoadUsersDetails.php", "<ud><us><id>20</id><na>Bea</na><ts>1</ts></us></ud>");
    int before = web.count("7/LoadUsersDetails.php");
    People& people = manager.session.people;
    people.setVersion(20, 1);
    engine->loadMissingUsers();
    step(); // the lookup starts: its request is on its way
    ASSERT_NE(engine->queue(CommunicationEngine::UserDetailsQueue).current(), nullptr);
    people.setVersion(21, 1); // arrives while the lookup runs
    engine->loadMissingUsers();
    for (int i = 0; i < 300 && web.count("7/LoadUsersDetails.php") < before + 2; ++i) {
        step();
        usleep(2000);
    }
    std::vector<CannedWebService::Request> lookups;
    for (const CannedWebService::Request& request : web.requests())
        if (request.path == "7/LoadUsersDetails.php")
            lookups.push_back(request);
    ASSERT_EQ(int(lookups.size()), before + 2) << "a second lookup follows the first";
    EXPECT_NE(formDecoded(lookups.back().body).find("21"), std::string::npos);
    for (int i = 0; i < 60; ++i)
        step();
    EXPECT_EQ(web.count("7/LoadUsersDetails.php"), before + 2) << "and no more once it has asked";
}

TEST_F(Engine, ADisconnectDuringTheLoginEndsTheNewSession)
{
    manager.requests.post(Request::Login);
    step();
    manager.requests.post(Request::Leave);
    ASSERT_TRUE(stepUntil(Response::LoggedOut));
    for (int i = 0; i < 30; ++i)
        step();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), Response::LoggedIn), 0);
    EXPECT_EQ(web.count("7/joinChannel.php"), 0) << "no channel is joined";
    EXPECT_EQ(web.count("7/Logout.php"), 1) << "the session the service opened is closed";
    EXPECT_FALSE(engine->loggedIn());
}

TEST_F(Engine, AReplyWithoutAPictureIsNotRecordedAsFetched)
{
    loginAndConnect();
    web.answer("7/LoadImage.php", "<status>none</status>");
    ChannelElement::Image& photo = engine->userPhoto(7);
    photo.timestamp = 4;
    int before = pictureLoads(PictureIndex::UserPicture, 7);
    engine->loadUserImage(photo, PictureIndex::UserPicture, 7);
    for (int i = 0; i < 300 && engine->queue(CommunicationEngine::ImageLoadQueue).current(); ++i) {
        step();
        usleep(2000);
    }
    EXPECT_EQ(pictureLoads(PictureIndex::UserPicture, 7), before + 1);
    Text path;
    EXPECT_FALSE(manager.documents.isCached(PictureIndex::UserPicture, 7, 4, path));
    engine->loadUserImage(photo, PictureIndex::UserPicture, 7);
    for (int i = 0; i < 300 && pictureLoads(PictureIndex::UserPicture, 7) == before + 1; ++i) {
        step();
        usleep(2000);
    }
    EXPECT_EQ(pictureLoads(PictureIndex::UserPicture, 7), before + 2) << "asked for again";
}

TEST_F(Engine, ANewerLocalisationTableIsFetchedInTheBackground)
{
    client.wantTable = true;
    web.answer("7/XML_Get.php", "<language>new table</language>12345678");
    login();
    EXPECT_EQ(client.stamp, "77");
    EXPECT_TRUE(client.table.isEmpty()) << "the login reply's handler does not wait for the table";
    for (int i = 0; i < 300 && client.table.isEmpty(); ++i) {
        step();
        usleep(2000);
    }
    EXPECT_NE(client.table.str().find("<language>new table</language>12345678"), std::string::npos);
    bool asked = false;
    for (const CannedWebService::Request& request : web.requests())
        asked |= request.path == "7/XML_Get.php" && request.body.find("kind=localizationDatabase") != std::string::npos;
    EXPECT_TRUE(asked);
}

TEST_F(Engine, MessagesGoOutInTheOrderWritten)
{
    loginAndConnect();
    web.answer("7/TMS_Send.php", "<status>OK</status>");
    for (const char* text : { "first", "second", "third" }) {
        auto message = std::make_unique<UserMessageData>();
        message->text = text;
        message->recipient = 7;
        client.outgoing.post(std::move(message));
    }
    for (int i = 0; i < 600 && client.returned.size() < 3; ++i) {
        step();
        usleep(2000);
    }
    ASSERT_EQ(client.returned.size(), 3u);
    std::vector<std::string> order;
    for (const CannedWebService::Request& request : web.requests())
        if (request.path == "7/TMS_Send.php")
            for (const char* text : { "first", "second", "third" })
                if (formDecoded(request.body).find(std::string(">") + text + "<") != std::string::npos)
                    order.push_back(text);
    EXPECT_EQ(order, (std::vector<std::string> { "first", "second", "third" }));
}
