#include "platform/UserFolders.h"
#include "tests/platform/ScopedEnv.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace Zumeli::Platform;

class UserFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() / ("zumeli-folders-" + std::to_string(getpid()));
        fs::remove_all(m_root);
    }
    void TearDown() override { fs::remove_all(m_root); }
    fs::path m_root;
};

TEST_F(UserFolders, XdgVariablesWinAndFoldersAreCreated)
{
    ScopedEnv data("XDG_DATA_HOME", (m_root / "data").c_str());
    ScopedEnv config("XDG_CONFIG_HOME", (m_root / "cfg/deep").c_str());
    EXPECT_EQ(appDataFolder(), (m_root / "data").string() + "/");
    EXPECT_EQ(documentsFolder(), (m_root / "cfg/deep").string() + "/");
    EXPECT_TRUE(fs::is_directory(m_root / "cfg/deep"));
}

TEST_F(UserFolders, FallsBackBelowHomeWhenUnsetOrRelative)
{
    ScopedEnv home("HOME", m_root.c_str());
    ScopedEnv data("XDG_DATA_HOME", nullptr);
    ScopedEnv config("XDG_CONFIG_HOME", "relative/is/ignored");
    EXPECT_EQ(appDataFolder(), (m_root / ".local/share").string() + "/");
    EXPECT_EQ(documentsFolder(), (m_root / ".config").string() + "/");
}

TEST_F(UserFolders, MakeFoldersFailsWhenAFileIsInTheWay)
{
    fs::create_directories(m_root);
    FILE* f = fopen((m_root / "file").c_str(), "w");
    ASSERT_NE(f, nullptr);
    fclose(f);
    EXPECT_FALSE(makeFolders((m_root / "file/below").string()));
    EXPECT_TRUE(makeFolders((m_root / "a/b/c").string()));
    struct stat info {};
    ASSERT_EQ(stat((m_root / "a/b/c").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}
