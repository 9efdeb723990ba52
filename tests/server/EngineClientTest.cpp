// The client's own web calls (the engine's request builders, transport and reply readers)
// against the real server: what the client sends is what the server reads, and what the server
// answers is what the client reads.
#include "ServerFixture.h"

#include "data/AdministrationDocument.h"
#include "data/ChannelElement.h"
#include "data/People.h"
#include "data/ServiceMessageData.h"
#include "data/UserMessageData.h"
#include "engine/LoginRecord.h"
#include "engine/WebService.h"

#include <fstream>

using namespace Zumeli;
using namespace ServerTest;

namespace {

class EngineClientTest : public ::testing::Test {
protected:
    DataFolder folder;
    std::unique_ptr<RunningServer> server;

    void SetUp() override
    {
        server = std::make_unique<RunningServer>(folder.database());
        ASSERT_TRUE(server->started());
    }

    // A logged-in client: its login record and the session endpoint the login moved.
    struct Client {
        LoginRecord record;
        WebService session;
        People people;
    };
    std::unique_ptr<Client> login(const char* name, const char* password)
    {
        auto client = std::make_unique<Client>();
        WebService loginEndpoint(Text("127.0.0.1"), server->webPort());
        if (name)
            client->record.setAccount(Text(name), Text(password));
        else
            client->record.setGuest();
        client->record.machineId = Text("machine");
        client->record.language = Text("en");
        if (loginEndpoint.login(client->record) != LoginSucceeded)
            return nullptr;
        client->session = WebService(Text("127.0.0.1"), server->webPort());
        client->session.adoptLogin(client->record);
        return client;
    }
};

TEST_F(EngineClientTest, RegistrationLoginAndJoinAsTheClientDoesThem)
{
    WebService loginEndpoint(Text("127.0.0.1"), server->webPort());
    LoginRecord registration;
    registration.setAccount(Text("Ann"), Text("secret word"));
    registration.mail = Text("ann+zumeli@example.org"); // "+" must survive the form encoding
    registration.language = Text("en");
    EXPECT_TRUE(loginEndpoint.checkUserName(Text("Ann")));
    EXPECT_TRUE(loginEndpoint.checkMail(registration.mail));
    Text error;
    ASSERT_EQ(loginEndpoint.registerUser(registration, error), 0) << error;
    EXPECT_EQ(loginEndpoint.registerUser(registration, error), 1);
    EXPECT_EQ(error.str(), "USER NAME IN USE");
    EXPECT_FALSE(loginEndpoint.checkMail(registration.mail));

    auto ann = login("Ann", "secret word");
    ASSERT_TRUE(ann);
    EXPECT_FALSE(login("Ann", "wrong"));
    EXPECT_LE(ann->record.sessionId.length(), 13);
    EXPECT_EQ(ann->record.voiceOptions, 3);
    EXPECT_EQ(ann->record.lowestChannel, 100);
    EXPECT_EQ(ann->record.highestChannel, 1999);
    EXPECT_EQ(ann->session.port, server->webPort()); // the login did not move the endpoint away

    auto visitor = login(nullptr, nullptr);
    ASSERT_TRUE(visitor);
    EXPECT_NE(visitor->record.userId, ann->record.userId);

    ChannelElement channel;
    channel.number = 1000;
    channel.timestamp = 0;
    ASSERT_EQ(ann->session.join(channel, ann->people), JoinSucceeded);
    ChannelElement seen;
    seen.number = 1000;
    seen.timestamp = 0;
    ASSERT_EQ(visitor->session.join(seen, visitor->people), JoinSucceeded);
    EXPECT_EQ(seen.address.str(), "127.0.0.1");
    EXPECT_EQ(seen.port, server->voicePort());
    EXPECT_EQ(seen.codec, 9);
    EXPECT_EQ(seen.permissions, 0);
    EXPECT_EQ(seen.presentUsers, (std::vector<int> { ann->record.userId, visitor->record.userId }));
    // Each sees the other's name: the guest sees Ann, Ann (after a user list) sees "Guest".
    Text name;
    EXPECT_EQ(ann->session.getUsersList(channel, ann->people), 0);
    EXPECT_EQ(ann->session.loadUsersDetails({ visitor->record.userId }, ann->people), 1);
    ann->people.displayName(visitor->record.userId, name);
    EXPECT_EQ(name.str(), "Guest");
    EXPECT_EQ(visitor->session.loadUsersDetails({ ann->record.userId }, visitor->people), 1);
    visitor->people.displayName(ann->record.userId, name);
    EXPECT_EQ(name.str(), "Ann");

    // With the channel's version the client gets the short answer; its record keeps its data.
    ChannelElement again = seen;
    ASSERT_EQ(visitor->session.join(again, visitor->people), JoinSucceeded);
    EXPECT_EQ(again.timestamp, seen.timestamp);
    EXPECT_EQ(again.address.str(), "127.0.0.1");

    EXPECT_TRUE(ann->session.keepAlive());
    ann->session.logout();
    EXPECT_FALSE(ann->session.keepAlive());
    EXPECT_EQ(ann->session.join(channel, ann->people), JoinInvalidSession);
}

TEST_F(EngineClientTest, MessagesPicturesDetailsAndAdministration)
{
    WebService loginEndpoint(Text("127.0.0.1"), server->webPort());
    Text error;
    for (const char* name : { "Ann", "Bob" }) {
        LoginRecord registration;
        registration.setAccount(Text(name), Text("pw"));
        registration.mail = Text(std::string(name) + "@example.org");
        ASSERT_EQ(loginEndpoint.registerUser(registration, error), 0) << error;
    }
    auto ann = login("Ann", "pw");
    auto bob = login("Bob", "pw");
    ASSERT_TRUE(ann && bob);
    ChannelElement channel;
    channel.number = 1234;
    ASSERT_EQ(ann->session.join(channel, ann->people), JoinSucceeded);
    ASSERT_EQ(bob->session.join(channel, bob->people), JoinSucceeded);

    UserMessageData message;
    message.text = Text("a<b & \"c\" \xC3\xA9 100%");
    ASSERT_TRUE(ann->session.sendMessage(message, { bob->record.userId }));
    someVector<UserMessageData> received;
    ServiceMessagesList service;
    ASSERT_EQ(bob->session.getMessages(received, service, bob->people), 1);
    EXPECT_EQ(received.at(0)->text.str(), message.text.str());
    EXPECT_EQ(received.at(0)->sender, ann->record.userId);
    EXPECT_EQ(bob->session.getMessages(received, service, bob->people), 0);

    Text jpeg("\xFF\xD8\xFF\xE0 picture");
    EXPECT_TRUE(ann->session.saveImage(2, ann->record.userId, jpeg));
    std::string target = folder.path() + "/user.jpg";
    ASSERT_TRUE(bob->session.loadImage(2, ann->record.userId, Text(target)));
    std::ifstream file(target, std::ios::binary);
    std::string stored((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(stored, jpeg.str());

    OwnDetailsChange change;
    change.doNotDisturb = true;
    change.tmsmode = 2;
    OwnDetails own;
    ASSERT_TRUE(ann->session.saveUserDetails(ann->record.userId, change, ann->people, own));
    EXPECT_EQ(own.tmsmode, 2);
    EXPECT_TRUE(own.authorized);

    AdministrationDocument document;
    EXPECT_NE(ann->session.getAdmin(document, ann->people), 0) << "only its administrators read a channel's document";
    ASSERT_TRUE(ann->session.adminChannel(false));
    EXPECT_FALSE(bob->session.adminChannel(false));
    document.title = Text("Ann's <club> & friends");
    document.accessMode = AdministrationDocument::EveryoneSomeListenOnly;
    document.listenOnly = { bob->record.userId };
    ASSERT_TRUE(ann->session.saveAdmin(document));
    AdministrationDocument read;
    ASSERT_EQ(ann->session.getAdmin(read, ann->people), 0);
    EXPECT_EQ(read.title.str(), document.title.str());
    EXPECT_EQ(read.listenOnly, document.listenOnly);
    EXPECT_TRUE(read.administrated);
    ChannelStatus status;
    ASSERT_TRUE(bob->session.getUserChannelStatus(status));
    EXPECT_TRUE(status.channelAdministrated);
    EXPECT_FALSE(status.isAdmin);
    ChannelElement bobsView;
    bobsView.number = 1234;
    ASSERT_EQ(bob->session.join(bobsView, bob->people), JoinSucceeded);
    EXPECT_EQ(bobsView.permissions, 1); // listen only
    EXPECT_EQ(bobsView.name.str(), document.title.str());

    int next = 0;
    EXPECT_FALSE(ann->session.searchChannel(true, next)); // nobody elsewhere
    EXPECT_TRUE(ann->session.channelSubscription(1234, true));
    EXPECT_TRUE(bob->session.changePassword(Text("4F3C2A10")));
}

} // namespace
