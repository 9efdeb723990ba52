#include "ServerFixture.h"

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>

using namespace ServerTest;

namespace {

// The real program as a child process, its log read from a pipe.
class ServerProcess {
public:
    explicit ServerProcess(std::vector<std::string> arguments)
    {
        int output[2];
        if (pipe2(output, O_CLOEXEC) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            dup2(output[1], 1);
            dup2(output[1], 2);
            std::vector<char*> argv { const_cast<char*>(ZUMELI_SERVER_BINARY) };
            for (auto& argument : arguments)
                argv.push_back(argument.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        ::close(output[1]);
        m_output = output[0];
    }
    ~ServerProcess()
    {
        if (m_pid > 0 && !m_reaped) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_output >= 0)
            ::close(m_output);
    }
    // Reads the log until the text appears or waitMs pass.
    bool waitFor(const std::string& text, int waitMs = 5000)
    {
        int64_t deadline = nowMs() + waitMs;
        while (m_log.find(text) == std::string::npos) {
            int64_t left = deadline - nowMs();
            pollfd ready { m_output, POLLIN, 0 };
            if (left <= 0 || ::poll(&ready, 1, int(left)) != 1)
                return false;
            char buffer[4096];
            ssize_t got = ::read(m_output, buffer, sizeof buffer);
            if (got <= 0)
                return m_log.find(text) != std::string::npos;
            m_log.append(buffer, size_t(got));
        }
        return true;
    }
    // The exit code, or -1 when it did not end within waitMs.
    int exitCode(int waitMs = 5000)
    {
        int64_t deadline = nowMs() + waitMs;
        while (nowMs() < deadline) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_reaped = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            usleep(10 * 1000);
        }
        return -1;
    }
    pid_t pid() const { return m_pid; }
    const std::string& log() const { return m_log; }

private:
    pid_t m_pid = -1;
    int m_output = -1;
    bool m_reaped = false;
    std::string m_log;
};

int portIn(const std::string& log, const std::string& label)
{
    size_t at = log.find(label + " 127.0.0.1:");
    return at == std::string::npos ? 0 : std::stoi(log.substr(at + label.size() + 11));
}

TEST(ServerProcess, ServesUntilSigtermThenExitsCleanly)
{
    DataFolder folder;
    ServerProcess process({ "--data", folder.path(), "--web-port", "0", "--voice-port", "0", "--log-level", "info" });
    ASSERT_TRUE(process.waitFor("voice address")) << process.log();
    int web = portIn(process.log(), "web");
    ASSERT_GT(web, 0);
    auto user = guest(web);
    ASSERT_TRUE(user);
    EXPECT_EQ(statusOf(user->join(1000)), "UP");
    EXPECT_TRUE(process.waitFor("POST /7/joinChannel.php 200")) << process.log(); // one line per request
    kill(process.pid(), SIGTERM);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(process.waitFor("stopping"));
    EXPECT_TRUE(std::filesystem::exists(folder.database()));
}

TEST(ServerProcess, OperatorCommandsAndTheCommandLine)
{
    DataFolder folder;
    {
        ServerProcess help({ "--help" });
        EXPECT_EQ(help.exitCode(), 0);
        EXPECT_TRUE(help.waitFor("--queue-service-message"));
    }
    {
        ServerProcess wrong({ "--web-port", "70000" });
        EXPECT_EQ(wrong.exitCode(), 2);
    }
    {
        ServerProcess nobody({ "--data", folder.path(), "--queue-service-message", "5", "hello" });
        EXPECT_EQ(nobody.exitCode(), 1);
    }
    {
        ServerProcess codec({ "--data", folder.path(), "--set-channel", "1200", "--codec", "11", "--name", "Radio" });
        EXPECT_EQ(codec.exitCode(), 0);
    }
    // The channel setting and a queued service message reach a client of the running server.
    ServerProcess process({ "--data", folder.path(), "--web-port", "0", "--voice-port", "0" });
    ASSERT_TRUE(process.waitFor("voice address"));
    int web = portIn(process.log(), "web");
    ASSERT_TRUE(registerAccount(web, "Ann", "3D0E8682", "ann%40example.org"));
    auto ann = login(web, "Ann", "3D0E8682");
    ASSERT_TRUE(ann);
    std::string join = ann->join(1200);
    EXPECT_EQ(element(join, "codec"), "11");
    EXPECT_EQ(element(join, "cn"), "Radio");
    {
        ServerProcess queue({ "--data", folder.path(), "--queue-service-message", std::to_string(ann->id), "Welcome",
                              "--button", "Site|https://example.org" });
        EXPECT_EQ(queue.exitCode(), 0);
    }
    // The command shares the running server's write-ahead log instead of taking it for its own:
    // it leaves it in place, and what it wrote is what the server reads.
    EXPECT_TRUE(std::filesystem::exists(folder.database() + "-wal"));
    std::string again = post(web, "login.php", "us=Ann&pw=3D0E8682&an=0&mi=m&ms=test&mc=-&ai=a&ur=1&ln=en&apn=&");
    EXPECT_EQ(element(again, "msg"), "1") << "the queued message waits for Ann";
    std::string messages = ann->call("TMS_Get.php", "ur=1&");
    EXPECT_NE(messages.find("<mainText>Welcome</mainText>"), std::string::npos);
    {
        ServerProcess second({ "--data", folder.path(), "--queue-service-message", std::to_string(ann->id), "Later" });
        EXPECT_EQ(second.exitCode(), 0);
    }
    EXPECT_NE(ann->call("TMS_Get.php", "ur=1&").find("<mainText>Later</mainText>"), std::string::npos)
        << "a message queued after the server wrote on its own arrives too";
    kill(process.pid(), SIGTERM);
    EXPECT_EQ(process.exitCode(), 0);
}

} // namespace
