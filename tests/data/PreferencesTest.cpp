#include "data/Preferences.h"

#include "tests/data/ScratchFolder.h"
#include "tests/platform/ScopedEnv.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Zumeli;

namespace {

// A preferences store whose configuration folder is a fresh temporary folder.
class PreferencesTest : public ::testing::Test {
protected:
    ScratchFolder home;
    ScopedEnv config { "XDG_CONFIG_HOME", home.path().c_str() };
    std::string defaultFile = home.file(Preferences::FileName);
};

PreferencesStartup startup(const char* prefsPath, const char* user = nullptr, const char* pass = nullptr)
{
    PreferencesStartup options;
    if (prefsPath)
        options.prefsPath = Text(prefsPath);
    if (user)
        options.user = Text(user);
    if (pass)
        options.pass = Text(pass);
    return options;
}

mode_t permissions(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

} // namespace

TEST_F(PreferencesTest, FileIsWrittenByteForByteWithOwnerOnlyPermissions)
{
    Preferences preferences;
    preferences.load();
    EXPECT_EQ(preferences.path().str(), defaultFile);
    EXPECT_FALSE(Text::fileExists(Text(defaultFile.c_str()))) << "loading alone writes nothing";

    preferences.setUserName("ann");
    preferences.set("ui.favourites", "1000,1001");
    EXPECT_EQ(readWholeFile(defaultFile),
              "<settings>\r\n<archive>"
              "<item><name>private.username</name>\r\n<data>ann</data>\r\n</item>"
              "<item><name>private.password</name>\r\n<data></data>\r\n</item>"
              "<item><name>ui.favourites</name>\r\n<data>1000,1001</data>\r\n</item>"
              "</archive></settings>\r\n");
    EXPECT_EQ(permissions(defaultFile), 0600u);

    Preferences reloaded;
    reloaded.load();
    EXPECT_EQ(reloaded.userName().str(), "ann");
    EXPECT_EQ(reloaded.get("ui.favourites").str(), "1000,1001");
    EXPECT_EQ(reloaded.archive().count(), 3);
}

TEST_F(PreferencesTest, ReplacingAReadableFileMakesItOwnerOnly)
{
    ASSERT_TRUE(writeWholeFile(defaultFile, "<settings>\r\n<archive></archive></settings>\r\n"));
    ::chmod(defaultFile.c_str(), 0644);
    Preferences preferences;
    preferences.load();
    preferences.setPassword("secret");
    EXPECT_EQ(permissions(defaultFile), 0600u);
}

TEST_F(PreferencesTest, NumbersDefaultsAndAbsentKeys)
{
    Preferences preferences;
    preferences.load();
    EXPECT_EQ(preferences.getFloat("private.volumein"), 0.0f);
    EXPECT_TRUE(preferences.get("no.such.key").isEmpty());

    preferences.setFloat("private.volumein", 0.5f);
    EXPECT_EQ(preferences.get("private.volumein").str(), "0.5000");
    EXPECT_FLOAT_EQ(preferences.getFloat("private.volumein"), 0.5f);

    // setDefault never overwrites and never saves on its own.
    preferences.setDefault("private.volumein", "1.0");
    preferences.addEngineDefaults();
    EXPECT_EQ(preferences.get("private.volumein").str(), "0.5000");
    EXPECT_EQ(preferences.get("public.cbsounds").str(), "1");
    EXPECT_EQ(preferences.get("private.autotalk.deactivate.time").str(), "0.5");
    EXPECT_EQ(readWholeFile(defaultFile).find("public.cbsounds"), std::string::npos);
    preferences.set("public.playthru", "1");
    EXPECT_NE(readWholeFile(defaultFile).find("<name>public.cbsounds</name>\r\n<data>1</data>"), std::string::npos);
}

TEST_F(PreferencesTest, PasswordsReadBackAfterScrambling)
{
    const char* const passwords[] = { "", "a", "ab", "pässwörd", "with space & <xml>", "0123456789abcdefXYZ!", "\x01\x7f\xff" };
    for (const char* password : passwords) {
        Preferences preferences;
        preferences.load();
        preferences.setPassword(password);
        Text stored = preferences.get("private.password");
        EXPECT_EQ(stored.length(), 2 * int(std::strlen(password))) << password;
        for (char c : stored.str())
            EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'U' && c <= 'Z')) << password << " holds " << c;
        EXPECT_EQ(preferences.password().str(), password);

        Preferences reloaded;
        reloaded.load();
        EXPECT_EQ(reloaded.password().str(), password) << "read back from the file";
    }
    // "ab" is hexadecimal 6162; halves 61|62 interleave as 6,6,1,2 and mirror to 3,3,8,7.
    EXPECT_EQ(Preferences::scramblePassword("ab").str(), "3387");
    EXPECT_EQ(Preferences::unscramblePassword("3387").str(), "ab");
}

TEST_F(PreferencesTest, OddOrForeignStoredPasswordsDoNotCrash)
{
    ASSERT_TRUE(writeWholeFile(defaultFile, "<settings>\r\n<archive><item><name>private.password</name>\r\n"
                                            "<data>387</data>\r\n</item></archive></settings>\r\n"));
    Preferences preferences;
    preferences.load();
    EXPECT_TRUE(preferences.password().isEmpty()) << "odd length reads as empty";
    EXPECT_TRUE(Preferences::unscramblePassword("x").isEmpty());
    EXPECT_EQ(Preferences::unscramblePassword("GG").length(), 1) << "non-digits decode as zero nibbles";
}

TEST_F(PreferencesTest, StartupOptionsChooseThePathAndTheLogin)
{
    {
        Preferences preferences;
        preferences.load(startup("/tmp/p.xml"));
        EXPECT_EQ(preferences.path().str(), "/tmp/p.xml");
    }
    {
        Preferences preferences;
        preferences.load(startup("2"));
        EXPECT_EQ(preferences.path().str(), defaultFile + "2");
    }

    // -user changes memory only; -pass is stored and saved at once.
    std::string path = home.file("own.prefs");
    Preferences withUser;
    withUser.load(startup(path.c_str(), "bob"));
    EXPECT_EQ(withUser.userName().str(), "bob");
    EXPECT_EQ(withUser.get("public.isregisteredlogin").str(), "1");
    EXPECT_FALSE(Text::fileExists(Text(path.c_str())));

    Preferences withPass;
    withPass.load(startup(path.c_str(), "bob", "pw&1"));
    EXPECT_EQ(withPass.password().str(), "pw&1");
    Preferences reloaded;
    reloaded.load(startup(path.c_str()));
    EXPECT_EQ(reloaded.password().str(), "pw&1");
    EXPECT_EQ(reloaded.userName().str(), "bob") << "the -user name reached the file with the -pass save";
}

TEST_F(PreferencesTest, FailedSaveKeepsValuesInMemory)
{
    std::string path = home.file("missing-folder/prefs");
    Preferences preferences;
    preferences.load(startup(path.c_str()));
    EXPECT_FALSE(preferences.set("private.username", "carol")) << "the save failed";
    EXPECT_FALSE(preferences.save());
    EXPECT_EQ(preferences.userName().str(), "carol");
}

TEST_F(PreferencesTest, CorruptOrTruncatedFilesGiveTheDefaults)
{
    Preferences writer;
    writer.load();
    writer.setUserName("dave");
    writer.setPassword("pw");
    const std::string whole = readWholeFile(defaultFile);
    const size_t complete = whole.find("</settings>") + std::strlen("</settings>");

    // Any cut before the closing settings tag leaves an unclosed element: only the defaults.
    for (size_t cut = 0; cut < complete; ++cut) {
        Preferences preferences;
        preferences.loadFromText(Text(whole.substr(0, cut)));
        ASSERT_EQ(preferences.archive().count(), 2) << "cut at " << cut;
        EXPECT_TRUE(preferences.userName().isEmpty());
        EXPECT_TRUE(preferences.password().isEmpty());
    }

    const char* const foreign[] = { "", "\xEF\xBB\xBF", "not xml at all", "<settings>", "<settings/>",
                                    "<settings><archive><item><name>a</name></item></archive></settings>",
                                    "<archive><item><name>private.username</name><data>x</data></item></archive>" };
    for (const char* text : foreign) {
        Preferences preferences;
        preferences.loadFromText(Text(text));
        EXPECT_TRUE(preferences.archive().contains("private.username")) << text;
        EXPECT_TRUE(preferences.userName().isEmpty()) << text;
    }
}

TEST_F(PreferencesTest, ValuesWithMarkupReadBackExactlyAndLoseNothing)
{
    const char* const values[] = { "x</archive>y", "</data>", "<item>", "a < b", "<", "Ctrl+<",
                                   "&lt;", "&amp;lt;", "a & b &amp c", "\"quoted\" > it" };
    Preferences preferences;
    preferences.load();
    ASSERT_TRUE(preferences.setPassword("pw"));
    for (size_t i = 0; i < std::size(values); ++i)
        ASSERT_TRUE(preferences.set(("ui.value" + std::to_string(i)).c_str(), values[i]));
    ASSERT_TRUE(preferences.set("<odd key>", "1"));
    ASSERT_TRUE(preferences.setUserName("erin"));

    Preferences reloaded;
    reloaded.load();
    for (size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(reloaded.get(("ui.value" + std::to_string(i)).c_str()).str(), values[i]);
    EXPECT_EQ(reloaded.get("<odd key>").str(), "1");
    EXPECT_EQ(reloaded.userName().str(), "erin") << "no setting after a markup value was lost";
    EXPECT_EQ(reloaded.password().str(), "pw");

    const std::string file = readWholeFile(defaultFile);
    EXPECT_NE(file.find("<data>x&lt;/archive>y</data>"), std::string::npos);
    EXPECT_NE(file.find("<data>a & b &amp c</data>"), std::string::npos) << "a plain & is written as it is";
}
