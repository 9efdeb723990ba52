// One user must not stall or lock out everyone: every request is bounded before it is parsed,
// floods of logins and connections are contained per source address, and a full table still
// lets a quick client in. Every attack here stops by itself, on loopback.

#include "ServerFixture.h"

#include "data/Checksum.h"

using namespace Zumeli;
using namespace ServerTest;

namespace {

class AvailabilityTest : public ServiceTest
{
protected:
    // An administrator in channel 1000.
    WebUser administrator()
    {
        WebUser admin = account("Ann");
        admin.join(1000);
        EXPECT_EQ(statusOf(admin.call("AdminChannel.php", "release=0&")), "OK");
        return admin;
    }
};

std::string ids(size_t count, int first = 1)
{
    std::string list;
    for (size_t i = 0; i < count; ++i)
        list += "<id>" + std::to_string(first + int(i)) + "</id>";
    return list;
}

TEST_F(AvailabilityTest, EveryCallRefusesABodyLargerThanItsOwnBoundBeforeReadingIt)
{
    start();
    WebUser admin = administrator();
    struct Case
    {
        const char* call;
        std::string fields;
    };
    const Case oversized[] = {
        {"SaveAdmin.php",
         "data=<administration><excluded>" + ids(80000, 100000) + "</excluded></administration>&"},
        {"TMS_Send.php", "ur=1&data=<message><type>0</type><recipient>" + ids(320000, 100000) +
                             "</recipient><text>hi</text></message>&"},
        {"LoadUsersDetails.php", "ul=" + std::string(20000, '1') + "&"},
        {"KeepAlive.php", "ur=" + std::string(4000, 'x') + "&"},
    };
    for (const auto& c : oversized) {
        std::string reply = admin.call(c.call, c.fields);
        EXPECT_EQ(reply.substr(0, 12), "HTTP/1.0 413") << c.call;
        EXPECT_EQ(element(reply, "errorString"), "REQUEST TOO LARGE") << c.call;
    }
    // Within the bound, the number of ids is still limited, and refused as a whole.
    std::string tooManyIds =
        admin.call("SaveAdmin.php",
                   "data=<administration><excluded>" + ids(1001, 100000) + "</excluded></administration>&");
    EXPECT_EQ(element(tooManyIds, "errorString"), "TOO MANY IDS");
    std::string tooManyRecipients =
        admin.call("TMS_Send.php", "ur=1&data=<message><type>0</type><recipient>" + ids(201, 100000) +
                                       "</recipient><text>hi</text></message>&");
    EXPECT_EQ(element(tooManyRecipients, "errorString"), "TOO MANY RECIPIENTS");
    // A full list of the largest size is taken.
    std::string full = admin.call("SaveAdmin.php",
                                  "data=<administration><ChannelAccessMode>1</ChannelAccessMode><excluded>" +
                                      ids(1000, 100000) + "</excluded></administration>&");
    EXPECT_EQ(statusOf(full), "OK");
}

TEST_F(AvailabilityTest, GuestsHaveTheirShareAndLoginsAreLimitedPerAddress)
{
    ServerConfig config;
    config.web.maxSessions = 8;
    config.web.guestShare = 0.5;
    config.web.loginsPerAddressPerMinute = 12;
    start(config);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(guest(port())) << i;
    std::string fifth = post(port(), "login.php", "us=anonymous&pw=00000000&an=1&");
    EXPECT_EQ(element(fifth, "tmu"), "1");
    // The guests' share is used up, the registered users' is not.
    WebUser ann = account("Ann");
    EXPECT_FALSE(ann.session.empty());
    // The address has spent 6 of its 12 logins (refused ones count too).
    int admitted = 0;
    for (int i = 0; i < 6; ++i)
        admitted += login(port(), "Ann", digest("secret")).has_value();
    EXPECT_EQ(admitted, 3); // the session limit of 8 stops the rest first...
    std::string waiting = post(port(), "login.php", "us=Ann&pw=" + digest("secret") + "&an=0&");
    EXPECT_EQ(element(waiting, "errorString"), "TOO MANY ATTEMPTS"); // ...then the address's budget
}

TEST_F(AvailabilityTest, IdleGuestsMakeRoomLongBeforeTheirSessionsWouldExpire)
{
    ServerConfig config;
    config.web.maxSessions = 4;
    config.web.guestShare = 0.5;
    config.web.idleGuestMs = 200;
    start(config);
    ASSERT_TRUE(guest(port()));
    ASSERT_TRUE(guest(port()));
    EXPECT_EQ(element(post(port(), "login.php", "us=anonymous&pw=00000000&an=1&"), "tmu"), "1");
    // The sweep runs once a second; the idle guests go and new ones get in.
    bool admitted = false;
    for (int i = 0; i < 40 && !admitted; ++i, usleep(100 * 1000))
        admitted = guest(port()).has_value();
    EXPECT_TRUE(admitted);
}

TEST_F(AvailabilityTest, SlowConnectionsGiveWayToAQuickRequestAndRefusalsArriveWhole)
{
    ServerConfig config;
    config.maxWebConnections = 6;
    config.maxConnectionsPerAddress = 100;
    config.slowRequestMs = 200;
    config.webBodyIdleMs = 5000;
    start(config);
    std::vector<int> slow;
    for (int i = 0; i < 6; ++i) {
        slow.push_back(connectTo(port()));
        ::send(slow.back(), "POST /7/", 8, MSG_NOSIGNAL);
    }
    usleep(400 * 1000);
    // The table is full of requests that do not finish: the oldest gives way.
    EXPECT_EQ(element(post(port(), "KeepAlive.php", "sessionID=x&"), "errorString"), "INVALID SESSION");
    // Per address: a seventh connection from the same address is refused, and the refusal is
    // read whole although the request was never used.
    config.maxWebConnections = 100;
    config.maxConnectionsPerAddress = 3;
    start(config);
    std::vector<int> held;
    for (int i = 0; i < 3; ++i)
        held.push_back(connectTo(port()));
    usleep(100 * 1000);
    std::string refused =
        post(port(), "login.php", "us=anonymous&pw=00000000&an=1&" + std::string(3000, 'x'));
    EXPECT_EQ(refused.substr(0, 12), "HTTP/1.0 503");
    EXPECT_EQ(element(refused, "errorString"), "SERVER BUSY");
    for (int fd : slow)
        ::close(fd);
    for (int fd : held)
        ::close(fd);
}

TEST_F(AvailabilityTest, SilentVoiceConnectionsNeitherLockOutNorOutstayTwoSeconds)
{
    ServerConfig config;
    config.maxVoiceConnections = 8;
    config.maxConnectionsPerAddress = 1000;
    start(config);
    std::vector<std::unique_ptr<VoiceClient>> silent;
    for (int i = 0; i < 8; ++i)
        silent.push_back(std::make_unique<VoiceClient>(server->voicePort()));
    usleep(100 * 1000);
    // A full table of connections that never say Hello: a real client still gets in.
    WebUser ann = account("Ann");
    ann.join(1000);
    EXPECT_TRUE(joinVoice(server->voicePort(), ann));
    // And those that never say it are gone after two seconds.
    auto late = std::make_unique<VoiceClient>(server->voicePort());
    int64_t opened = nowMs();
    EXPECT_TRUE(late->closedByServer(4000));
    EXPECT_LT(nowMs() - opened, 3500);

    config.maxConnectionsPerAddress = 2;
    start(config);
    VoiceClient first(server->voicePort()), second(server->voicePort()), third(server->voicePort());
    EXPECT_TRUE(third.closedByServer(1000));
}

TEST_F(AvailabilityTest, TheBodyBudgetCountsBytesReceivedAndAStalledBodyTimesOut)
{
    ServerConfig config;
    config.bodyBudgetBytes = 100 * 1024;
    config.webBodyIdleMs = 300;
    start(config);
    std::string head = "POST /7/SaveImage.php HTTP/1.0\r\nContent-Length: 200000\r\n\r\nsessionID=";
    // Declaring a large body takes nothing from the budget...
    std::vector<int> declared;
    for (int i = 0; i < 5; ++i) {
        declared.push_back(connectTo(port()));
        ::send(declared.back(), head.data(), head.size(), MSG_NOSIGNAL);
    }
    usleep(100 * 1000);
    EXPECT_EQ(element(post(port(), "KeepAlive.php", "sessionID=x&"), "errorString"), "INVALID SESSION");
    // ...sending it does, and the request that passes the budget is refused.
    int big = connectTo(port());
    std::string part = head + std::string(60000, 'x');
    ::send(big, part.data(), part.size(), MSG_NOSIGNAL);
    usleep(100 * 1000);
    std::string refused = rawExchange(port(), head + std::string(60000, 'x'));
    EXPECT_EQ(refused.substr(0, 12), "HTTP/1.0 503");
    // A body that stops arriving is dropped after the idle time, not the whole request time.
    std::string timedOut = readAll(big, 3000);
    EXPECT_EQ(timedOut.substr(0, 12), "HTTP/1.0 408");
    ::close(big);
    for (int fd : declared)
        ::close(fd);
}

TEST_F(AvailabilityTest, ClientsThatDoNotReadAPictureHoldLittleOfTheServersMemory)
{
    start();
    WebUser ann = account("Ann");
    std::string picture(4 * 1024 * 1024, '\0');
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = char(i * 7 + i / 65536);
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(picture.size() * 2);
    for (char c : picture) {
        hex += digits[uint8_t(c) >> 4];
        hex += digits[uint8_t(c) & 15];
    }
    std::string fields = "ur=1&imagetype=2&paramid=" + std::to_string(ann.id) + "&data=" + hex + "&";
    ASSERT_NE(ann.call("SaveImage.php", fields).find("<postimageresult>"), std::string::npos);

    // Read whole, the picture arrives exactly, in however many pieces it left.
    std::string whole = ann.call("LoadImage.php", "ur=1&imagetype=2&paramid=" + std::to_string(ann.id) + "&");
    size_t marker = whole.find("Content-Type: image/jpeg\r\n\r\n");
    ASSERT_NE(marker, std::string::npos);
    EXPECT_TRUE(whole.compare(marker + 28, std::string::npos, picture) == 0);

    // Twenty clients ask for it and never read: the server holds a piece for each, not a picture.
    std::string request =
        formRequest("7/LoadImage.php",
                    "sessionID=" + ann.session + "&ur=1&imagetype=2&paramid=" + std::to_string(ann.id) + "&");
    std::vector<int> stalled;
    for (int i = 0; i < 20; ++i) {
        stalled.push_back(connectTo(port()));
        int small = 4096;
        setsockopt(stalled.back(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        ::send(stalled.back(), request.data(), request.size(), MSG_NOSIGNAL);
    }
    usleep(500 * 1000);
    EXPECT_LE(server->server().queuedReplyBytes(), size_t(20 * (64 + 1) * 1024));
    for (int fd : stalled)
        ::close(fd);
}

} // namespace
