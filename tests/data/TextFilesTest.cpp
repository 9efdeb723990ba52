#include "data/Text.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace Zumeli;

class TextFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() / ("zumeli-textfiles-" + std::to_string(getpid()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override
    {
        fs::permissions(m_folder, fs::perms::owner_all);
        fs::remove_all(m_folder);
    }
    Text path(const char* name) const { return Text((m_folder / name).string()); }
    fs::path m_folder;
};

TEST_F(TextFiles, SaveAndLoadKeepEveryByte)
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += char(i);
    Text original(bytes);
    ASSERT_TRUE(original.saveToFile(path("all.bin")));
    Text loaded("previous");
    ASSERT_TRUE(loaded.loadFromFile(path("all.bin")));
    EXPECT_EQ(loaded, original);
    EXPECT_TRUE(Text::fileExists(path("all.bin")));

    Text empty;
    ASSERT_TRUE(empty.saveToFile(path("empty")));
    ASSERT_TRUE(loaded.loadFromFile(path("empty")));
    EXPECT_TRUE(loaded.isEmpty());
}

// A write that fails half way (here: the file size limit, as a full disk would) must leave
// the previous file whole and no temporary file behind.
TEST_F(TextFiles, FailedWriteLeavesTheOldFileAndNoLitter)
{
    ASSERT_TRUE(Text("good").saveToFile(path("keep.txt")));
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4;
    setrlimit(RLIMIT_FSIZE, &small);
    testing::internal::CaptureStdout();
    bool saved = Text("much longer than four bytes").saveToFile(path("keep.txt"));
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " error saving file\n");
    Text loaded;
    ASSERT_TRUE(loaded.loadFromFile(path("keep.txt")));
    EXPECT_EQ(loaded, "good");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 1);
}

TEST_F(TextFiles, SaveIntoAMissingFolderReportsTheError)
{
    testing::internal::CaptureStdout();
    EXPECT_FALSE(Text("x").saveToFile(path("missing/file")));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " error saving file\n");
}

TEST_F(TextFiles, SaveReplacesAtomicallyAndLeavesNoTemporaryFiles)
{
    ASSERT_TRUE(Text("first version, longer").saveToFile(path("f.txt")));
    ASSERT_TRUE(Text("second").saveToFile(path("f.txt")));
    Text loaded;
    ASSERT_TRUE(loaded.loadFromFile(path("f.txt")));
    EXPECT_EQ(loaded, "second");
    int entries = 0;
    for (auto& entry : fs::directory_iterator(m_folder)) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(TextFiles, OwnerOnlyAndKeptPermissions)
{
    ASSERT_TRUE(Text("secret").saveToFile(path("p"), true));
    struct stat info {};
    ASSERT_EQ(stat(path("p").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    ASSERT_TRUE(Text("x").saveToFile(path("shared")));
    chmod(path("shared").c_str(), 0640);
    ASSERT_TRUE(Text("y").saveToFile(path("shared")));
    ASSERT_EQ(stat(path("shared").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "a replaced file keeps its permissions";
}

TEST_F(TextFiles, MissingFilesAndFolders)
{
    Text loaded("unchanged");
    EXPECT_FALSE(loaded.loadFromFile(path("none")));
    EXPECT_EQ(loaded, "unchanged");
    EXPECT_FALSE(loaded.loadFromFile(Text(m_folder.string()))) << "a folder is not a file";
    EXPECT_FALSE(Text::fileExists(path("none")));

    testing::internal::CaptureStdout();
    EXPECT_FALSE(Text::removeFile(path("none")));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Remove " + path("none").str() + " error 2\n");

    Text folder = path("sub");
    EXPECT_TRUE(folder.createDirectory());
    EXPECT_TRUE(fs::is_directory(folder.str()));
    folder.appendBackslash().append("file");
    EXPECT_TRUE(Text("z").saveToFile(folder));
    EXPECT_TRUE(Text::removeFile(folder));
}

TEST_F(TextFiles, UserFoldersEndWithTheSeparator)
{
    setenv("XDG_DATA_HOME", (m_folder / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_folder / "config").c_str(), 1);
    Text folder;
    EXPECT_EQ(folder.setAppDataFolder(), Text((m_folder / "data").string() + "/"));
    EXPECT_EQ(folder.setDocumentsFolder(), Text((m_folder / "config").string() + "/"));
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
}
