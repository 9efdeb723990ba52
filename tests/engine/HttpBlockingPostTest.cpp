#include "engine/HttpBlockingPost.h"

#include "data/XmlChunk.h"
#include "platform/Clock.h"
#include "tests/engine/ScriptedHttpServer.h"

#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

using namespace Zumeli;

TEST(HttpBlockingPost, WaitsForTheWholeReply)
{
    const std::string reply = "HTTP/1.0 200 OK\r\n\r\n<status>OK</status>";
    ScriptedHttpServer server({ { reply.substr(0, 10), 20 }, { reply.substr(10), 20 } });
    std::vector<uint8_t> bytes { 1, 2, 3 };
    FormFields fields;
    fields.add("sessionID", "S1").add("ur", "0A1B2C3D");
    ASSERT_TRUE(httpPostAndWait("127.0.0.1", server.port(), "7/KeepAlive.php", fields, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), reply);
    EXPECT_EQ(server.request(),
              "POST /7/KeepAlive.php HTTP/1.0\r\nContent-Length: 25\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n\r\nsessionID=S1&ur=0A1B2C3D&");
}

TEST(HttpBlockingPost, TextRequestJoinsThePrefixAndClearsOnFailure)
{
    {
        ScriptedHttpServer server({ { "<status>OK</status>" } });
        Text reply("stale");
        ASSERT_TRUE(postForText("127.0.0.1", server.port(), "dev/", "7/GetAdmin.php", FormFields(), reply));
        EXPECT_EQ(reply.str(), "<status>OK</status>");
        EXPECT_EQ(server.request().substr(0, 35), "POST /dev/7/GetAdmin.php HTTP/1.0\r\n");
    }
    {
        ScriptedHttpServer silent({});
        Text reply("stale");
        EXPECT_FALSE(postForText("127.0.0.1", silent.port(), "", "7/GetAdmin.php", FormFields(), reply))
            << "a server that closes without a byte";
        EXPECT_TRUE(reply.isEmpty());
    }
}

TEST(HttpBlockingPost, RefusedReturnsAtOnceAndSilenceIsBounded)
{
    int freePort;
    {
        ScriptedHttpServer probe({});
        freePort = probe.port();
    }
    std::vector<uint8_t> bytes;
    uint64_t started = Platform::tickMilliseconds();
    EXPECT_FALSE(httpPostAndWait("127.0.0.1", freePort, "7/x.php", FormFields(), bytes));
    EXPECT_LT(Platform::tickMilliseconds() - started, 1000u);

    ScriptedHttpServer silent({}, ScriptedHttpServer::Ending::HoldOpen);
    started = Platform::tickMilliseconds();
    EXPECT_FALSE(httpPostAndWait("127.0.0.1", silent.port(), "7/x.php", FormFields(), bytes, 250));
    const uint64_t waited = Platform::tickMilliseconds() - started;
    EXPECT_GE(waited, 250u);
    EXPECT_LT(waited, 5000u);
    EXPECT_TRUE(bytes.empty());
}

namespace {

// python3 running the standard library's HTTP server with a form echo handler.
class PythonFormServer {
public:
    explicit PythonFormServer(int requests)
    {
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        std::string script = std::string(ZUMELI_SOURCE_DIR) + "/tests/engine/form_echo_server.py";
        std::string count = std::to_string(requests);
        char* argv[] = { const_cast<char*>("python3"), script.data(), count.data(), nullptr };
        if (posix_spawnp(&m_pid, "python3", &actions, nullptr, argv, environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeEnds[1]);
        if (FILE* out = ::fdopen(pipeEnds[0], "r")) {
            pollfd ready { pipeEnds[0], POLLIN, 0 };
            if (m_pid > 0 && ::poll(&ready, 1, 10000) == 1 && std::fscanf(out, "%d", &m_port) != 1)
                m_port = 0;
            std::fclose(out);
        }
    }
    ~PythonFormServer()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    int port() const { return m_port; }

private:
    pid_t m_pid = -1;
    int m_port = 0;
};

} // namespace

TEST(HttpBlockingPost, StandardHttpServerUnderstandsOurRequests)
{
    PythonFormServer server(2);
    if (server.port() <= 0)
        GTEST_SKIP() << "python3 is not available";

    Text userName("Ann & Bob=1+1 %41 caf\xC3\xA9");
    Text message("a<b> \"quoted\" & done");
    Text document("<message><text>");
    Text escaped;
    message.escapeForForm(escaped);
    document.append(escaped).append("</text></message>");

    FormFields fields;
    fields.addUserText("us", userName).add("pw", "3D0E8682").add("data", document).add("empty", "");
    Text reply;
    ASSERT_TRUE(postForText("127.0.0.1", server.port(), "p/", "7/login.php", fields, reply));
    EXPECT_EQ(reply.left(17).str(), "HTTP/1.0 200 OK\r\n") << reply.c_str();

    XmlChunk echo = XmlChunk(reply).child("echo");
    EXPECT_EQ(echo.child("path").rawText().str(), "/p/7/login.php");
    EXPECT_EQ(echo.childLong("count"), 4) << "the user name added no field";
    std::vector<std::pair<std::string, std::string>> received;
    XmlChunkEnumerator items(echo, "field");
    XmlChunk item;
    while (items.next(item)) {
        Text value;
        value.decodeEntities(item.child("value").rawText());
        received.emplace_back(item.child("name").rawText().str(), value.str());
    }
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[0], std::make_pair(std::string("us"), userName.str()));
    EXPECT_EQ(received[1].second, "3D0E8682");
    EXPECT_EQ(received[2].second, "<message><text>a&lt;b&gt; &quot;quoted&quot; &amp; done</text></message>")
        << "escaped markup arrives as entities inside intact tags";
    EXPECT_EQ(received[3], std::make_pair(std::string("empty"), std::string()));

    std::vector<uint8_t> bytes;
    EXPECT_TRUE(httpPostAndWait("127.0.0.1", server.port(), "7/KeepAlive.php", FormFields(), bytes));
    EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("<count>0</count>"), std::string::npos);
}
