#include "app/AccountWindows.h"
#include "app/CommandLineOptions.h"
#include "app/DigitEntry.h"
#include "app/Favourites.h"
#include "app/HotKeyController.h"
#include "app/SingleInstance.h"
#include "data/Text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

using namespace ZumeliApplication;

TEST(Favourites, ParseKeepsNonZeroChannelsAndFillsWithTenHundred)
{
    struct Case {
        const char* stored;
        std::array<int, 6> expected;
    };
    const Case cases[] = {
        {"1200,0,1300", {1200, 1300, 1000, 1000, 1000, 1000}},
        {"1000,1001,1002,1003,1004,1005", {1000, 1001, 1002, 1003, 1004, 1005}},
        {"", {1000, 1000, 1000, 1000, 1000, 1000}},
        {"101,102,103,104,105,106,107", {101, 102, 103, 104, 105, 106}},
        {"x,1500,,", {1500, 1000, 1000, 1000, 1000, 1000}},
    };
    for (const Case& c : cases) {
        Favourites favourites = Favourites::parse(c.stored);
        EXPECT_EQ(favourites.channels, c.expected) << c.stored;
        EXPECT_EQ(Favourites::parse(favourites.format()).channels, c.expected) << "round trip of " << c.stored;
    }
    EXPECT_EQ(Favourites::parse("1200,0,1300").format(), "1200,1300,1000,1000,1000,1000");
}

TEST(Favourites, ChannelTextIsTwoGroupsOfTwoDigits)
{
    EXPECT_EQ(channelText(1000), "10.00");
    EXPECT_EQ(channelText(105), "01.05");
    EXPECT_EQ(channelText(1234), "12.34");
}

TEST(DigitEntry, FourDigitsMakeTheChannelAndTheDisplayShowsTheGaps)
{
    DigitEntry entry;
    EXPECT_FALSE(entry.add(1));
    EXPECT_EQ(entry.display(), "1_.__");
    EXPECT_FALSE(entry.add(2));
    EXPECT_EQ(entry.display(), "12.__");
    EXPECT_FALSE(entry.add(3));
    EXPECT_EQ(entry.display(), "12.3_");
    EXPECT_EQ(entry.add(4), 1234);
    EXPECT_TRUE(entry.isEmpty());
    EXPECT_FALSE(entry.add(10)) << "not a digit";
    EXPECT_TRUE(entry.isEmpty());
}

TEST(CommandLine, OptionsTakeTheNextArgumentAndPrintALine)
{
    struct Case {
        std::vector<std::string> arguments;
        const char* prefsPath;
        const char* user;
        const char* pass;
        std::string printed;
    };
    const Case cases[] = {
        {{"-user", "ann", "-user", "bob"}, nullptr, "bob", nullptr,
         "Using alternate username: ann\nUsing alternate username: bob\n"},
        {{"-prefspath"}, nullptr, nullptr, nullptr, ""},
        {{"-user=bob", "-pass", "secret1"}, nullptr, nullptr, "secret1", "Using alternate password: secret1\n"},
        {{"stray", "-prefspath", "/tmp/p.xml", "-USER", "x"}, "/tmp/p.xml", nullptr, nullptr,
         "Using alternate prefs path: /tmp/p.xml\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> storage = {"."};
        storage.insert(storage.end(), c.arguments.begin(), c.arguments.end());
        std::vector<char*> argv;
        for (std::string& argument : storage)
            argv.push_back(argument.data());
        char* buffer = nullptr;
        size_t size = 0;
        FILE* out = open_memstream(&buffer, &size);
        CommandLineOptions options;
        options.scan(int(argv.size()), argv.data(), out);
        std::fclose(out);
        EXPECT_EQ(std::string(buffer, size), c.printed);
        std::free(buffer);
        auto same = [](const std::optional<std::string>& value, const char* expected) {
            return expected ? value == std::string(expected) : !value.has_value();
        };
        EXPECT_TRUE(same(options.prefsPath, c.prefsPath)) << c.printed;
        EXPECT_TRUE(same(options.user, c.user)) << c.printed;
        EXPECT_TRUE(same(options.pass, c.pass)) << c.printed;
    }
}

class HotKeyCounter : public HotKeyController::Delegate {
public:
    void hotKeyDown() override { downs.push_back(now); }
    void hotKeyUp() override { ups.push_back(now); }
    double now = 0;
    std::vector<double> downs, ups;
};

TEST(HotKey, FunctionKeyNames)
{
    const std::pair<const char*, int> cases[] = {{"F1", 1}, {"F9", 9}, {"F12", 12}, {"F13", 0}, {"F0", 0},
                                                 {"F09", 0}, {"f9", 0}, {"", 0}, {"F", 0}, {"Space", 0}};
    for (auto [name, number] : cases)
        EXPECT_EQ(HotKeyController::functionKeyNumber(name), number) << name;
}

TEST(HotKey, DeadlineModeEndsABriefPressAfterHalfASecond)
{
    HotKeyCounter counter;
    HotKeyController key(counter);
    key.setMode(HotKeyController::Mode::Deadline);
    key.pressed(10.0, false);
    ASSERT_EQ(counter.downs.size(), 1u);
    for (double t = 10.0; t <= 10.6 + 1e-9; t += 1.0 / 30) {
        counter.now = t;
        key.check(t);
    }
    ASSERT_EQ(counter.ups.size(), 1u);
    EXPECT_GE(counter.ups[0] - 10.0, 0.5);
    EXPECT_LE(counter.ups[0] - 10.0, 0.6);
}

TEST(HotKey, DeadlineModeKeepsAHeldKeyPastTheKeyboardRepeatDelay)
{
    // X11's default: the first repeat comes 660 ms after the press, then every 40 ms.
    HotKeyCounter counter;
    HotKeyController key(counter);
    key.setMode(HotKeyController::Mode::Deadline);
    key.setRepeatDelay(0.66);
    key.pressed(0, false);
    double t = 0;
    for (double next = 0.66; next < 3.0; next += 0.04) {
        for (; t < next; t += 0.01)
            key.check(t);
        key.pressed(next, true);
    }
    EXPECT_TRUE(counter.ups.empty()) << "a held key ended the talk";
    for (; t < 3.7; t += 0.01) {
        counter.now = t;
        key.check(t);
    }
    ASSERT_EQ(counter.ups.size(), 1u);
    EXPECT_NEAR(counter.ups[0], 3.0 + 0.5, 0.05);
    EXPECT_EQ(counter.downs.size(), 1u);
}

TEST(HotKey, RealReleaseModeIgnoresRepeatsAndEndsOnTheRelease)
{
    HotKeyCounter counter;
    HotKeyController key(counter);
    key.setMode(HotKeyController::Mode::RealRelease);
    key.released(0.0);
    EXPECT_TRUE(counter.ups.empty()) << "a release without a press";
    key.pressed(1.0, false);
    key.pressed(1.7, true);
    key.pressed(1.8, false); // a grab reports repeats as presses
    key.check(100.0);
    EXPECT_EQ(counter.downs.size(), 1u);
    EXPECT_TRUE(counter.ups.empty()) << "no deadline with real releases";
    key.released(4.0);
    EXPECT_EQ(counter.ups.size(), 1u);
    key.pressed(5.0, false);
    key.setMode(HotKeyController::Mode::Off);
    EXPECT_EQ(counter.ups.size(), 2u) << "unregistering ends a talk in progress";
}

TEST(AccountChecks, RegistrationReportsTheFirstFailingCheck)
{
    struct Case {
        const char* password;
        const char* repeated;
        const char* name;
        const char* mail;
        const char* message;
    };
    const Case cases[] = {
        {"abcd", "abcd", "ab", "x", "]Poner Contrasena  .["},
        {"abcde", "abcde", "abcd", "x", "]Poner Nombre      .["},
        {"abcde", "abcde", "an user", "a@b", "]Poner Correo   .["},
        {"abcde", "abcde", "an user", "ann.example.org", "]Check email field.["},
        {"abcde", "abcdf", "an user", "ann@example.org", "]Check passwords again.["},
        {"abcde", "abcde", "an user", "ann@example.org", nullptr},
    };
    for (const Case& c : cases) {
        const char* message = RegistrationWindow::check(c.password, c.repeated, c.name, c.mail);
        if (c.message)
            EXPECT_STREQ(message, c.message) << c.password << " " << c.name << " " << c.mail;
        else
            EXPECT_EQ(message, nullptr);
    }
}

TEST(AccountChecks, PasswordChangeMessages)
{
    EXPECT_STREQ(PwChangeWindow::check("abcd", "abcd"), "Password too short.");
    EXPECT_STREQ(PwChangeWindow::check("ab", "abc"), "Check passwords again.");
    EXPECT_STREQ(PwChangeWindow::check("longpassword1", "longpassword2"), "Check passwords again.");
    EXPECT_EQ(PwChangeWindow::check("abcde", "abcde"), nullptr);
}

// Every marked text of the client's sources, layouts and menus has an English line in the
// shipped table, so no user sees a missing or Spanish text.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = std::filesystem::temp_directory_path() / ("zumeli-instance-" + std::to_string(getpid()));
        std::filesystem::create_directories(m_folder);
        ::setenv("XDG_RUNTIME_DIR", m_folder.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }
    std::filesystem::path m_folder;
};

TEST_F(SingleInstanceTest, ASecondCopyAsksTheFirstToRaiseItsWindow)
{
    SingleInstance first("Zumeli 3.1.4");
    ASSERT_EQ(first.claim(), SingleInstance::Outcome::First);
    EXPECT_FALSE(first.takeRaiseRequest());
    {
        SingleInstance second("Zumeli 3.1.4");
        EXPECT_EQ(second.claim(), SingleInstance::Outcome::OtherRunning);
    }
    EXPECT_TRUE(first.takeRaiseRequest());
    EXPECT_FALSE(first.takeRaiseRequest()) << "one request, one raise";
    SingleInstance otherVersion("Zumeli 3.1.5");
    EXPECT_EQ(otherVersion.claim(), SingleInstance::Outcome::First);
}

TEST_F(SingleInstanceTest, ASocketLeftByAKilledCopyIsReplaced)
{
    pid_t child = fork();
    if (child == 0) {
        SingleInstance killed("Zumeli 3.1.4");
        killed.claim();
        _exit(0); // no destructor: the socket file stays
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    SingleInstance next("Zumeli 3.1.4");
    ASSERT_TRUE(std::filesystem::exists(next.socketPath()));
    ASSERT_EQ(next.claim(), SingleInstance::Outcome::First);
    SingleInstance third("Zumeli 3.1.4");
    EXPECT_EQ(third.claim(), SingleInstance::Outcome::OtherRunning);
    EXPECT_TRUE(next.takeRaiseRequest());
}
