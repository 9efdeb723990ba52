// Nothing lost, nothing inherited: ids are never given twice, a guest takes what is its own
// with it, writes that cannot get the database lock change nothing, the data is owner-only,
// accounts keep their mail unique and their sessions to the current password, and every reply
// is well-formed UTF-8.

#include "ServerFixture.h"

#include "data/Checksum.h"
#include "data/UserMessagesList.h"
#include "server/Database.h"
#include "server/Store.h"

#include <sys/stat.h>

using namespace Zumeli;
using namespace ServerTest;

namespace {

using IntegrityTest = ServiceTest;

// An element of the administration document in a GetAdmin reply.
std::string adminElement(const std::string& reply, const char* name)
{
    return element(element(element(reply, "document"), "administration"), name);
}

TEST_F(IntegrityTest, ANewAccountNeverInheritsAGuestsIdOrWhatNamedIt)
{
    start();
    WebUser ann = account("Ann");
    ann.join(1000);
    ASSERT_EQ(statusOf(ann.call("AdminChannel.php", "release=0&")), "OK");
    auto visitor = guest(port());
    ASSERT_TRUE(visitor);
    visitor->join(1000);
    std::string id = std::to_string(visitor->id);
    ASSERT_EQ(statusOf(ann.call("SaveAdmin.php",
                                "data=<administration><ChannelAccessMode>1</ChannelAccessMode><coadmin><id>" +
                                    id + "</id></coadmin><listenOnly><id>" + id +
                                    "</id></listenOnly></administration>&")),
              "OK");
    ASSERT_EQ(element(visitor->call("XML_Send.php",
                                    "ur=1&kind=channelSubscription&data=<sub><ch>1000</ch><st>1</st></sub>&"),
                      "s"),
              "1");
    ASSERT_EQ(statusOf(sendText(*visitor, {ann.id}, "from a guest")), "OK");

    start(); // a restart ends the guest
    WebUser carl = account("Carl");
    EXPECT_GT(carl.id, visitor->id);
    carl.join(1000);
    EXPECT_EQ(element(carl.call("GetUserChannelStatus.php", ""), "isCoadmin"), "0");
    auto annAgain = login(port(), "Ann", digest("secret"));
    ASSERT_TRUE(annAgain);
    annAgain->join(1000);
    std::string admin = annAgain->call("GetAdmin.php", "");
    EXPECT_EQ(adminElement(admin, "coadmin"), "\r\n");
    EXPECT_EQ(adminElement(admin, "listenOnly"), "\r\n");
    // What the guest sent stays, under the guest's id.
    std::string mail = annAgain->call("TMS_Get.php", "ur=1&");
    EXPECT_EQ(element(element(element(mail, "usermessages"), "message"), "sender"), id);

    // A guest that logs out goes at once, with its subscription.
    auto second = guest(port());
    ASSERT_TRUE(second);
    element(second->call("XML_Send.php",
                         "ur=1&kind=channelSubscription&data=<sub><ch>1200</ch><st>1</st></sub>&"),
            "s");
    second->call("Logout.php", "");
    Store store;
    ASSERT_TRUE(store.open(folder.database()));
    EXPECT_FALSE(store.userById(second->id));
    EXPECT_TRUE(store.subscribers(1200).empty());
}

// Another process holds the write lock past the busy time-out, then lets go: a write whose
// transaction could not begin must not go on statement by statement.
TEST_F(IntegrityTest, AWriteWhoseTransactionCannotBeginChangesNothing)
{
    Store store;
    ASSERT_TRUE(store.open(folder.database()));
    int user = store.createUser("Ann", "3D0E8682", "ann@example.org", "en");
    ASSERT_GT(user, 0);
    ASSERT_TRUE(store.addMessage(user, {1, 0, 1, "kept"}));
    bool more = false;
    std::vector<int64_t> waiting;
    for (const auto& message : store.waitingMessages(user, 10, 100000, more))
        waiting.push_back(message.id);
    AdministrationDocument document;
    document.title = Text("changed");
    document.excluded = {5, 6, 7};
    ServiceMessageData notice;
    notice.mainText = Text("notice");
    notice.buttons[0].text = Text("OK");
    struct Case
    {
        const char* name;
        std::function<bool()> write;
    };
    const Case writes[] = {
        {"saveAdminDocument", [&] { return store.saveAdminDocument(1000, document); }},
        {"saveImage",
         [&] {
             return store.saveImage(1, 1000, {1, 2, 3}) != 0;
         }},
        {"queueServiceMessage", [&] { return store.queueServiceMessage(user, notice); }},
        {"addMessage",
         [&] {
             return store.addMessage(user, {1, 0, 2, "new"});
         }},
        {"deleteMessages", [&] { return store.deleteMessages(waiting); }},
        {"createUser", [&] { return store.createUser("Bob", "3D0E8682", "bob@example.org", "en") != 0; }},
    };
    store.database().setBusyTimeout(100);
    for (const auto& c : writes) {
        Database other;
        ASSERT_TRUE(other.open(folder.database()));
        ASSERT_TRUE(other.exec("BEGIN IMMEDIATE;"));
        std::thread release([&] {
            usleep(160 * 1000);
            other.exec("COMMIT;");
        });
        EXPECT_FALSE(c.write()) << c.name;
        release.join();
    }
    store.database().setBusyTimeout(2000);
    EXPECT_EQ(store.adminDocument(1000), AdministrationDocument{});
    EXPECT_FALSE(store.loadImage(1, 1000));
    EXPECT_EQ(store.waitingMessages(user, 10, 100000, more).size(), 1u);
    EXPECT_TRUE(store.waitingServiceMessages(user, 10, more).empty());
    EXPECT_FALSE(store.userByName("Bob"));
}

TEST_F(IntegrityTest, TheDataFolderAndDatabaseAreOwnerOnly)
{
    std::string data = folder.path() + "/fresh";
    ASSERT_TRUE(makePrivateFolder(data));
    Store store;
    ASSERT_TRUE(store.open(data + "/zumeli.sqlite"));
    struct stat info
    {
    };
    ASSERT_EQ(::stat(data.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    for (const char* file : {"/zumeli.sqlite", "/zumeli.sqlite-wal"}) {
        ASSERT_EQ(::stat((data + file).c_str(), &info), 0) << file;
        EXPECT_EQ(info.st_mode & 0077, 0u) << file;
    }
}

TEST_F(IntegrityTest, AccountsKeepTheirMailUniqueAndTheirSessionsToTheCurrentPassword)
{
    ServerConfig config;
    config.web.failedLoginsBeforeWait = 3;
    start(config);
    WebUser ann = account("Ann");
    WebUser bob = account("Bob");
    auto details = [&](const WebUser& user, const std::string& mail) {
        return post(port(), "SaveUserDetails.php",
                    "data=<userData><userID>" + std::to_string(user.id) + "</userID><sessionID>" +
                        user.session + "</sessionID><mail>" + mail + "</mail></userData>&");
    };
    EXPECT_EQ(element(details(bob, "ANN%40example.org"), "errorString"), "MAIL IN USE");
    EXPECT_EQ(statusOf(details(bob, "BOB%40example.org")), "OK"); // its own, in other letters
    EXPECT_EQ(statusOf(details(bob, "robert%40example.org")), "OK");

    // A new password ends the other sessions, not the one that changed it.
    auto elsewhere = login(port(), "Ann", digest("secret"));
    ASSERT_TRUE(elsewhere);
    ASSERT_EQ(statusOf(ann.call("ChangePassword.php", "newPassword=" + digest("better") + "&")), "OK");
    EXPECT_EQ(element(elsewhere->call("KeepAlive.php", "ur=1&"), "errorString"), "INVALID SESSION");
    EXPECT_EQ(statusOf(ann.call("KeepAlive.php", "ur=1&")), "OK");

    // Wrong passwords: after three, even the right one waits.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(
            element(post(port(), "login.php", "us=Ann&pw=" + digest("guess") + "&an=0&"), "errorString"),
            "WRONG USER OR PASSWORD");
    EXPECT_EQ(element(post(port(), "login.php", "us=Ann&pw=" + digest("better") + "&an=0&"), "errorString"),
              "TOO MANY ATTEMPTS");
}

bool wellFormedUtf8WithoutControls(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        uint8_t c = uint8_t(text[i]);
        size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        if (length == 1 && c < 0x20 && c != '\r' && c != '\n' && c != '\t')
            return false;
        for (size_t k = 1; k < length; ++k)
            if ((uint8_t(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

TEST_F(IntegrityTest, RepliesAreWellFormedUtf8AndCutsNeverSplitACharacter)
{
    start();
    WebUser ann = account("Ann");
    WebUser bob = account("Bob");
    // NUL, an escape sequence that would retitle a terminal, a lone byte 0xFF.
    std::string nasty = std::string("a") + '\0' + "b\x1b]0;owned\x07" + "c\xFF" + "d";
    ASSERT_EQ(statusOf(sendText(ann, {bob.id}, nasty)), "OK");
    std::string text =
        element(element(element(bob.call("TMS_Get.php", "ur=1&"), "usermessages"), "message"), "text");
    EXPECT_TRUE(wellFormedUtf8WithoutControls(text));
    EXPECT_EQ(text, "ab]0;ownedc\xEF\xBF\xBD"
                    "d");

    // A title of 1999 two-byte letters and a three-byte one: 4001 bytes, cut before the last.
    ann.join(1000);
    ASSERT_EQ(statusOf(ann.call("AdminChannel.php", "release=0&")), "OK");
    std::string title;
    for (int i = 0; i < 1999; ++i)
        title += "%C3%A9";
    title += "%E2%82%AC";
    ASSERT_EQ(statusOf(ann.call("SaveAdmin.php", "data=<administration><Canal Titulo>" + title +
                                                     "</Canal Titulo></administration>&")),
              "OK");
    std::string admin = ann.call("GetAdmin.php", "");
    // The title travels as "Canal Titulo", and both spellings are read.
    std::string stored = adminElement(admin, "Canal");
    EXPECT_NE(admin.find("<Canal Titulo>"), std::string::npos);
    EXPECT_EQ(stored.size(), 3998u);
    EXPECT_TRUE(wellFormedUtf8WithoutControls(stored));
    ASSERT_EQ(
        statusOf(ann.call("SaveAdmin.php",
                          "data=<administration><CanalTitulo>Old+form</CanalTitulo></administration>&")),
        "OK");
    EXPECT_EQ(adminElement(ann.call("GetAdmin.php", ""), "Canal"), "Old form");
}

} // namespace
