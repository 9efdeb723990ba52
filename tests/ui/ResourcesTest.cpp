#include "TestResources.h"

#include "ui/epiBitmap.h"
#include "ui/epiResMediaFiles.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> pngOf(int width, int height, uint32_t argb)
{
    epiBitmap bitmap(width, height);
    bitmap.fill(bitmap.bounds(), argb);
    return bitmap.encodePng();
}

TestFiles sampleFiles()
{
    return {
        {"/epi.frs", bytesOf("<epi><version>4</version><signature>epiResourceFile</signature></epi>")},
        {"/layouts/a_file.xml", bytesOf(layoutDocument("main", "<size>640,480</size>"))},
        {"/layouts/zz_about_under_another_name.xml", bytesOf(layoutDocument("abou", "<size>300,200</size>"))},
        {"/layouts/notes.txt", bytesOf("<epi><content><name>abou</name></content></epi>")},
        // In sorted order, as the packer writes them (a pack lists in file order).
        {"/images/broken.png", bytesOf("\x89PNG but not")},
        {"/images/face.png", pngOf(4, 2, epiArgb(255, 10, 20, 30))},
        {"/images/face_alpha.png", pngOf(4, 2, epiArgb(255, 128, 0, 0))},
        {"/images/geo/map.png", pngOf(1, 1, epiArgb(255, 0, 0, 0))},
        {"/images/plain.png", pngOf(2, 2, epiArgb(255, 1, 2, 3))},
        {"/aux/ZumeliLocalization.xml", bytesOf("<table/>")}};
}

// The same checks run against the three kinds of resource set.
enum class SetKind
{
    Linked,
    PackFile,
    Folder
};

class ResourceSets : public ::testing::TestWithParam<SetKind>
{
protected:
    void SetUp() override
    {
        m_resources.init();
        switch (GetParam()) {
        case SetKind::Linked:
            ASSERT_TRUE(m_resources.openNativePack(m_linked.identifier()));
            break;
        case SetKind::PackFile:
            m_scratch.write("Test.prs", packBytes(sampleFiles()));
            ASSERT_TRUE(m_resources.openSet(epiPath((m_scratch.path() + "/Test.prs").c_str())));
            break;
        case SetKind::Folder:
            m_scratch.writeAll("Test.frs", sampleFiles());
            ASSERT_TRUE(m_resources.openSet(epiPath((m_scratch.path() + "/Test.frs").c_str())));
            break;
        }
    }

    LinkedTestPack m_linked{sampleFiles()};
    ScratchFolder m_scratch;
    epiResources m_resources;
};

} // namespace

TEST_P(ResourceSets, ReadsByFolderCode)
{
    epiText text;
    EXPECT_TRUE(m_resources.readResourceText("ZumeliLocalization.xml", epiResources::kAux, text));
    EXPECT_EQ(text, "<table/>");
    EXPECT_FALSE(m_resources.readResourceText("zumelilocalization.xml", epiResources::kAux, text));
    EXPECT_EQ(m_resources.resourcePath(epiResources::kLayouts, "about.xml"), "layouts/about.xml");
    EXPECT_EQ(m_resources.resourcePath(epiFourCC("none"), "x"), "x");
    epiPath native;
    EXPECT_EQ(m_resources.nativePath("face.png", epiResources::kImages, native),
              GetParam() == SetKind::Folder);
}

TEST_P(ResourceSets, ListingLeavesSubFoldersOutUnlessRecursive)
{
    epiText flat, deep;
    ASSERT_TRUE(m_resources.listFolder(epiResources::kImages, flat, false));
    ASSERT_TRUE(m_resources.listFolder(epiResources::kImages, deep, true));
    EXPECT_EQ(flat, "broken.png\r\nface.png\r\nface_alpha.png\r\nplain.png\r\n");
    EXPECT_EQ(deep, "broken.png\r\nface.png\r\nface_alpha.png\r\ngeo/map.png\r\nplain.png\r\n");
}

TEST_P(ResourceSets, DocumentsAreFoundByTheirContentName)
{
    epiText fileName;
    ASSERT_TRUE(m_resources.findDocument(epiResources::kLayouts, epiFourCC("abou"), fileName));
    EXPECT_EQ(fileName, "zz_about_under_another_name.xml"); // notes.txt is not XML by name
    EXPECT_FALSE(m_resources.findDocument(epiResources::kLayouts, epiFourCC("none"), fileName));
    epiRect size;
    ASSERT_TRUE(m_resources.layoutSize(epiFourCC("abou"), size));
    EXPECT_EQ(size, epiRect(0, 0, 300, 200));
}

TEST_P(ResourceSets, BitmapsAreCachedWithTheirAlphaCompanion)
{
    epiBitmap* face = m_resources.bitmap("face.png");
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->width(), 4);
    EXPECT_EQ(face->pixel(3, 1), epiArgb(128, 10, 20, 30)); // alpha from the companion's red
    EXPECT_EQ(m_resources.bitmap("face.png"), face);
    EXPECT_EQ(static_cast<epiBitmapCast*>(face)->useCount, 2);
    epiBitmap* plain = m_resources.bitmap("plain.png");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->pixel(0, 0), epiArgb(255, 1, 2, 3));
    EXPECT_EQ(m_resources.bitmap("broken.png"), nullptr);
    EXPECT_EQ(m_resources.bitmap("missing.png"), nullptr);
    EXPECT_NE(m_resources.bitmap("geo/map.png"), nullptr);
    EXPECT_EQ(m_resources.bitmapCache().size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, ResourceSets,
                         ::testing::Values(SetKind::Linked, SetKind::PackFile, SetKind::Folder),
                         [](const ::testing::TestParamInfo<SetKind>& info) {
                             return std::string(info.param == SetKind::Linked     ? "Linked"
                                                : info.param == SetKind::PackFile ? "PackFile"
                                                                                  : "Folder");
                         });

TEST(Resources, OpenPackTriesTheCandidatesInOrder)
{
    ScratchFolder scratch;
    epiPath programFolder = epiPath::applicationFolder();
    epiPath::setApplicationFolder(scratch.path().c_str());
    epiResources resources;
    resources.init();
    EXPECT_FALSE(resources.openPack("Zumeli"));

    scratch.write("Alt.prs", {}); // damaged: skipped for the next candidate
    scratch.write("Zumeli.app/Contents/Resources/Alt.prs", packBytes(sampleFiles()));
    EXPECT_TRUE(resources.openPack("Zumeli", "Alt"));
    EXPECT_TRUE(resources.media()->rootPath().endsWith("Zumeli.app/Contents/Resources/Alt.prs"));

    // A folder set beside the program comes before any pack.
    scratch.writeAll("Alt.frs", sampleFiles());
    EXPECT_TRUE(resources.openPack("Zumeli", "Alt"));
    EXPECT_TRUE(resources.media()->rootPath().endsWith("Alt.frs/"));

    // The linked-in pack comes first of all.
    LinkedTestPack linked(sampleFiles(), 22000);
    EXPECT_TRUE(resources.openPack("Zumeli", "Alt"));
    EXPECT_EQ(resources.media()->rootPath(), "#22000");

    // A folder without the marker file is not a set.
    ScratchFolder other;
    other.write("Bare.frs/layouts/x.xml", bytesOf("x"));
    EXPECT_FALSE(resources.openSet(epiPath((other.path() + "/Bare.frs").c_str())));
    EXPECT_FALSE(resources.openSet(epiPath((other.path() + "/Bare.zip").c_str())));
    epiPath::setApplicationFolder(programFolder);
}
