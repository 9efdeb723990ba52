#include "data/TextLocalizer.h"

#include "data/Checksum.h"
#include "data/Groups.h"
#include "data/Preferences.h"
#include "tests/data/ScratchFolder.h"
#include "tests/platform/ScopedEnv.h"

#include <gtest/gtest.h>

using namespace Zumeli;

namespace {

// A small table in the shipped shape: a BOM, an empty first item, one element per language.
const char* const table =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<language>\r\n"
    "<item><lookup_id></lookup_id><it></it><en></en></item>\r\n"
    "<item><lookup_id>*VERSIONTIMESTAMP</lookup_id><it>41,2026</it><en>41,2026</en><fr>41,2026</fr></item>\r\n"
    "<item><lookup_id> *FRIENDS_31EB </lookup_id><it>Amici</it><en>Friends</en><fr>Amis</fr></item>\r\n"
    "<item><lookup_id>*CHANNEL_FULL_NO_ACC_1281</lookup_id><it></it><en>Channel full. No access. Retry later.</en>"
    "<fr>Canal plein.</fr></item>\r\n"
    "<item><lookup_id>*ABC_2A42</lookup_id><it>l&apos;abc &quot;x&quot; &amp; &apos</it><en>abc</en></item>\r\n"
    "<item><lookup_id>*ABC_2A42</lookup_id><it>second</it><en>second</en></item>\r\n"
    "</language>\r\n";

TextLocalizer localizerFor(const char* language)
{
    TextLocalizer localizer;
    localizer.setLanguage(language);
    localizer.load(table);
    return localizer;
}

std::string translated(TextLocalizer& localizer, const char* input)
{
    Text out("left over");
    localizer.translate(input, out);
    return out.str();
}

} // namespace

TEST(TextLocalizer, LookupIdsOfMarkedTexts)
{
    const struct {
        const char* text;
        const char* id;
    } cases[] = {
        { "abc", "*ABC_2A42" },
        { "Friends", "*FRIENDS_31EB" },
        { "Channel full. No access. Retry later.", "*CHANNEL_FULL_NO_ACC_1281" },
        { "Caf\xC3\xA9 ok", "*CAF_OK_2E5B" },   // bytes from 0x80 are skipped and summed as negative
        { "Hello world ", "*HELLO_WORLD_406E" }, // an id ending in "_" gets no second one
        { "", "*_291A" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextLocalizer::lookupId(c.text).str(), c.id) << c.text;
}

TEST(TextLocalizer, TranslatesMarkedPartsAndKeepsTheRest)
{
    TextLocalizer italian = localizerFor("it-IT");
    EXPECT_EQ(italian.language().str(), "it");
    EXPECT_EQ(italian.count(), 6);
    EXPECT_EQ(translated(italian, "Hello ]Friends[!"), "Hello Amici!");
    EXPECT_EQ(translated(italian, "]*VERSIONTIMESTAMP["), "41,2026") << "found by its own id";
    EXPECT_EQ(translated(italian, "]Channel full. No access. Retry later.["), "Channel full. No access. Retry later.")
        << "an empty language text falls back to English";
    EXPECT_EQ(translated(italian, "]abc["), "l'abc \"x\" &amp; &apos") << "first duplicate wins; only two entities";
    EXPECT_EQ(translated(italian, "]a]b[c["), "bac");
    EXPECT_EQ(translated(italian, "x[y]z[w"), "xyzw") << "an unmatched [ sends bytes to the output";
    EXPECT_EQ(translated(italian, "no markers"), "no markers");
    EXPECT_EQ(translated(italian, nullptr), "");
    EXPECT_STREQ(italian.translateStatic("]Friends[ ]Friends["), "Amici Amici");

    TextLocalizer hebrew = localizerFor("he");
    EXPECT_EQ(translated(hebrew, "]Friends["), "Friends") << "a language without a column shows English";
}

TEST(TextLocalizer, MissingIdsAreCollectedOnce)
{
    TextLocalizer localizer = localizerFor("fr");
    EXPECT_FALSE(localizer.missingAdded());
    EXPECT_EQ(translated(localizer, "]Unknown text["), "Unknown text");
    EXPECT_EQ(localizer.missing().str(), "*UNKNOWN_TEXT_4404\tUnknown text\r\n");
    EXPECT_TRUE(localizer.missingAdded());
    translated(localizer, "Again: ]Unknown text[");
    EXPECT_EQ(localizer.missing().lineCount(), 1);
    EXPECT_EQ(translated(localizer, "]*NO_SUCH_ID["), "*NO_SUCH_ID");
    EXPECT_EQ(localizer.missing().lineCount(), 2);
    localizer.clearMissing();
    EXPECT_TRUE(localizer.missing().isEmpty());
    EXPECT_FALSE(localizer.missingAdded());
    translated(localizer, "]Unknown text[");
    EXPECT_EQ(localizer.missing().str(), "*UNKNOWN_TEXT_4404\tUnknown text\r\n") << "listed again after clearing";
    EXPECT_TRUE(localizer.missingAdded());
}

TEST(TextLocalizer, BrokenTablesGiveEnglishWithoutCrashing)
{
    const std::string whole = table;
    for (size_t cut = 0; cut <= whole.size(); ++cut) {
        TextLocalizer localizer;
        localizer.setLanguage("fr");
        localizer.load(Text(whole.substr(0, cut)));
        std::string out = translated(localizer, "]Friends[ ]abc[");
        ASSERT_TRUE(out == "Friends abc" || out == "Amis abc") << "cut at " << cut << ": " << out;
        if (cut < whole.size() - 2) {
            EXPECT_EQ(localizer.count(), 0) << "an unclosed language element gives an empty table";
        }
    }
    for (const char* broken : { "", "<language>", "<language><item><lookup_id>x", "<language><item/></language>" }) {
        TextLocalizer localizer;
        localizer.load(broken);
        EXPECT_EQ(translated(localizer, "]Friends["), "Friends") << broken;
    }
}

namespace {

// Localisation start-up with its own data folder, language environment and preferences.
class LocalisationStartup : public ::testing::Test {
protected:
    ScratchFolder home;
    ScopedEnv data { "XDG_DATA_HOME", home.path().c_str() };
    ScopedEnv config { "XDG_CONFIG_HOME", home.path().c_str() };
    ScopedEnv all { "LC_ALL", nullptr };
    ScopedEnv messages { "LC_MESSAGES", nullptr };
    ScopedEnv lang { "LANG", "fr_FR.UTF-8" };
    std::string folder = home.path() + "Zumeli/";
    Preferences preferences;

    void SetUp() override { preferences.load(); }
    void writeOverride(const char* content)
    {
        std::filesystem::create_directories(folder);
        ASSERT_TRUE(writeWholeFile(folder + TextLocalizer::OverrideFileName, content));
    }
};

} // namespace

TEST_F(LocalisationStartup, LanguageComesFromOverrideThenPreferenceThenSystem)
{
    TextLocalizer localizer;
    localizer.loadLocalisation(table, preferences);
    EXPECT_EQ(localizer.language().str(), "fr") << "the system's language";
    EXPECT_EQ(translated(localizer, "]Friends["), "Amis");

    preferences.set("public.prefersenglish", "1");
    localizer.loadLocalisation(table, preferences);
    EXPECT_EQ(localizer.language().str(), "en");

    writeOverride("it\r\n");
    Groups groups;
    localizer.loadLocalisation(table, preferences, &groups);
    EXPECT_EQ(localizer.language().str(), "it") << "the override file beats public.prefersenglish";
    EXPECT_EQ(translated(localizer, "]Friends["), "Amici");
    Text friends;
    groups.groupName(Groups::Friends, friends);
    EXPECT_EQ(friends.str(), "Amici") << "default group names are translated again";
}

TEST_F(LocalisationStartup, HebrewAndGreekLocalesReadTheTablesOwnColumns)
{
    // The table names Hebrew "il" and Greek "gr"; the locale says "he" (or the old "iw") and "el".
    const char* const hebrewAndGreek = "<language>"
                                       "<item><lookup_id>*FRIENDS_31EB</lookup_id><en>Friends</en>"
                                       "<il>\xD7\x97\xD7\x91\xD7\xA8\xD7\x99\xD7\x9D</il>"
                                       "<gr>\xCE\xA6\xCE\xAF\xCE\xBB\xCE\xBF\xCE\xB9</gr></item>"
                                       "</language>";
    const struct {
        const char* locale;
        const char* column;
        const char* friends;
    } cases[] = {
        { "he_IL.UTF-8", "il", "\xD7\x97\xD7\x91\xD7\xA8\xD7\x99\xD7\x9D" },
        { "iw_IL", "il", "\xD7\x97\xD7\x91\xD7\xA8\xD7\x99\xD7\x9D" },
        { "el_GR.UTF-8", "gr", "\xCE\xA6\xCE\xAF\xCE\xBB\xCE\xBF\xCE\xB9" },
        { "de_DE.UTF-8", "de", "Friends" },
    };
    for (const auto& c : cases) {
        ScopedEnv locale { "LANG", c.locale };
        TextLocalizer localizer;
        localizer.loadLocalisation(hebrewAndGreek, preferences);
        EXPECT_EQ(localizer.language().str(), c.column) << c.locale;
        EXPECT_EQ(translated(localizer, "]Friends["), c.friends) << c.locale;
    }
}

TEST_F(LocalisationStartup, DownloadedTableBeatsTheShippedOne)
{
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(writeWholeFile(folder + TextLocalizer::TableFileName,
                               "<language><item><lookup_id>*FRIENDS_31EB</lookup_id><fr>Copains</fr></item></language>"));
    TextLocalizer localizer;
    translated(localizer, "]Unknown[");
    localizer.loadLocalisation(table, preferences);
    EXPECT_EQ(translated(localizer, "]Friends["), "Copains");
    EXPECT_EQ(localizer.missing().lineCount(), 0) << "loading clears the missing ids";
}

TEST_F(LocalisationStartup, UpdateFromServiceIsCheckedOnceAndVerified)
{
    const std::string newTable =
        "<language><item><lookup_id>*VERSIONTIMESTAMP</lookup_id><en>42,2027</en></item>"
        "<item><lookup_id>*FRIENDS_31EB</lookup_id><fr>Nouveaux amis</fr></item></language>";
    const std::string signedTable = newTable + checksumHex(Text(newTable.c_str())).str();
    const std::string tablePath = folder + TextLocalizer::TableFileName;

    int fetches = 0;
    auto serve = [&](const std::string& reply) {
        return [&fetches, reply](Text& out) {
            ++fetches;
            out = Text(reply);
            return true;
        };
    };

    {
        TextLocalizer localizer;
        localizer.loadLocalisation(table, preferences);
        EXPECT_FALSE(localizer.updateFromService("41,whatever", serve(signedTable)));
        EXPECT_EQ(fetches, 0) << "same version: nothing is fetched";
        EXPECT_FALSE(localizer.updateFromService("99", serve(signedTable))) << "checked once per run";
        EXPECT_EQ(fetches, 0);
    }
    {
        TextLocalizer localizer;
        localizer.loadLocalisation(table, preferences);
        EXPECT_FALSE(localizer.updateFromService("", serve(signedTable)));
        EXPECT_EQ(fetches, 0) << "no announced version: nothing happens";
    }

    std::string badDigest = signedTable;
    badDigest.back() = badDigest.back() == '0' ? '1' : '0';
    for (const std::string& bad : { badDigest, std::string("12345678"), newTable }) {
        TextLocalizer localizer;
        localizer.loadLocalisation(table, preferences);
        EXPECT_FALSE(localizer.updateFromService("42", serve(bad)));
        EXPECT_FALSE(Text::fileExists(Text(tablePath.c_str())));
        EXPECT_EQ(translated(localizer, "]Friends["), "Amis") << "the old table stays";
    }

    TextLocalizer localizer;
    localizer.loadLocalisation(table, preferences);
    const std::string httpReply = "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n" + signedTable;
    EXPECT_TRUE(localizer.updateFromService("42,2027", serve(httpReply)));
    EXPECT_EQ(readWholeFile(tablePath), newTable) << "saved without the digest";
    EXPECT_EQ(translated(localizer, "]Friends["), "Nouveaux amis");
    EXPECT_TRUE(localizer.acceptUpdate(Text(signedTable.c_str()))) << "a bare table with its digest";

    TextLocalizer nextRun;
    nextRun.loadLocalisation(table, preferences);
    EXPECT_EQ(translated(nextRun, "]*VERSIONTIMESTAMP["), "42,2027");
}
