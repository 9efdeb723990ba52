#include "engine/HttpAsyncPost.h"

#include "engine/HttpPostReplyDelegate.h"
#include "platform/Clock.h"
#include "tests/engine/ScriptedHttpServer.h"

#include <gtest/gtest.h>

using namespace Zumeli;
using Step = ScriptedHttpServer::Step;

namespace {

// Records every report; takes the reply through the default data-to-text path.
class RecordingDelegate : public HttpPostReplyDelegate {
public:
    void replyText(const Text& reply) override
    {
        ++replies;
        text = reply.str();
    }
    void failure() override { ++failures; }

    int replies = 0;
    int failures = 0;
    std::string text;
};

// Polls like a task does, every millisecond, until the post reports or the limit passes.
bool pollUntilReported(HttpAsyncPost& post, int limitMs = 3000)
{
    const uint64_t end = Platform::tickMilliseconds() + uint64_t(limitMs);
    while (Platform::tickMilliseconds() < end) {
        if (post.poll())
            return true;
        Platform::sleepMilliseconds(1);
    }
    return false;
}

const char* const okReply = "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n<status>OK</status>";

} // namespace

TEST(HttpAsyncPost, RequestBytesAreExactlyTheFormPost)
{
    const struct {
        const char* prefix;
        const char* path;
        std::vector<std::pair<const char*, const char*>> fields;
        const char* request;
    } cases[] = {
        { "", "7/KeepAlive.php", {},
          "POST /7/KeepAlive.php HTTP/1.0\r\nContent-Length: 0\r\n"
          "Content-Type: application/x-www-form-urlencoded\r\n\r\n" },
        { "", "7/login.php", { { "us", "x" }, { "pw", "y" } },
          "POST /7/login.php HTTP/1.0\r\nContent-Length: 10\r\n"
          "Content-Type: application/x-www-form-urlencoded\r\n\r\nus=x&pw=y&" },
        { "p/", "7/login.php", { { "ch", "1000" } },
          "POST /p/7/login.php HTTP/1.0\r\nContent-Length: 8\r\n"
          "Content-Type: application/x-www-form-urlencoded\r\n\r\nch=1000&" },
    };
    for (const auto& c : cases) {
        ScriptedHttpServer server({ { okReply } });
        FormFields fields;
        for (const auto& [name, value] : c.fields)
            fields.add(name, value);
        RecordingDelegate delegate;
        HttpAsyncPost post;
        ASSERT_TRUE(post.start("127.0.0.1", server.port(), c.prefix, c.path, fields, &delegate));
        EXPECT_EQ(post.requestText().str(), c.request);
        ASSERT_TRUE(pollUntilReported(post));
        EXPECT_EQ(server.request(), c.request) << "sent whole once connected";
        EXPECT_EQ(delegate.replies, 1);
        EXPECT_EQ(delegate.text, okReply);
    }
}

TEST(HttpAsyncPost, RepliesAreEveryByteUntilTheServerCloses)
{
    const std::string errorPage = "HTTP/1.0 500 Internal Server Error\r\nContent-Type: text/html\r\n\r\n<html>broken</html>";
    std::vector<Step> pieces;
    std::string pieced;
    for (int i = 0; i < 20; ++i) {
        std::string piece = "<p" + std::to_string(i) + ">x</p" + std::to_string(i) + ">";
        pieces.push_back({ piece, 5 });
        pieced += piece;
    }
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::string expected; // empty: a failure
    } cases[] = {
        { "nothing, then close", {}, "" },
        { "status 500 with a body", { { errorPage } }, errorPage },
        { "split over many reads", pieces, pieced },
        { "one byte", { { "x" } }, "x" },
    };
    for (const auto& c : cases) {
        ScriptedHttpServer server(c.steps);
        RecordingDelegate delegate;
        HttpAsyncPost post;
        ASSERT_TRUE(post.start("127.0.0.1", server.port(), "", "7/x.php", FormFields(), &delegate)) << c.name;
        int partialPolls = 0;
        const uint64_t end = Platform::tickMilliseconds() + 3000;
        while (!post.poll() && Platform::tickMilliseconds() < end) {
            if (post.replySize() > 0)
                ++partialPolls;
            Platform::sleepMilliseconds(1);
        }
        ASSERT_TRUE(post.isFinished()) << c.name;
        if (c.expected.empty()) {
            EXPECT_EQ(delegate.failures, 1) << c.name;
            EXPECT_EQ(delegate.replies, 0) << c.name << ": never an empty reply";
        } else {
            EXPECT_EQ(delegate.failures, 0) << c.name;
            EXPECT_EQ(delegate.replies, 1) << c.name;
            EXPECT_EQ(delegate.text, c.expected) << c.name;
        }
        if (c.steps.size() > 1) {
            EXPECT_GT(partialPolls, 0) << "a partial reply is not reported before the close";
        }

        post.poll();
        EXPECT_EQ(delegate.replies + delegate.failures, 2) << c.name << ": a finished post reports on every poll";
    }
}

TEST(HttpAsyncPost, ServerThatNeverAnswersTimesOut)
{
    ScriptedHttpServer server({ { "HTTP/1.0 200 OK\r\n" } }, ScriptedHttpServer::Ending::HoldOpen);
    RecordingDelegate delegate;
    HttpAsyncPost post;
    post.setTimeLimit(300);
    const uint64_t started = Platform::tickMilliseconds();
    ASSERT_TRUE(post.start("127.0.0.1", server.port(), "", "7/x.php", FormFields(), &delegate));
    ASSERT_TRUE(pollUntilReported(post, 5000)) << "the time limit ends the request";
    EXPECT_GE(Platform::tickMilliseconds() - started, 300u);
    EXPECT_TRUE(post.timedOut());
    EXPECT_EQ(delegate.failures, 1) << "what arrived before the time-out is not a reply";
    EXPECT_EQ(delegate.replies, 0);
}

TEST(HttpAsyncPost, ReplyLargerThanTheCapFails)
{
    for (int size : { HttpLimits::MaxReplyBytes, HttpLimits::MaxReplyBytes + 1 }) {
        ScriptedHttpServer server({ { std::string(size_t(size), 'j') } });
        RecordingDelegate delegate;
        HttpAsyncPost post;
        ASSERT_TRUE(post.start("127.0.0.1", server.port(), "", "7/LoadImage.php", FormFields(), &delegate));
        ASSERT_TRUE(pollUntilReported(post, 10000)) << size;
        if (size == HttpLimits::MaxReplyBytes) {
            EXPECT_EQ(delegate.replies, 1) << "a reply of exactly the cap is whole";
            EXPECT_EQ(delegate.text.size(), size_t(size));
        } else {
            EXPECT_TRUE(post.tooLarge());
            EXPECT_EQ(delegate.failures, 1);
            EXPECT_EQ(delegate.replies, 0);
        }
    }
}

TEST(HttpAsyncPost, RefusedConnectionsAndBadPathsFailAtStart)
{
    int freePort;
    {
        ScriptedHttpServer probe({});
        freePort = probe.port();
    } // closed: the port now refuses

    const struct {
        const char* host;
        int port;
        const char* prefix;
        const char* path;
    } cases[] = {
        { "", 80, "", "7/login.php" },
        { "127.0.0.1", 0, "", "7/login.php" },
        { "127.0.0.1", freePort, "p\r\nX-Injected: 1\r\n/", "7/login.php" },
        { "127.0.0.1", freePort, "", "7/a b.php" },
    };
    for (const auto& c : cases) {
        RecordingDelegate delegate;
        HttpAsyncPost post;
        EXPECT_FALSE(post.start(c.host, c.port, c.prefix, c.path, FormFields(), &delegate)) << c.host << c.prefix << c.path;
        EXPECT_TRUE(post.isFinished());
        EXPECT_EQ(delegate.failures, 0) << "nothing is reported before a poll";
        EXPECT_TRUE(post.poll());
        EXPECT_EQ(delegate.failures, 1);
    }

    // A refused connection is known only once the attempt has run: a later poll reports it.
    RecordingDelegate delegate;
    HttpAsyncPost post;
    post.start("127.0.0.1", freePort, "", "7/login.php", FormFields(), &delegate);
    EXPECT_EQ(delegate.failures, 0) << "nothing is reported before a poll";
    ASSERT_TRUE(pollUntilReported(post));
    EXPECT_EQ(delegate.failures, 1);
    EXPECT_EQ(delegate.replies, 0);
}

TEST(HttpAsyncPost, CloseAbandonsTheRequest)
{
    ScriptedHttpServer server({ { okReply, 50 } });
    RecordingDelegate delegate;
    auto post = std::make_unique<HttpAsyncPost>();
    ASSERT_TRUE(post->start("127.0.0.1", server.port(), "", "7/x.php", FormFields(), &delegate));
    post->close();
    EXPECT_EQ(post->replySize(), 0);
    EXPECT_FALSE(post->poll()) << "an abandoned request reads nothing more";
    post.reset();
    EXPECT_EQ(delegate.replies + delegate.failures, 0);
}
