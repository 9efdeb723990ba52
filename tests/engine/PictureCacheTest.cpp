#include "engine/PictureCache.h"
#include "tests/data/TempFolder.h"

#include <gtest/gtest.h>

using namespace Zumeli;

TEST(PictureCache, LookupRecordAndFixedFiles)
{
    TempFolder temp("pictures");
    PictureIndex index;
    ASSERT_TRUE(index.openIn(temp.folder()));
    PictureCache cache(index);

    Text path;
    bool present = true;
    cache.lookup(2, 42, 0, path, present);
    EXPECT_FALSE(present);
    EXPECT_EQ(path, temp.folder().append("user_42.jpg"));

    cache.record(3, 1234, 7);
    cache.lookup(3, 1234, 0, path, present);
    EXPECT_TRUE(present) << "stamp 0 takes any cached version";
    EXPECT_EQ(path, temp.folder().append("plateDesktop_1234.jpg"));
    cache.lookup(3, 1234, 8, path, present);
    EXPECT_FALSE(present) << "a newer version must be fetched";

    PictureIndex reopened;
    ASSERT_TRUE(reopened.openIn(temp.folder()));
    EXPECT_TRUE(PictureCache(reopened).channelPhotoPath().equals(temp.folder().append("channelphoto.jpg").c_str()));
    EXPECT_TRUE(reopened.isCached(3, 1234, 7, path)) << "recorded versions are saved at once";
    EXPECT_EQ(cache.headerImagePath(705), temp.folder().append("header_0705.jpg"));
}
