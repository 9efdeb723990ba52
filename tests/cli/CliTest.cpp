#include "cli/CliEvents.h"
#include "cli/CliOptions.h"
#include "cli/PackSoundProvider.h"
#include "tests/data/TempFolder.h"
#include "tests/engine/CannedWebService.h"
#include "tests/voice/LoopbackPeer.h"
#include "voice/VoicePacket.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace Zumeli;

namespace {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;

    bool hasLine(const std::string& line) const { return ("\n" + out).find("\n" + line + "\n") != std::string::npos; }
};

std::string readAll(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// zumeli-cli as a user runs it, with a home of its own.
class CliProcess {
public:
    explicit CliProcess(const TempFolder& home, std::vector<std::string> arguments)
        : m_home(home.folder().str())
    {
        std::string out = m_home + "cli.out", err = m_home + "cli.err";
        m_pid = ::fork();
        if (m_pid == 0) {
            int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(outFd, STDOUT_FILENO);
            ::dup2(errFd, STDERR_FILENO);
            ::setenv("HOME", m_home.c_str(), 1);
            ::setenv("XDG_DATA_HOME", (m_home + "data").c_str(), 1);
            ::setenv("XDG_CONFIG_HOME", (m_home + "config").c_str(), 1);
            ::unsetenv("ZUMELI_SERVICE_HOST");
            ::unsetenv("ZUMELI_SERVICE_PORT");
            std::vector<char*> argv { const_cast<char*>(ZUMELI_CLI_PATH) };
            for (std::string& argument : arguments)
                argv.push_back(argument.data());
            argv.push_back(nullptr);
            ::execv(ZUMELI_CLI_PATH, argv.data());
            ::_exit(127);
        }
    }

    // Waits at most 30 s; a client still running then is killed and reported as -1.
    CliRun finish()
    {
        CliRun run;
        int status = 0;
        for (int i = 0; i < 3000; ++i) {
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                break;
            }
            ::usleep(10000);
        }
        if (run.exitCode == -1 && ::kill(m_pid, SIGKILL) == 0)
            ::waitpid(m_pid, &status, 0);
        run.out = readAll(m_home + "cli.out");
        run.err = readAll(m_home + "cli.err");
        return run;
    }

private:
    std::string m_home;
    pid_t m_pid = -1;
};

CliRun runCli(std::vector<std::string> arguments)
{
    TempFolder home("cli");
    CliProcess process(home, std::move(arguments));
    return process.finish();
}

std::string loginOk()
{
    return "<status>OK</status>\r\n<sessionID>sess42</sessionID>\r\n<uid>1234</uid>\r\n<ch>0</ch>\r\n<rl>0</rl>\r\n"
           "<rh>0</rh>\r\n<sop>2</sop>\r\n<st>1700000000</st>\r\n<lot>77</lot>\r\n";
}

std::string joinUp(int voicePort)
{
    return "<status>UP</status>\r\n<ip>127.0.0.1</ip>\r\n<port>" + std::to_string(voicePort)
        + "</port>\r\n<codec>9</codec>\r\n<ts>5</ts>\r\n<pe>0</pe>\r\n<cn>Plaza</cn>\r\n<ul>1234,1,me</ul>\r\n";
}

std::string server(const CannedWebService& web) { return "127.0.0.1:" + std::to_string(web.port()); }

} // namespace

TEST(CliOptions, ParsesOrExplains)
{
    struct Case {
        std::vector<std::string> arguments;
        bool ok;
        const char* errorPart; // part of the explanation when refused
    };
    const Case cases[] = {
        { { "--guest", "--channel", "1000", "--duration", "2.5" }, true, "" },
        { { "--user", "alice", "--pass", "x", "--server", "example.org:8080" }, true, "" },
        { { "--user", "alice" }, false, "--user needs --pass" },
        { { "--guest", "--user", "a", "--pass", "b" }, false, "exclude" },
        { { "--channel", "ten" }, false, "--channel" },
        { { "--duration", "0" }, false, "--duration" },
        { { "--server", "host:99999" }, false, "--server" },
        { { "--server", ":80" }, false, "--server" },
        { { "--message", "alice:hi" }, false, "USERID:TEXT" },
        { { "--audio", "alsa" }, false, "--audio" },
        { { "--talk", "a.wav", "--audio", "null" }, false, "--audio file" },
        { { "--talk" }, false, "needs a value" },
        { { "--frobnicate" }, false, "unknown option" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments[0]);
        CliOptions options;
        std::string error;
        EXPECT_EQ(parseCliOptions(c.arguments, options, error), c.ok);
        EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
    }

    CliOptions options;
    std::string error;
    ASSERT_TRUE(parseCliOptions({ "--message", "17:a:b c", "--message", "9:x", "--server", "h", "--talk", "t.wav" },
                                options, error));
    ASSERT_EQ(options.messages.size(), 2u);
    EXPECT_EQ(options.messages[0].userId, 17);
    EXPECT_EQ(options.messages[0].text, "a:b c");
    EXPECT_EQ(options.serverPort, 80);
    EXPECT_EQ(options.audio, "file") << "talking a file needs the file back end";
}

TEST(Cli, HelpDocumentsEveryOptionAndEvent)
{
    CliRun run = runCli({ "--help" });
    EXPECT_EQ(run.exitCode, 0);
    for (const char* word :
         { "--prefs", "--server", "--user", "--pass", "--guest", "--register", "--mail", "--channel", "--talk", "--record",
           "--message", "--duration", "--audio", "--events", "--verbose", "logged-in", "logged-out", "login-failed",
           "login-refused", "server-full", "reconnecting", "channel-changed", "talk-granted", "talk-ended",
           "talk-acknowledged", "talk-allowed", "talk-forbidden", "channel-state", "voice-connection", "traffic",
           "voice-connected", "voice-disconnected", "messages-arrived", "unused", "recorded-audio", "link-quality",
           "channel-access", "join-failed", "transmission-trouble", "channel-full", "channel-event", "position-changed",
           "photo-updated", "messages-changed", "talk-request", "talk-allowed-quietly", "position-requested",
           "position-sent", "Exit codes" })
        EXPECT_NE(run.out.find(word), std::string::npos) << word;
}

TEST(Cli, AUsageErrorExitsWithTwo)
{
    CliRun run = runCli({ "--channel" });
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "zumeli-cli: --channel needs a value\n");
    EXPECT_TRUE(run.out.empty());
}

TEST(Cli, ARefusedLoginExitsWithThree)
{
    CannedWebService web;
    web.answer("7/login.php", "<status>FAIL</status><errorString>bad password</errorString>");
    CliRun run = runCli({ "--server", server(web), "--user", "alice", "--pass", "wrong", "--events", "--duration", "10" });
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.hasLine("login-refused")) << run.out;
    EXPECT_NE(run.err.find("refused"), std::string::npos) << run.err;
    ASSERT_EQ(web.count("7/login.php"), 1);
    std::string body = web.requests()[0].body;
    EXPECT_EQ(body.rfind("us=alice&", 0), 0u) << body;
}

TEST(Cli, AnUnreachableServiceExitsWithThree)
{
    int port = 0;
    int listener = listenOnLoopback(port, 1);
    ::close(listener); // nothing listens there any more
    CliRun run = runCli({ "--server", "127.0.0.1:" + std::to_string(port), "--guest", "--events", "--duration", "10" });
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.hasLine("login-failed")) << run.out;
    EXPECT_NE(run.err.find("did not answer"), std::string::npos) << run.err;
}

TEST(Cli, WithoutAVoiceConnectionItExitsWithFour)
{
    CannedWebService web;
    LoopbackPeer voice;
    int deadPort = voice.port();
    voice.stopListening();
    web.answer("7/login.php", loginOk());
    web.answer("7/joinChannel.php", joinUp(deadPort));
    web.answer("7/Logout.php", "<status>OK</status>");
    CliRun run = runCli({ "--server", server(web), "--guest", "--events", "--duration", "2" });
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_TRUE(run.hasLine("logged-in")) << run.out;
    EXPECT_TRUE(run.hasLine("channel-changed 1000")) << run.out;
    EXPECT_FALSE(run.hasLine("voice-connected"));
    EXPECT_NE(run.err.find("voice connection did not come up"), std::string::npos) << run.err;
    EXPECT_EQ(web.count("7/Logout.php"), 1) << "it leaves cleanly all the same";
}

TEST(Cli, ASessionReportsItsEventsAndEndsCleanly)
{
    CannedWebService web;
    LoopbackPeer voice;
    web.answer("7/joinChannel.php", joinUp(voice.port()));
    web.answer("7/Logout.php", "<status>OK</status>");
    web.answer("7/TMS_Send.php", "<status>OK</status>");
    web.answer("7/login.php", loginOk() + "<msg>1</msg>\r\n");
    web.answer("7/TMS_Get.php",
               "<usermessages><message><sender>12</sender><datetime>100</datetime><text>a &amp; b</text></message>"
               "</usermessages><servicemessages><message><mainText>Hello</mainText></message></servicemessages>");
    TempFolder home("cli");
    CliProcess process(home, { "--server", server(web), "--guest", "--channel", "1234", "--events", "--duration", "3",
                               "--message", "77:hello there" });
    ASSERT_TRUE(voice.accept());
    std::vector<uint8_t> hello = voice.read(47);
    ASSERT_EQ(hello.size(), 47u);
    EXPECT_EQ(hello[10], uint8_t(VoiceMessage::Hello));
    VoicePacket reply = VoicePacket::control(0, VoiceMessage::KeepAlive);
    reply.sign();
    voice.write(reply.bytes(), 47);
    CliRun run = process.finish();

    EXPECT_EQ(run.exitCode, 0) << run.err;
    for (const char* line : { "logged-in", "channel-changed 1234", "voice-connected", "logged-out",
                              "message 12 a & b", "service-message Hello" })
        EXPECT_TRUE(run.hasLine(line)) << line << " in:\n" << run.out;
    EXPECT_LT(run.out.find("logged-in"), run.out.find("voice-connected"));
    EXPECT_EQ(run.out.find("STORED MODE"), std::string::npos) << "engine traces stay off the event output";
    auto joins = web.requests();
    auto join = std::find_if(joins.begin(), joins.end(), [](const auto& r) { return r.path == "7/joinChannel.php"; });
    ASSERT_NE(join, joins.end());
    EXPECT_EQ(join->body.rfind("ch=1234&", 0), 0u);
    EXPECT_GE(web.count("7/TMS_Send.php"), 1);
    EXPECT_EQ(web.count("7/Logout.php"), 1);
}

TEST(CliEvents, MessageTextsCannotControlTheTerminal)
{
    struct Case {
        std::string text;
        const char* line;
    };
    const Case cases[] = {
        { "plain text, accents \xC3\xA9 and \\ kept", "plain text, accents \xC3\xA9 and \\ kept" },
        { "two\r\nlines", "twolines" },
        { "\x1B]0;owned\x07\x1B[2J", "\\x1B]0;owned\\x07\\x1B[2J" },
        { std::string("nul\0tab\tdel\x7F", 12), "nul\\x00tab\\x09del\\x7F" },
        { "c1 \xC2\x9B" "31m", "c1 \\x9B31m" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(printableLine(c.text), c.line) << c.line;
}

TEST(PackSoundProvider, ReadsEveryClipOfThePack)
{
    PackSoundProvider sounds;
    ASSERT_TRUE(sounds.isOpen());
    std::vector<uint8_t> bytes;
    for (const char* name : { "online.raw", "tms.raw", "smile_00.raw", "smile_06.raw" }) {
        EXPECT_TRUE(sounds.readSoundFile(name, bytes)) << name;
        EXPECT_GT(bytes.size(), 1000u) << name;
    }
    EXPECT_FALSE(sounds.readSoundFile("smile_07.raw", bytes));
    EXPECT_TRUE(bytes.empty());
}
