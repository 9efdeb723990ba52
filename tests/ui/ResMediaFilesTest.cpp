// A folder resource set serves only what lies inside its folder: names that climb out of it
// with "..", that are absolute beyond the set's own leading "/", or that hide a zero byte find
// nothing, whichever operation is asked.
#include "TestResources.h"

#include "ui/epiRamFile.h"
#include "ui/epiResMediaFiles.h"

#include <gtest/gtest.h>

namespace {

class FolderSet : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Beside the set: a file and a folder that must stay out of reach.
        m_scratch.write("secret.txt", bytesOf("secret"));
        m_scratch.write("Other/epi.frs", bytesOf("<epi/>"));
        m_scratch.write("Other/images/x.png", bytesOf("other"));
        m_scratch.write("Test.frs/epi.frs", bytesOf("<epi/>"));
        m_scratch.write("Test.frs/images/a.png", bytesOf("inside"));
        m_scratch.write("Test.frs/images/..b.png", bytesOf("dots in a name"));
        ASSERT_TRUE(m_set.openPath(epiPath((m_scratch.path() + "/Test.frs").c_str())));
    }

    // What every reading operation finds for the name; empty when none finds anything.
    std::string served(const epiText& name)
    {
        epiRamFile file;
        epiText text;
        std::vector<uint8_t> bytes;
        epiPath native;
        bool read = m_set.readFile(name, file);
        bool readText = m_set.readText(name, text);
        bool readBytes = m_set.readBytes(name, bytes);
        bool exists = m_set.exists(name);
        bool hasNative = m_set.nativePath(name, native);
        if (read != readText || read != readBytes || read != exists || read != hasNative)
            return "operations disagree";
        return read ? std::string(text.view()) : std::string();
    }

    ScratchFolder m_scratch;
    epiResMediaFiles m_set;
};

} // namespace

TEST_F(FolderSet, NamesInsideTheSetAreServed)
{
    for (const char* name : {"images/a.png", "/images/a.png", "images/./a.png"})
        EXPECT_EQ(served(name), "inside") << name;
    EXPECT_EQ(served("images/..b.png"), "dots in a name") << "only a whole \"..\" component climbs";
}

TEST_F(FolderSet, NamesReachingOutsideAreRefused)
{
    const std::string outsideAbsolute = "/" + m_scratch.path() + "/secret.txt";
    const std::string outsideWithZero = std::string("images/a.png") + '\0' + "/../../secret.txt";
    const std::string names[] = {
        "../secret.txt",   "/../secret.txt", "images/../../secret.txt", "images/../../Other/images/x.png",
        "./../secret.txt", outsideAbsolute,  outsideWithZero,
        "images/../a.png", // stays inside, but a pack could not hold such a name either
    };
    for (const std::string& name : names)
        EXPECT_EQ(served(epiText(name.data(), name.size())), "") << name;
}

TEST_F(FolderSet, ListingsOutsideTheSetAreEmpty)
{
    epiText list;
    m_set.listFolder("/images/", list, true);
    EXPECT_EQ(list, "..b.png\r\na.png\r\n");
    for (const char* prefix : {"/../", "../Other/", "/images/../../", "//"}) {
        m_set.listFolder(prefix, list, true);
        EXPECT_EQ(list, "") << prefix;
    }
}

TEST_F(FolderSet, TheResourcesFrontEndRefusesThemToo)
{
    epiResources resources;
    resources.init();
    ASSERT_TRUE(resources.openSet(epiPath((m_scratch.path() + "/Test.frs").c_str())));
    epiText text;
    EXPECT_TRUE(resources.readResourceText("a.png", epiResources::kImages, text));
    EXPECT_FALSE(resources.readResourceText("../../secret.txt", epiResources::kImages, text));
    epiPath native;
    EXPECT_FALSE(resources.nativePath("../../Other/images/x.png", epiResources::kImages, native));
}
