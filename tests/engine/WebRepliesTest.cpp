// The reply readers on their own: the cases where one element decides the outcome.

#include "data/ChannelElement.h"
#include "data/Checksum.h"
#include "data/Groups.h"
#include "data/People.h"
#include "data/Preferences.h"
#include "data/TextLocalizer.h"
#include "engine/DetailsReply.h"
#include "engine/ImageReply.h"
#include "engine/JoinReply.h"
#include "engine/LoginRecord.h"
#include "engine/LoginReply.h"
#include "engine/OwnDetails.h"
#include "engine/PasswordDigest.h"
#include "engine/ServiceDocuments.h"
#include "engine/WebService.h"
#include "tests/data/ScratchFolder.h"
#include "tests/engine/ScriptedHttpServer.h"
#include "tests/platform/ScopedEnv.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace Zumeli;

namespace {

std::string fieldValue(const WebRequest& request, const char* name)
{
    for (const FormField& field : request.fields.fields())
        if (field.name.equals(name))
            return field.value.str();
    return "<missing>";
}

std::string names(const People& people)
{
    std::string out;
    for (const auto& entry : people)
        out += std::to_string(entry->id) + "=" + entry->name.str() + "/" + std::to_string(entry->ts) + " ";
    return out;
}

} // namespace

TEST(PasswordDigest, IsTheChecksumInUpperCaseHex)
{
    EXPECT_EQ(passwordDigest("abc").str(), "3D0E8682");
    EXPECT_EQ(passwordDigest("").str(), "00000000");
}

TEST(LoginRequest, GuestSendsAnonymousWithItsDigest)
{
    LoginRecord record;
    record.setGuest();
    WebService service("127.0.0.1", 80);
    WebRequest request = service.loginRequest(record);
    EXPECT_EQ(fieldValue(request, "us"), "anonymous");
    EXPECT_EQ(fieldValue(request, "an"), "1");
    EXPECT_EQ(fieldValue(request, "pw"), checksumHex("anonymous").str());
    EXPECT_NE(fieldValue(request, "pw"), "anonymous");

    record.setAccount("ann", "abc");
    request = service.loginRequest(record);
    EXPECT_EQ(fieldValue(request, "an"), "0");
    EXPECT_EQ(fieldValue(request, "pw"), "3D0E8682");
}

TEST(LoginReply, StatusDecidesTheOutcome)
{
    const struct {
        const char* reply;
        LoginResult expected;
    } cases[] = {
        { "<status>OK</status><sessionID>S2</sessionID>", LoginSucceeded },
        { "<status> ok </status><sessionID>S2</sessionID>", LoginSucceeded },
        { "<status>FAIL</status><tmu>1</tmu>", LoginTooManyUsers },
        { "<status>fail</status>", LoginRefused },
        { "<status>FAIL</status><tmu>2</tmu>", LoginRefused },
        { "<status>OKAY</status>", LoginBadReply },
        { "<status>OK", LoginBadReply },
        { "HTTP/1.0 500 Internal Server Error\r\n\r\n", LoginBadReply },
        { "", LoginBadReply },
    };
    for (const auto& c : cases) {
        LoginRecord record;
        record.sessionId = "old";
        WebService endpoint("127.0.0.1", 80);
        endpoint.sessionId = "old";
        EXPECT_EQ(readLoginReply(c.reply, record, endpoint), c.expected) << c.reply;
        const char* session = c.expected == LoginSucceeded ? "S2" : "old";
        EXPECT_EQ(record.sessionId.str(), session) << c.reply;
        EXPECT_EQ(endpoint.sessionId.str(), session) << "the login endpoint keeps the session: " << c.reply;
    }
}

TEST(LoginReply, MovesTheSessionEndpointOnlyWhereTheReplySaysSo)
{
    WebService login("service.example", 80, "dev/");
    WebService session = login;
    LoginRecord record;
    ASSERT_EQ(readLoginReply("<status>OK</status><sessionID>S3</sessionID><ip></ip><port>81</port>", record, login),
              LoginSucceeded);
    session.adoptLogin(record);
    EXPECT_EQ(session.host.str(), "service.example");
    EXPECT_EQ(session.port, 80) << "no address: the port stays too";
    EXPECT_EQ(session.pathPrefix.str(), "dev/");
    EXPECT_EQ(session.sessionId.str(), "S3");

    ASSERT_EQ(readLoginReply("<status>OK</status><sessionID>S4</sessionID><ip>10.0.0.2</ip><port>8080</port>"
                             "<pfx>v2/</pfx>",
                             record, login),
              LoginSucceeded);
    session.adoptLogin(record);
    EXPECT_EQ(session.host.str(), "10.0.0.2");
    EXPECT_EQ(session.port, 8080);
    EXPECT_EQ(session.pathPrefix.str(), "v2/");
    EXPECT_EQ(session.sessionId.str(), "S4");
    EXPECT_EQ(login.host.str(), "service.example") << "the login endpoint stays where it is";
}

namespace {

ChannelElement knownChannel()
{
    ChannelElement channel;
    channel.number = 1234;
    channel.numberDisplay = "old";
    channel.name = "Old name";
    channel.address = "old.host";
    channel.port = 9995;
    channel.description = "short";
    channel.descriptionDesktop = "desk";
    channel.details = "details";
    channel.timestamp = 5;
    channel.presentUsers = { 1 };
    return channel;
}

const char* const ChangedChannel = "<ip>10.0.0.9</ip><port>9996</port><codec>11</codec><pts>4</pts><dts>5</dts>"
                                   "<its>6</its><pe>0</pe><cn>A &amp; B</cn><cd>Short</cd><dd>Long</dd>"
                                   "<ww>http://x</ww><dt>Desk &lt;1&gt;</dt><cy>2</cy><lang>3</lang><hn>1</hn>"
                                   "<ca>42</ca><ts>99</ts><ul>12,1,Ann</ul><ad>1</ad><sub>1</sub>";

} // namespace

TEST(JoinReply, OkKeepsTheChannelDataAndUpReplacesIt)
{
    People people;
    ChannelElement unchanged = knownChannel();
    ASSERT_EQ(readJoinReply(std::string("<status>OK</status>") + ChangedChannel, unchanged, people), JoinSucceeded);
    ChannelElement expected = knownChannel();
    expected.permissions = 0;
    expected.presentUsers = { 12 };
    expected.ad = expected.sub = true;
    EXPECT_EQ(unchanged, expected) << "only the permission, the people and the flags";

    ChannelElement changed = knownChannel();
    testing::internal::CaptureStdout();
    ASSERT_EQ(readJoinReply(std::string("<status>UP</status>") + ChangedChannel, changed, people), JoinSucceeded);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "aInfo.mTimeStamp: 99\n");
    EXPECT_EQ(changed.numberDisplay.str(), "12.34");
    EXPECT_EQ(changed.name.str(), "A & B");
    EXPECT_EQ(changed.address.str(), "10.0.0.9");
    EXPECT_EQ(changed.port, 9996);
    EXPECT_EQ(changed.codec, 11);
    EXPECT_EQ(changed.description.str(), "Short");
    EXPECT_EQ(changed.details.str(), "Long");
    EXPECT_EQ(changed.descriptionDesktop.str(), "Desk <1>");
    EXPECT_EQ(changed.extraText.str(), "http://x");
    EXPECT_EQ(changed.images[ChannelElement::PlateIPhone].timestamp, 4);
    EXPECT_EQ(changed.images[ChannelElement::PlateDesktop].timestamp, 5);
    EXPECT_EQ(changed.images[ChannelElement::Icon].timestamp, 6);
    EXPECT_EQ(changed.cy, 2);
    EXPECT_EQ(changed.lang, 3);
    EXPECT_TRUE(changed.hideNumberOnPlates);
    EXPECT_EQ(changed.adminId, 42);
    EXPECT_EQ(changed.timestamp, 99);
    EXPECT_EQ(changed.presentUsers, std::vector<int> { 12 });
}

TEST(JoinReply, RefusalsAreTold)
{
    const struct {
        const char* reply;
        JoinResult expected;
        int permissions;
    } cases[] = {
        { "<status>FAIL</status><errorString>INVALID SESSION</errorString><pe>1</pe>", JoinInvalidSession, 2 },
        { "<status>FAIL</status><errorString>invalid session</errorString>", JoinInvalidSession, 2 },
        { "<status>FAIL</status><errorString>FULL</errorString><pe>1</pe>", JoinChannelFull, 1 },
        { "<status>FAIL</status><errorString>FULL HOUSE</errorString><pe>1</pe>", JoinRefused, 2 },
        { "<status>FAIL</status>", JoinRefused, 2 },
        { "<pe>0</pe>", JoinBadReply, 2 },
    };
    for (const auto& c : cases) {
        People people;
        ChannelElement channel = knownChannel();
        EXPECT_EQ(readJoinReply(c.reply, channel, people), c.expected) << c.reply;
        EXPECT_EQ(channel.permissions, c.permissions) << c.reply;
        EXPECT_EQ(channel.name.str(), "Old name");
        EXPECT_EQ(channel.presentUsers, std::vector<int> { 1 }) << "a refusal keeps the people";
    }
}

TEST(UserList, ReplacesThePresentUsersAndNamesOnlyWhenGiven)
{
    People people;
    people.setName(13, "Bob");
    ChannelElement channel;
    channel.presentUsers = { 5, 6 };
    Text reply("<ul>12,1,Ann 13,0, 14,2,A&amp;B</ul>");
    XmlChunk ul = XmlChunk(reply).child("ul");
    EXPECT_TRUE(readUserList(ul, channel, people));
    EXPECT_EQ(channel.presentUsers, (std::vector<int> { 12, 13, 14 }));
    EXPECT_EQ(names(people), "14=A&B/2 12=Ann/1 13=Bob/0 ");
    EXPECT_FALSE(readUserList(ul, channel, people)) << "the same list again changes nothing";
    EXPECT_EQ(channel.presentUsers, (std::vector<int> { 12, 13, 14 }));

    Text empty("<ul></ul>");
    EXPECT_FALSE(readUserList(XmlChunk(empty).child("ul"), channel, people));
    EXPECT_TRUE(channel.presentUsers.empty()) << "an empty channel";
}

TEST(UserDetails, FillsEveryListedPersonAndShowsGuestsAsGuest)
{
    People people;
    people.setVersion(12, 3);
    people.find(12)->its = 8;
    const char* reply = "<ud><us><id>12</id><na>GUEST</na><ts>3</ts></us>"
                        "<us><id>13</id><na>Tom &lt;3&gt;</na><ts>4</ts><its>5</its><stf>1</stf><dnd>1</dnd></us>"
                        "<us><na>no id</na></us><us><id>14</id><na>guest</na></us></ud>";
    EXPECT_EQ(readUserDetails(reply, people), 3);
    const PeopleEntry* guest = people.find(12);
    ASSERT_TRUE(guest);
    EXPECT_EQ(guest->name.str(), "Guest");
    EXPECT_EQ(guest->its, 8) << "a missing element keeps what was known";
    EXPECT_TRUE(guest->loaded);
    const PeopleEntry* tom = people.find(13);
    ASSERT_TRUE(tom);
    EXPECT_EQ(tom->name.str(), "Tom <3>");
    EXPECT_EQ(tom->ts, 4);
    EXPECT_EQ(tom->its, 5);
    EXPECT_TRUE(tom->stf && tom->dnd && tom->loaded);
    EXPECT_EQ(people.find(14)->name.str(), "Guest");
    EXPECT_EQ(people.count(), 3) << "an entry without an id adds nobody";
}

TEST(OwnDetails, ComeFromTheSudPart)
{
    Text reply("<status>OK</status><sud><na>Ann</na><ts>2</ts><its>3</its><stf>0</stf><dnd>1</dnd>"
               "<authorized>1</authorized><mail>a&amp;b@c</mail><tmsmode>1</tmsmode><gpsmode>2</gpsmode>"
               "<imgmode>3</imgmode><apnmode>4</apnmode></sud>");
    People people;
    OwnDetails own;
    ASSERT_TRUE(readOwnDetails(XmlChunk(reply).child("sud"), 42, people, own));
    EXPECT_EQ(own, (OwnDetails { true, "a&b@c", 1, 2, 3, 4 }));
    const PeopleEntry* me = people.find(42);
    ASSERT_TRUE(me);
    EXPECT_EQ(me->name.str(), "Ann");
    EXPECT_TRUE(me->dnd && me->loaded);
    EXPECT_EQ(me->its, 3);

    Text twice("<sud><authorized>2</authorized></sud>");
    ASSERT_TRUE(readOwnDetails(XmlChunk(twice).child("sud"), 42, people, own));
    EXPECT_FALSE(own.authorized) << "authorized only when 1";
    EXPECT_EQ(own.mail.str(), "a&b@c") << "missing elements keep the record";

    Text none("<status>OK</status>");
    EXPECT_FALSE(readOwnDetails(XmlChunk(none).child("sud"), 42, people, own));
}

TEST(ImageReply, WritesThePictureOrRemovesTheTargetAndFailsOnErrorPages)
{
    using R = ImageReplyResult;
    ScratchFolder folder;
    const std::string target = folder.file("user_42.jpg");
    const std::string jpeg("\xFF\xD8\x00\x10JFIF\x00\xFF\xD9", 11);
    const struct {
        std::string reply;
        R result;
        const char* file; // expected content; null: removed
    } cases[] = {
        { "HTTP/1.0 200 OK\r\nContent-Type: image/jpeg\r\n\r\n" + jpeg, R::Written, nullptr },
        { "HTTP/1.0 200 OK\r\ncontent-type: image/jpeg\r\nContent-Length: 11\r\n\r\n" + jpeg, R::Written, nullptr },
        { "", R::NoPicture, nullptr },
        { "abc", R::NoPicture, nullptr },
        { "HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n<html><head><title>Not Found</title>", R::Failed, "old" },
        { "<!DOCTYPE html>\n<HTML><HEAD><TITLE>Error</TITLE></HEAD></HTML>", R::Failed, "old" },
        { "<loadimage>FAIL</loadimage>", R::Failed, "old" },
        { "HTTP/1.0 200 OK\r\n\r\n<loadimage/>", R::Failed, "old" },
        { "<html><body>no title</body></html>", R::NoPicture, nullptr },
        { "<status>FAIL</status>", R::NoPicture, nullptr },
        { "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nno picture here", R::NoPicture, nullptr },
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(writeWholeFile(target, "old"));
        EXPECT_EQ(readImageReply(Text(c.reply), Text(target)), c.result) << c.reply;
        if (c.result == R::Written)
            EXPECT_EQ(readWholeFile(target), jpeg) << "the bytes after the headers, zero bytes included";
        else if (c.file)
            EXPECT_EQ(readWholeFile(target), c.file) << c.reply;
        else
            EXPECT_FALSE(std::filesystem::exists(target)) << c.reply;
    }

    EXPECT_EQ(readImageReply(Text("HTTP/1.0 200 OK\r\nContent-Type: image/jpeg\r\n\r\n" + jpeg),
                             Text(folder.file("missing/user_1.jpg"))),
              R::Failed)
        << "a picture that cannot be written is a failure";

    const std::string busy = folder.file("busy");
    std::filesystem::create_directories(busy + "/inside");
    testing::internal::CaptureStdout();
    EXPECT_EQ(readImageReply(Text("ab"), Text(busy)), R::NoPicture);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Remove " + busy + " error ", 0), 0u);
}

TEST(ServiceDocuments, GroupsLookLikeTheCacheFileWhenNamesNeedNoEscape)
{
    Groups groups;
    groups.ensureDefaultGroups();
    groups.createGroup("Hikers");
    groups.addMember(Groups::Friends, 12);
    for (const auto& group : groups)
        group->name.setFormatted("Group%d", group->id); // the default names carry "]" markers
    EXPECT_EQ(ServiceDocuments::userGroups(groups), groups.toXml());
    groups.createGroup("R&D");
    EXPECT_NE(ServiceDocuments::userGroups(groups).str().find("<name>R%26amp;D</name>"), std::string::npos);
}

TEST(XmlServiceChannel, TracesTheRequestAndTheReply)
{
    const std::string reply = "HTTP/1.0 200 OK\r\n\r\n<s>1</s>";
    ScriptedHttpServer server({ { reply } });
    WebService service("127.0.0.1", server.port());
    testing::internal::CaptureStdout();
    EXPECT_TRUE(service.checkUserName("ann"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ann\n+++++++++++++++++++++++\n" + reply + "-----------------------\n");
}

namespace {

class LocalisationCheck : public ::testing::Test {
protected:
    ScratchFolder home;
    ScopedEnv data { "XDG_DATA_HOME", home.path().c_str() };
    ScopedEnv config { "XDG_CONFIG_HOME", home.path().c_str() };
    std::string tablePath = home.path() + "Zumeli/" + TextLocalizer::TableFileName;
    const std::string oldTable = "<language><item><lookup_id>*VERSIONTIMESTAMP</lookup_id><en>41,2026</en></item>"
                                 "</language>";
    const std::string newTable = "<language><item><lookup_id>*VERSIONTIMESTAMP</lookup_id><en>42,2027</en></item>"
                                 "</language>";
    Preferences preferences;

    void SetUp() override
    {
        preferences.load();
        std::filesystem::create_directories(home.path() + "Zumeli");
        ASSERT_TRUE(writeWholeFile(tablePath, oldTable));
    }

    // The check against a peer answering the reply given; returns the request it saw.
    bool check(const std::string& reply, std::string& request)
    {
        TextLocalizer localizer;
        localizer.loadLocalisation("", preferences);
        ScriptedHttpServer server({ { "HTTP/1.0 200 OK\r\n\r\n" + reply } });
        WebService service("127.0.0.1", server.port());
        service.sessionId = "S1";
        bool replaced = service.checkLocalization(localizer, "42,2027");
        request = server.request();
        return replaced;
    }
};

} // namespace

TEST_F(LocalisationCheck, AWrongDigestKeepsTheOldTable)
{
    std::string digest = checksumHex(Text(newTable)).str();
    digest[7] = digest[7] == '0' ? '1' : '0';
    std::string request;
    EXPECT_FALSE(check(newTable + digest, request));
    EXPECT_NE(request.find("&kind=localizationDatabase&"), std::string::npos) << request;
    EXPECT_EQ(readWholeFile(tablePath), oldTable);
}

TEST_F(LocalisationCheck, AVerifiedTableReplacesTheFile)
{
    std::string request;
    EXPECT_TRUE(check(newTable + checksumHex(Text(newTable)).str(), request));
    EXPECT_EQ(readWholeFile(tablePath), newTable);
}
