// Messages are never lost between the store and the client, and one sender cannot fill a
// mailbox or the server's memory: fetches come in bounded batches, mailboxes have a size,
// senders a rate.

#include "ServerFixture.h"

#include "data/Checksum.h"
#include "data/UserMessagesList.h"

using namespace Zumeli;
using namespace ServerTest;

namespace {

using MessagesTest = ServiceTest;

size_t countOf(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

size_t userMessages(const std::string& reply)
{
    return countOf(element(reply, "usermessages"), "<message>");
}

TEST_F(MessagesTest, AFetchWhoseConnectionBreaksBeforeTheReplyIsReadLosesNothing)
{
    start();
    WebUser ann = account("Ann");
    WebUser bob = account("Bob");
    ASSERT_EQ(statusOf(sendText(ann, {bob.id}, "first")), "OK");
    ASSERT_EQ(statusOf(sendText(ann, {bob.id}, "second")), "OK");

    // The client asks, then its connection is reset before it has read anything.
    int fd = connectTo(port());
    std::string request = formRequest("7/TMS_Get.php", "sessionID=" + bob.session + "&ur=1&");
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    usleep(200 * 1000);
    linger reset{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    ::close(fd);
    usleep(100 * 1000);

    // Both are still there; a fetch read to its end takes them, and they are gone after it.
    std::string reply = bob.call("TMS_Get.php", "ur=1&");
    EXPECT_EQ(userMessages(reply), 2u);
    std::string after;
    for (int i = 0; i < 20; ++i, usleep(50 * 1000)) {
        after = bob.call("TMS_Get.php", "ur=1&");
        if (userMessages(after) == 0)
            break;
    }
    EXPECT_EQ(statusOf(after), "OK");
    EXPECT_EQ(userMessages(after), 0u);
}

TEST_F(MessagesTest, MailboxesHaveASizeAndFetchesComeInBatches)
{
    ServerConfig config;
    config.web.mailboxLimit = 150;
    config.web.messagesPerSenderPerMinute = 1000;
    start(config);
    WebUser ann = account("Ann");
    WebUser bob = account("Bob");
    for (int i = 0; i < 160; ++i)
        ASSERT_EQ(statusOf(sendText(ann, {bob.id}, "message " + std::to_string(i))), "OK") << i;
    // The oldest ten made room; a service notice says so, once.
    std::string first = bob.call("TMS_Get.php", "ur=1&");
    EXPECT_EQ(userMessages(first), 100u);
    EXPECT_EQ(element(first, "msg"), "1");
    EXPECT_NE(first.find("<text>message 10</text>"), std::string::npos);
    EXPECT_EQ(first.find("<text>message 9</text>"), std::string::npos);
    EXPECT_EQ(countOf(element(first, "servicemessages"), "<mainText>"), 1u);
    std::string second;
    for (int i = 0; i < 20; ++i, usleep(50 * 1000)) {
        second = bob.call("TMS_Get.php", "ur=1&");
        if (userMessages(second) != 100)
            break;
    }
    EXPECT_EQ(userMessages(second), 50u);
    EXPECT_EQ(element(second, "msg"), "0");
    EXPECT_NE(second.find("<text>message 159</text>"), std::string::npos);
    EXPECT_EQ(countOf(element(second, "servicemessages"), "<mainText>"), 0u);
}

TEST_F(MessagesTest, ASenderHasARate)
{
    ServerConfig config;
    config.web.messagesPerSenderPerMinute = 5;
    start(config);
    WebUser ann = account("Ann");
    WebUser bob = account("Bob");
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(statusOf(sendText(ann, {bob.id}, "hello")), "OK") << i;
    EXPECT_EQ(element(sendText(ann, {bob.id}, "hello"), "errorString"), "TOO MANY MESSAGES");
    // Others are not held back by it.
    EXPECT_EQ(statusOf(sendText(bob, {ann.id}, "hello")), "OK");
}

} // namespace
