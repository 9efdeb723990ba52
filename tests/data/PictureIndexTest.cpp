#include "data/PictureIndex.h"

#include "data/CacheFolders.h"
#include "tests/data/ScratchFolder.h"
#include "tests/platform/ScopedEnv.h"

#include <gtest/gtest.h>

using namespace Zumeli;

namespace {

class PictureIndexTest : public ::testing::Test {
protected:
    ScratchFolder home;
    ScopedEnv data { "XDG_DATA_HOME", (home.path() + "share").c_str() };
    std::string cache = home.path() + "share/Zumeli/Cache/";
    std::string indexFile = cache + PictureIndex::IndexFileName;
};

} // namespace

TEST(PictureIndex, FileNamesByKind)
{
    const struct {
        int kind;
        int id;
        const char* name;
    } cases[] = {
        { 0, 1000, "plateIPhone_1000.jpg" }, { 1, 1234, "channel_1234.jpg" }, { 2, 77, "user_77.jpg" },
        { 3, 1999, "plateDesktop_1999.jpg" }, { 2, -5, "user_-5.jpg" },      { 4, 1, "" },
        { -1, 1, "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(PictureIndex::fileName(c.kind, c.id).str(), c.name) << c.kind << "," << c.id;
}

TEST_F(PictureIndexTest, OpenCreatesTheFoldersLevelByLevel)
{
    PictureIndex index;
    ASSERT_TRUE(index.open());
    EXPECT_EQ(index.folder().str(), cache);
    EXPECT_TRUE(std::filesystem::is_directory(cache));
    EXPECT_EQ(CacheFolders::dataFolder().str(), home.path() + "share/Zumeli/");
    EXPECT_TRUE(index.isEmpty());
    EXPECT_EQ(index.picturePath(1, 5).str(), cache + "channel_5.jpg");
}

TEST_F(PictureIndexTest, VersionsAreSavedAtOnceAndReadBack)
{
    PictureIndex index;
    ASSERT_TRUE(index.open());
    ASSERT_TRUE(index.setVersion(1, 1234, 3));
    ASSERT_TRUE(index.setVersion(2, 77, 5));
    ASSERT_TRUE(index.setVersion(1, 1234, 4)) << "an existing entry is updated in place";
    EXPECT_FALSE(index.setVersion(9, 1, 1)) << "unknown kinds are not recorded";
    EXPECT_EQ(readWholeFile(indexFile), "version0\r\nchannel_1234.jpg,4\r\nuser_77.jpg,5\r\n");

    PictureIndex reopened;
    ASSERT_TRUE(reopened.open());
    Text path;
    EXPECT_TRUE(reopened.isCached(1, 1234, 4, path));
    EXPECT_EQ(path.str(), cache + "channel_1234.jpg");
    EXPECT_TRUE(reopened.isCached(1, 1234, 0, path)) << "version 0 accepts any recorded version";
    EXPECT_FALSE(reopened.isCached(1, 1234, 3, path));
    EXPECT_FALSE(reopened.isCached(3, 1234, 0, path));
    EXPECT_EQ(path.str(), cache + "plateDesktop_1234.jpg") << "the path is set even when not cached";
    EXPECT_FALSE(reopened.isCached(7, 1, 0, path));
}

TEST(PictureIndex, ReadingIndexTexts)
{
    const struct {
        const char* text;
        int entries;
    } cases[] = {
        { "version0\r\nchannel_5.jpg,7\r\n\r\n", 1 },
        { "version0\nchannel_5.jpg,7\n\nuser_1.jpg,x\n", 2 },
        { "Version0\r\nchannel_5.jpg,7\r\n", 0 },
        { "version00\r\nchannel_5.jpg,7\r\n", 0 },
        { "", 0 },
        { "version0", 0 },
        { "\xff\xfe garbage\r\nchannel_5.jpg,7", 0 },
    };
    for (const auto& c : cases) {
        PictureIndex index;
        index.loadIndexText(c.text);
        EXPECT_EQ(index.count(), c.entries) << c.text;
    }
    PictureIndex index;
    index.loadIndexText("version0\r\nchannel_5.jpg,7\r\nuser_1.jpg,x\r\n");
    ASSERT_EQ(index.count(), 2);
    EXPECT_EQ(index[0]->name.str(), "channel_5.jpg");
    EXPECT_EQ(index[0]->version, 7);
    EXPECT_EQ(index[1]->version, 0);
}

TEST_F(PictureIndexTest, WithoutAFolderNothingIsSaved)
{
    ScopedEnv noData { "XDG_DATA_HOME", nullptr };
    ScopedEnv noHome { "HOME", "/proc/no-such-home" };
    PictureIndex index;
    EXPECT_FALSE(index.open());
    EXPECT_FALSE(index.setVersion(1, 1, 1));
    Text path;
    EXPECT_TRUE(index.isCached(1, 1, 1, path)) << "kept in memory for this run";
}

// The index by name follows every change of the list: a name recorded twice keeps both entries
// in file order and look-ups find the first; a reload or a removal leaves nothing stale behind.
TEST(PictureIndex, LookUpsFollowTheListThroughDuplicatesReloadsAndRemovals)
{
    const char* file = "version0\r\nchannel_5.jpg,7\r\nuser_1.jpg,2\r\nchannel_5.jpg,9\r\n";
    PictureIndex index;
    index.loadIndexText(file);
    ASSERT_EQ(index.count(), 3);
    EXPECT_EQ(index.indexText(), file) << "order and duplicates kept";
    Text path;
    EXPECT_TRUE(index.isCached(1, 5, 7, path));
    EXPECT_FALSE(index.isCached(1, 5, 9, path)) << "the first entry of a name counts";
    EXPECT_FALSE(index.setVersion(1, 5, 8)) << "no folder, nothing saved";
    EXPECT_EQ(index[0]->version, 8) << "the first entry is updated";
    EXPECT_EQ(index[2]->version, 9);

    index.removeAt(0);
    EXPECT_TRUE(index.isCached(1, 5, 9, path)) << "the second entry of the name takes over";
    index.insertAt(0, std::make_unique<Document>(Document { "channel_5.jpg", 3 }));
    EXPECT_TRUE(index.isCached(1, 5, 3, path)) << "an entry put before it comes first";
    index.takeAt(0);
    index.takeAt(1);
    EXPECT_FALSE(index.isCached(1, 5, 0, path));

    index.loadIndexText("version0\r\nuser_2.jpg,1\r\n");
    EXPECT_FALSE(index.isCached(2, 1, 0, path)) << "a reload forgets the entries it replaced";
    EXPECT_TRUE(index.isCached(2, 2, 1, path));
    index.setVersion(3, 8, 4);
    EXPECT_TRUE(index.isCached(3, 8, 4, path));
    index.clear();
    EXPECT_FALSE(index.isCached(2, 2, 0, path));
}
