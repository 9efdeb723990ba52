#include "ServerFixture.h"

#include "data/AdministrationDocument.h"
#include "data/Checksum.h"
#include "data/People.h"
#include "data/UserMessagesList.h"
#include "server/Store.h"

#include <fstream>

using namespace Zumeli;
using namespace ServerTest;

namespace {

class WebApiTest : public ServiceTest {
protected:
    void SetUp() override { restart(); }
    void restart(ServerConfig config = {}) { start(config); }
};

TEST_F(WebApiTest, RegistrationChecksNamesMailsAndDigests)
{
    EXPECT_EQ(element(post(port(), "XML_Send.php", "ur=1&data=Ann&kind=checkUserName&"), "s"), "1");
    ASSERT_TRUE(registerAccount(port(), "Ann", digest("secret"), "ann%40example.org"));
    struct Case {
        const char* fields;
        const char* error;
    };
    const Case refused[] = {
        { "user=ann&password=3D0E8682&mail=other%40example.org&", "USER NAME IN USE" },
        { "user=Bob&password=3D0E8682&mail=ANN%40example.org&", "MAIL IN USE" },
        { "user=B&password=3D0E8682&mail=b%40example.org&", "INVALID USER NAME" },
        { "user=Bob+Lee&password=3D0E8682&mail=b%40example.org&", "INVALID USER NAME" },
        { "user=anonymous&password=3D0E8682&mail=b%40example.org&", "INVALID USER NAME" },
        { "user=Bob&password=secret&mail=b%40example.org&", "INVALID PASSWORD" },
        { "user=Bob&password=3D0E8682&mail=not-a-mail&", "INVALID MAIL" },
    };
    for (const auto& c : refused) {
        std::string reply = post(port(), "Register/Register.php", c.fields);
        EXPECT_EQ(statusOf(reply), "FAIL") << c.fields;
        EXPECT_EQ(element(reply, "errorString"), c.error) << c.fields;
    }
    EXPECT_EQ(element(post(port(), "XML_Send.php", "ur=1&data=ANN&kind=checkUserName&"), "s"), "0");
    EXPECT_EQ(element(post(port(), "XML_Send.php", "ur=1&data=ann%40example.org&kind=checkMail&"), "s"), "0");
    EXPECT_EQ(element(post(port(), "XML_Send.php", "ur=1&data=bob%40example.org&kind=checkMail&"), "s"), "1");
}

TEST_F(WebApiTest, LoginByAccountOrAsGuest)
{
    WebUser ann = account("Ann");
    std::string wrong = post(port(), "login.php", "us=Ann&pw=" + digest("wrong") + "&an=0&");
    EXPECT_EQ(statusOf(wrong), "FAIL");
    EXPECT_EQ(element(wrong, "tmu"), "");

    std::string reply = post(port(), "login.php", "us=ann&pw=" + digest("secret") + "&an=0&mi=m&ur=1&");
    ASSERT_EQ(statusOf(reply), "OK");
    EXPECT_LE(element(reply, "sessionID").size(), 13u);
    EXPECT_EQ(element(reply, "uid"), std::to_string(ann.id));
    EXPECT_EQ(element(reply, "ch"), "1000");
    EXPECT_EQ(element(element(reply, "sud"), "na"), "Ann");
    EXPECT_EQ(element(element(reply, "sud"), "authorized"), "1");

    // The store keeps a salted hash, never the credential itself; the digest's letter case is free.
    {
        Store store;
        ASSERT_TRUE(store.open(folder.database()));
        std::string stored = store.userById(ann.id)->password;
        EXPECT_EQ(stored.find(digest("secret")), std::string::npos);
        EXPECT_EQ(stored.compare(0, 3, "$6$"), 0);
    }
    std::string lower = digest("secret");
    for (auto& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(login(port(), "Ann", lower));

    auto first = guest(port());
    auto second = guest(port());
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->id, second->id);
    EXPECT_NE(first->id, ann.id);
    EXPECT_NE(first->session, second->session);

    EXPECT_EQ(statusOf(ann.call("KeepAlive.php", "ur=1&")), "OK");
    EXPECT_EQ(statusOf(ann.call("Logout.php", "")), "OK");
    std::string after = ann.call("KeepAlive.php", "ur=1&");
    EXPECT_EQ(statusOf(after), "FAIL");
    EXPECT_EQ(element(after, "errorString"), "INVALID SESSION");
}

TEST_F(WebApiTest, TooManySessionsIsReportedAsSuch)
{
    ServerConfig config;
    config.web.maxSessions = 1;
    restart(config);
    ASSERT_TRUE(guest(port()));
    std::string reply = post(port(), "login.php", "us=anonymous&pw=00000000&an=1&");
    EXPECT_EQ(statusOf(reply), "FAIL");
    EXPECT_EQ(element(reply, "tmu"), "1");
}

TEST_F(WebApiTest, JoinAnswersUpUntilTheClientHasTheChannelsVersion)
{
    WebUser ann = account("Ann");
    auto visitor = guest(port());
    ASSERT_TRUE(visitor);

    std::string up = ann.join(1234, 0);
    ASSERT_EQ(statusOf(up), "UP");
    EXPECT_EQ(element(up, "ip"), "127.0.0.1");
    EXPECT_EQ(element(up, "port"), std::to_string(server->voicePort()));
    EXPECT_EQ(element(up, "codec"), "9");
    EXPECT_EQ(element(up, "pe"), "0");
    EXPECT_EQ(element(up, "ul"), std::to_string(ann.id) + ",1,Ann");
    long version = std::stol(element(up, "ts"));

    std::string same = visitor->join(1234, version);
    ASSERT_EQ(statusOf(same), "OK");
    EXPECT_EQ(element(same, "ip"), "");
    // Both users, the guest shown as the client expects guests.
    EXPECT_EQ(element(same, "ul"), std::to_string(ann.id) + ",1,Ann " + std::to_string(visitor->id) + ",1,GUEST");
    EXPECT_EQ(element(ann.call("getUsersList.php", "ur=1&"), "ul"), element(same, "ul"));

    // Changed channel data gives a new version, so the next join sends it all again.
    ASSERT_EQ(statusOf(ann.call("AdminChannel.php", "release=0&")), "OK");
    std::string changed = ann.join(1234, version);
    ASSERT_EQ(statusOf(changed), "UP");
    EXPECT_EQ(element(changed, "ca"), std::to_string(ann.id));
    EXPECT_EQ(element(changed, "ad"), "1");
    EXPECT_GT(std::stol(element(changed, "ts")), version);

    struct Case {
        std::string fields;
        const char* error;
    };
    const Case refused[] = {
        { "ch=1234&sid=nosuchsession&ts=0&", "INVALID SESSION" },
        { "ch=1234&ts=0&", "INVALID SESSION" },
        { "ch=99&sid=" + ann.session + "&ts=0&", "INVALID CHANNEL" },
        { "ch=2000&sid=" + ann.session + "&ts=0&", "INVALID CHANNEL" },
        { "ch=abc&sid=" + ann.session + "&ts=0&", "INVALID CHANNEL" },
    };
    for (const auto& c : refused) {
        std::string reply = post(port(), "joinChannel.php", c.fields);
        EXPECT_EQ(statusOf(reply), "FAIL") << c.fields;
        EXPECT_EQ(element(reply, "errorString"), c.error) << c.fields;
    }
}

TEST_F(WebApiTest, MessagesWaitUntilFetchedThenGoAway)
{
    WebUser ann = account("Ann");
    WebUser bob = account("Bob");
    ASSERT_EQ(statusOf(sendText(ann, { bob.id, 999999 }, "see <you> & \"soon\"")), "OK");
    ASSERT_EQ(statusOf(sendText(ann, { bob.id }, "second")), "OK");
    EXPECT_EQ(statusOf(sendText(ann, { 999999 }, "nobody")), "FAIL");

    // The waiting flag of a new login tells the client to fetch.
    auto again = login(port(), "Bob", digest("secret"));
    ASSERT_TRUE(again);
    EXPECT_EQ(element(post(port(), "login.php", "us=Bob&pw=" + digest("secret") + "&an=0&"), "msg"), "1");

    std::string reply = bob.call("TMS_Get.php", "ur=1&");
    ASSERT_EQ(statusOf(reply), "OK");
    // Read back the way the client reads it.
    Text text(reply);
    People people;
    someVector<UserMessageData> received;
    UserMessagesList::readFromReply(XmlChunk(text), received, people);
    ASSERT_EQ(received.count(), 2);
    EXPECT_EQ(received.at(0)->sender, ann.id);
    EXPECT_EQ(received.at(0)->text.str(), "see <you> & \"soon\"");
    EXPECT_EQ(received.at(1)->text.str(), "second");
    EXPECT_GT(received.at(0)->datetime, 1700000000);

    std::string empty = bob.call("TMS_Get.php", "ur=1&");
    EXPECT_EQ(statusOf(empty), "OK");
    EXPECT_EQ(element(element(empty, "usermessages"), "message"), "");
    EXPECT_EQ(element(post(port(), "login.php", "us=Bob&pw=" + digest("secret") + "&an=0&"), "msg"), "0");
}

TEST_F(WebApiTest, ServiceMessagesQueuedByTheOperatorAreDeliveredOnce)
{
    WebUser ann = account("Ann");
    {
        Store store;
        ASSERT_TRUE(store.open(folder.database()));
        ServiceMessageData message;
        message.mainText = Text("Maintenance at noon");
        message.buttons[0].text = Text("More");
        message.buttons[0].url = Text("https://example.org/?a=1&b=2");
        message.buttons[0].urlInBrowser = true;
        message.buttons[1].text = Text("OK");
        message.mainDisconnect = true;
        ASSERT_TRUE(store.queueServiceMessage(ann.id, message));
    }
    std::string reply = ann.call("TMS_Get.php", "ur=1&");
    Text text(reply);
    ServiceMessagesList received;
    ASSERT_EQ(received.readFromReply(XmlChunk(text)), 1);
    const ServiceMessageData& message = *received.at(0);
    EXPECT_EQ(message.mainText.str(), "Maintenance at noon");
    EXPECT_TRUE(message.mainDisconnect);
    EXPECT_EQ(message.buttons[0].text.str(), "More");
    EXPECT_TRUE(message.buttons[0].urlInBrowser);
    EXPECT_EQ(message.buttons[1].text.str(), "OK");
    EXPECT_FALSE(message.buttons[1].urlInBrowser);
    EXPECT_TRUE(message.buttons[2].text.isEmpty());
    ServiceMessagesList none;
    Text second(ann.call("TMS_Get.php", "ur=1&"));
    EXPECT_EQ(none.readFromReply(XmlChunk(second)), 0);
}

TEST_F(WebApiTest, PicturesAreStoredAndServedAfterTheJpegMarker)
{
    WebUser ann = account("Ann");
    WebUser bob = account("Bob");
    std::string bytes = std::string("\xFF\xD8\xFF\xE0", 4) + std::string("\0\x10JFIF\0", 7) + "picture-bytes";
    Text hex;
    hex.setHex(bytes.data(), int(bytes.size()));
    auto save = [&](const WebUser& user, int type, int param, const std::string& data) {
        return user.call("SaveImage.php", "ur=1&imagetype=" + std::to_string(type) + "&paramid=" + std::to_string(param)
                             + "&data=" + data + "&");
    };
    EXPECT_NE(save(ann, 2, ann.id, hex.str()).find("<postimageresult>"), std::string::npos);
    EXPECT_EQ(save(ann, 2, bob.id, hex.str()).find("<postimageresult>"), std::string::npos); // not her photo
    EXPECT_EQ(save(ann, 2, ann.id, "ABC").find("<postimageresult>"), std::string::npos);     // odd digits
    EXPECT_EQ(save(ann, 2, ann.id, "ZZ").find("<postimageresult>"), std::string::npos);

    std::string reply = bob.call("LoadImage.php", "ur=1&imagetype=2&paramid=" + std::to_string(ann.id) + "&");
    const std::string marker = "Content-Type: image/jpeg\r\n\r\n";
    size_t at = reply.find(marker);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(reply.substr(at + marker.size()), bytes);

    // The photo's version travels with the user's details.
    std::string details = post(port(), "LoadUsersDetails.php", "ul=" + std::to_string(ann.id) + ",abc,0&ur=1&");
    EXPECT_EQ(element(element(element(details, "ud"), "us"), "its"), "1");
    EXPECT_EQ(element(element(element(details, "ud"), "us"), "ts"), "2");

    std::string missing = bob.call("LoadImage.php", "ur=1&imagetype=1&paramid=1500&");
    EXPECT_EQ(missing.find(marker), std::string::npos);
    EXPECT_NE(missing.find("<loadimage>"), std::string::npos);

    // The channel photo may be shared only with the channel one is in.
    EXPECT_EQ(save(bob, 4, 1000, hex.str()).find("<postimageresult>"), std::string::npos);
    bob.join(1000);
    EXPECT_NE(save(bob, 4, 1000, hex.str()).find("<postimageresult>"), std::string::npos);
}

TEST_F(WebApiTest, OneAdministratorPerChannelAndAccessModesDecidePe)
{
    WebUser owner = account("Owner");
    WebUser talker = account("Talker");
    WebUser listener = account("Listener");
    WebUser outsider = account("Outsider");
    auto visitor = guest(port());
    ASSERT_TRUE(visitor);

    // Administration needs an account and a free channel.
    owner.join(1500);
    visitor->join(1500);
    EXPECT_EQ(statusOf(visitor->call("AdminChannel.php", "release=0&")), "FAIL");
    ASSERT_EQ(statusOf(owner.call("AdminChannel.php", "release=0&")), "OK");
    talker.join(1500);
    EXPECT_EQ(element(talker.call("AdminChannel.php", "release=0&"), "errorString"), "ALREADY ADMINISTRATED");
    EXPECT_EQ(statusOf(talker.call("SaveAdmin.php", "data=<administration></administration>&")), "FAIL");

    AdministrationDocument document;
    document.title = Text("Club <1> & co");
    document.accessMode = AdministrationDocument::ListedTalkersAndListeners;
    document.restricted = { talker.id };
    document.listenOnly = { listener.id };
    ASSERT_EQ(statusOf(owner.call("SaveAdmin.php", "data=" + document.toXml().str() + "&")), "OK");

    // The document comes back the way the client reads it, lists with names.
    Text adminReply(owner.call("GetAdmin.php", ""));
    AdministrationDocument read;
    People people;
    read.fromXml(adminReply, people);
    EXPECT_EQ(read.title.str(), "Club <1> & co");
    EXPECT_TRUE(read.administrated);
    EXPECT_EQ(read.accessMode, AdministrationDocument::ListedTalkersAndListeners);
    EXPECT_EQ(read.restricted, std::vector<int> { talker.id });
    EXPECT_EQ(read.listenOnly, std::vector<int> { listener.id });

    struct Case {
        const WebUser* user;
        const char* status;
        const char* pe;
    };
    const Case joins[] = {
        { &owner, "UP", "0" }, { &talker, "UP", "0" }, { &listener, "UP", "1" }, { &outsider, "FAIL", "2" },
    };
    for (const auto& c : joins) {
        std::string reply = c.user->join(1500);
        EXPECT_EQ(statusOf(reply), c.status) << c.user->id;
        EXPECT_EQ(element(reply, "pe"), c.pe) << c.user->id;
    }
    EXPECT_EQ(element(outsider.join(1500), "errorString"), "ACCESS DENIED");
    EXPECT_EQ(element(owner.join(1500), "cn"), "Club &lt;1&gt; &amp; co"); // the reader decodes entities

    // A limit turns further users away as FULL; users already in stay admitted.
    document.accessMode = AdministrationDocument::RegisteredUsers;
    document.limit = 3;
    ASSERT_EQ(statusOf(owner.call("SaveAdmin.php", "data=" + document.toXml().str() + "&")), "OK");
    EXPECT_EQ(element(visitor->join(1500), "errorString"), "ACCESS DENIED"); // guests not admitted
    std::string full = outsider.join(1500);
    EXPECT_EQ(element(full, "errorString"), "FULL");
    EXPECT_EQ(element(full, "pe"), "0");
    EXPECT_EQ(statusOf(listener.join(1500)), "UP");

    std::string status = talker.call("GetUserChannelStatus.php", "");
    EXPECT_EQ(element(status, "isAdmin"), "0");
    EXPECT_EQ(element(status, "channelAdministrated"), "1");
    // Users who do not administer the channel are refused its document.
    std::string outsiderView = talker.call("GetAdmin.php", "");
    EXPECT_EQ(outsiderView.substr(outsiderView.find("\r\n\r\n") + 4), "FAIL");

    EXPECT_EQ(statusOf(talker.call("AdminChannel.php", "release=1&")), "FAIL");
    EXPECT_EQ(statusOf(owner.call("AdminChannel.php", "release=1&")), "OK");
    EXPECT_EQ(statusOf(outsider.join(1500)), "UP"); // no administration, no restrictions
}

TEST_F(WebApiTest, GetAdminRefusalIsABodyOfJustFail)
{
    std::string reply = post(port(), "GetAdmin.php", "sessionID=unknown&");
    EXPECT_EQ(reply.substr(0, 12), "HTTP/1.0 403");
    EXPECT_EQ(reply.substr(reply.find("\r\n\r\n") + 4), "FAIL");
}

TEST_F(WebApiTest, SearchChannelFindsTheNextChannelWithPeople)
{
    WebUser ann = account("Ann");
    auto a = guest(port());
    auto b = guest(port());
    ASSERT_TRUE(a && b);
    ann.join(1000);
    a->join(1200);
    b->join(300);
    EXPECT_EQ(element(ann.call("SearchChannel.php", "direction=1&ur=1&"), "channel"), "1200");
    EXPECT_EQ(element(ann.call("SearchChannel.php", "direction=0&ur=1&"), "channel"), "300");
    EXPECT_EQ(element(a->call("SearchChannel.php", "direction=1&ur=1&"), "channel"), "300"); // round the top
}

TEST_F(WebApiTest, DetailsPasswordsAndGroups)
{
    WebUser ann = account("Ann");
    std::string reply = post(port(), "SaveUserDetails.php",
                             "data=<userData><userID>" + std::to_string(ann.id) + "</userID><sessionID>" + ann.session
                                 + "</sessionID><ur>1</ur><doNotDisturb>1</doNotDisturb><tmsmode>2</tmsmode></userData>&");
    ASSERT_EQ(statusOf(reply), "OK");
    EXPECT_EQ(element(element(reply, "sud"), "dnd"), "1");
    EXPECT_EQ(element(element(reply, "sud"), "tmsmode"), "2");
    EXPECT_EQ(element(element(reply, "sud"), "ts"), "2");

    EXPECT_EQ(statusOf(ann.call("ChangePassword.php", "newPassword=" + digest("better") + "&")), "OK");
    EXPECT_FALSE(login(port(), "Ann", digest("secret")));
    EXPECT_TRUE(login(port(), "Ann", digest("better")));
    auto visitor = guest(port());
    EXPECT_EQ(statusOf(visitor->call("ChangePassword.php", "newPassword=" + digest("x") + "&")), "FAIL");

    std::string groups = "<zumeligroups><version>1</version>\r\n<signature>1234</signature>\r\n<groups></groups></zumeligroups>";
    EXPECT_EQ(element(ann.call("XML_Send.php", "ur=1&data=" + groups + "&kind=usergroups&"), "s"), "1");
    // "ugs" carries the session's permissions, whatever the groups' signature: photos for users,
    // not for guests.
    EXPECT_EQ(element(post(port(), "login.php", "us=Ann&pw=" + digest("better") + "&an=0&"), "ugs"), "010");
    EXPECT_EQ(element(post(port(), "login.php", "us=anonymous&pw=00000000&an=1&"), "ugs"), "000");
}

TEST_F(WebApiTest, LocalizationTableIsServedWithItsDigest)
{
    std::string table = "<language><item><lookup_id>*VERSIONTIMESTAMP</lookup_id><en>2026-12-01,x</en></item></language>";
    std::string path = folder.path() + "/table.xml";
    std::ofstream(path) << table;
    ServerConfig config;
    config.web.localizationPath = path;
    restart(config);
    auto visitor = guest(port());
    ASSERT_TRUE(visitor);
    EXPECT_EQ(element(post(port(), "login.php", "us=anonymous&pw=00000000&an=1&"), "lot"), "2026-12-01");
    std::string reply = visitor->call("XML_Get.php", "ur=1&kind=localizationDatabase&");
    std::string body = reply.substr(reply.find("\r\n\r\n") + 4);
    EXPECT_EQ(body, table + checksumHex(Text(table)).str());
    EXPECT_EQ(statusOf(visitor->call("XML_Get.php", "ur=1&kind=other&")), "FAIL");
}

TEST_F(WebApiTest, BadRequestsGetACleanRefusal)
{
    struct Case {
        std::string request;
        const char* statusLine;
    };
    const Case cases[] = {
        { "\x16\x03\x01 binary garbage\r\n\r\n", "HTTP/1.0 400" },
        { formRequest("7/NoSuchCall.php", "a=b&"), "HTTP/1.0 404" },
        { formRequest("other/login.php", "a=b&"), "HTTP/1.0 404" },
        { "POST /7/login.php HTTP/1.0\r\nContent-Length: 999999999\r\n\r\n", "HTTP/1.0 413" },
        { "GET /7/login.php HTTP/1.0\r\n\r\n", "HTTP/1.0 405" },
    };
    for (const auto& c : cases) {
        std::string reply = rawExchange(port(), c.request);
        EXPECT_EQ(reply.substr(0, 12), c.statusLine) << c.request.substr(0, 40);
        EXPECT_EQ(statusOf(reply), "FAIL") << c.request.substr(0, 40);
    }
    // Every call refuses an unknown session the same way.
    for (const char* call : { "getUsersList.php", "TMS_Get.php", "TMS_Send.php", "SaveAdmin.php", "AdminChannel.php",
                              "SearchChannel.php", "ChangePassword.php", "GetUserChannelStatus.php", "Logout.php" })
        EXPECT_EQ(element(post(port(), call, "sessionID=nope&data=x&"), "errorString"), "INVALID SESSION") << call;
    // The server is still there.
    EXPECT_TRUE(guest(port()));
}

TEST_F(WebApiTest, AnOversizedBodyIsRefusedWhileTheClientStillSends)
{
    ServerConfig config;
    config.maxBodyBytes = 64 * 1024;
    restart(config);
    int fd = connectTo(port());
    std::string head = "POST /7/SaveImage.php HTTP/1.0\r\nContent-Length: 2000000\r\n\r\n";
    ::send(fd, head.data(), head.size(), MSG_NOSIGNAL);
    std::string chunk(32 * 1024, 'A');
    for (int i = 0; i < 8; ++i)
        ::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    std::string reply = readAll(fd);
    ::close(fd);
    EXPECT_EQ(reply.substr(0, 12), "HTTP/1.0 413");
}

TEST_F(WebApiTest, ASlowRequestTimesOut)
{
    ServerConfig config;
    config.webRequestTimeoutMs = 300;
    restart(config);
    int fd = connectTo(port());
    std::string partial = "POST /7/login.php HTTP/1.0\r\nContent-Length: 50\r\n\r\nus=";
    ::send(fd, partial.data(), partial.size(), MSG_NOSIGNAL);
    std::string reply = readAll(fd, 3000);
    ::close(fd);
    EXPECT_EQ(reply.substr(0, 12), "HTTP/1.0 408");
}

TEST_F(WebApiTest, APathPrefixIsAccepted)
{
    ServerConfig config;
    config.web.pathPrefix = "zumeli/";
    restart(config);
    EXPECT_EQ(statusOf(rawExchange(port(), formRequest("zumeli/7/login.php", "us=anonymous&pw=00000000&an=1&"))), "OK");
}

TEST_F(WebApiTest, ARestartKeepsAccountsChannelsMessagesAndPicturesButNotSessions)
{
    WebUser ann = account("Ann");
    WebUser bob = account("Bob");
    ann.join(1700);
    ASSERT_EQ(statusOf(ann.call("AdminChannel.php", "release=0&")), "OK");
    AdministrationDocument document;
    document.title = Text("Kept");
    ASSERT_EQ(statusOf(ann.call("SaveAdmin.php", "data=" + document.toXml().str() + "&")), "OK");
    ASSERT_EQ(statusOf(sendText(ann, { bob.id }, "after the restart")), "OK");
    ASSERT_NE(ann.call("SaveImage.php", "ur=1&imagetype=2&paramid=" + std::to_string(ann.id) + "&data=FFD8FF&")
                  .find("<postimageresult>"),
              std::string::npos);
    long version = std::stol(element(ann.join(1700), "ts"));

    restart();
    ann.port = port(); // the new server listens elsewhere; the old session must be unknown there
    EXPECT_EQ(element(ann.call("KeepAlive.php", "ur=1&"), "errorString"), "INVALID SESSION");
    auto ann2 = login(port(), "Ann", digest("secret"));
    auto bob2 = login(port(), "Bob", digest("secret"));
    ASSERT_TRUE(ann2 && bob2);
    EXPECT_EQ(ann2->id, ann.id);
    std::string join = ann2->join(1700, version);
    EXPECT_EQ(statusOf(join), "OK"); // the channel's data did not change
    EXPECT_EQ(element(ann2->join(1700, 0), "cn"), "Kept");
    EXPECT_EQ(element(ann2->join(1700, 0), "ca"), std::to_string(ann.id));
    EXPECT_NE(bob2->call("TMS_Get.php", "ur=1&").find("after the restart"), std::string::npos);
    std::string photo = bob2->call("LoadImage.php", "ur=1&imagetype=2&paramid=" + std::to_string(ann.id) + "&");
    EXPECT_NE(photo.find("Content-Type: image/jpeg\r\n\r\n\xFF\xD8\xFF"), std::string::npos);
}

} // namespace
