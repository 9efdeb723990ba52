#include "TestResources.h"

#include "ui/epiFile.h"
#include "ui/epiTextFile.h"

#include <gtest/gtest.h>

TEST(File, OpenFlags)
{
    ScratchFolder scratch;
    epiPath path((scratch.path() + "/data.bin").c_str());
    epiFile file;
    EXPECT_FALSE(file.open(path, epiFile::kRead));
    EXPECT_FALSE(file.open(path, epiFile::kReadWrite | epiFile::kMustExist));
    ASSERT_TRUE(file.open(path, epiFile::kReadWrite));
    EXPECT_TRUE(file.write("abcdef", 6));
    file.close();

    ASSERT_TRUE(file.open(path, epiFile::kReadWrite | epiFile::kMustExist));
    EXPECT_EQ(file.size(), 6u);
    EXPECT_TRUE(file.seek(2, epiStream::kStart));
    file.close(); // the end moves to the position: "ab"
    EXPECT_TRUE(file.open(path, epiFile::kRead));
    EXPECT_EQ(file.size(), 2u);
    char buffer[4];
    EXPECT_FALSE(file.read(buffer, 3)); // short reads fail
    EXPECT_FALSE(file.write("x", 1));   // read-only
    file.close();

    ASSERT_TRUE(file.open(path, epiFile::kReadWrite | epiFile::kDeleteFirst));
    EXPECT_EQ(file.size(), 0u);
    file.close();
    EXPECT_FALSE(file.open(epiPath(scratch.path().c_str()), epiFile::kRead)); // a folder
}

TEST(File, TextFilesAndPaths)
{
    ScratchFolder scratch;
    epiPath folder((scratch.path() + "/a/b").c_str());
    EXPECT_FALSE(folder.exists());
    EXPECT_TRUE(folder.createFolder());
    EXPECT_TRUE(folder.isFolder());
    epiPath path = folder;
    path.appendComponent("notes.txt");
    epiTextFile text("line one\r\nline two");
    ASSERT_TRUE(text.writeTo(path));
    epiTextFile read;
    ASSERT_TRUE(read.readFrom(path));
    EXPECT_EQ(read, "line one\r\nline two");
    EXPECT_TRUE(path.deleteFile());
    EXPECT_FALSE(read.readFrom(path));
    EXPECT_EQ(read, "line one\r\nline two"); // a failed read keeps the text
}

TEST(Path, SpecialFoldersFollowTheUserFolders)
{
    ScratchFolder scratch;
    std::string data = scratch.path() + "/data", config = scratch.path() + "/config";
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    epiPath path("unchanged");
    path.setSpecialFolder(epiFourCC("uAps"), true);
    EXPECT_EQ(path, epiText((data + "/").c_str()));
    path.setSpecialFolder(epiFourCC("uDoc"), true);
    EXPECT_EQ(path, epiText((config + "/").c_str()));
    path.setSpecialFolder(epiFourCC("zzzz"), true);
    EXPECT_EQ(path, epiText((config + "/").c_str()));
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
}
