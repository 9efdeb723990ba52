// The resource pack the build makes and links into the programs.
#include "PrintText.h"

#include "ui/epiBitmap.h"
#include "ui/epiFont_FontMatrix.h"
#include "ui/epiFont_FontSystem.h"
#include "ui/epiFonts.h"
#include "ui/epiRamFile.h"
#include "ui/epiResMediaFiles.h"
#include "ui/epiResources.h"
#include "ui/epiXmlChunk.h"

#include <gtest/gtest.h>

TEST(ShippedPack, IsLinkedInAndOpensFirst)
{
    epiResources resources;
    resources.init();
    ASSERT_TRUE(resources.openPack("Zumeli"));
    EXPECT_EQ(resources.media()->rootPath(), "#22000");

    epiText marker;
    ASSERT_TRUE(resources.readResourceText("epi.frs", 0, marker));
    epiXmlChunk root;
    root.parse(marker);
    EXPECT_EQ(root.child("epi").child("version").text(), "4");
    EXPECT_EQ(root.child("epi").child("signature").text(), "epiResourceFile");
}

TEST(ShippedPack, HoldsTheFontsOfTheInterface)
{
    epiResources resources;
    resources.init();
    ASSERT_TRUE(resources.openNativePack());
    for (const char* code : {"AB12", "AN12", "AN18", "AN24"}) {
        auto* font = dynamic_cast<epiFont_FontMatrix*>(resources.fonts().font(epiCodeFromText(code)));
        ASSERT_NE(font, nullptr) << code;
        EXPECT_EQ(font->variantCount(), 4) << code;
        EXPECT_EQ(font->firstCode(), 32) << code;
        EXPECT_EQ(font->lastCode(), 127) << code;
        EXPECT_GT(font->glyph('W').advance, font->glyph('i').advance) << code;
        EXPECT_GE(font->cellHeight(), 15) << code;
    }
    EXPECT_EQ(dynamic_cast<epiFont_FontMatrix*>(resources.fonts().font(epiFourCC("AN12")))->cellHeight(), 15);
    for (const char* code : {"sb12", "sm12", "sr09", "sr12", "sr18", "sr30", "sr80"}) {
        auto* font = dynamic_cast<epiFont_FontSystem*>(resources.fonts().font(epiCodeFromText(code)));
        ASSERT_NE(font, nullptr) << code;
        EXPECT_EQ(font->family(), "Arial") << code;
    }
    auto* sr12 = dynamic_cast<epiFont_FontSystem*>(resources.fonts().font(epiFourCC("sr12")));
    EXPECT_EQ(sr12->size(), 7);
    EXPECT_FALSE(sr12->bold());
    auto* sb12 = dynamic_cast<epiFont_FontSystem*>(resources.fonts().font(epiFourCC("sb12")));
    EXPECT_EQ(sb12->size(), 9);
    EXPECT_TRUE(sb12->bold());
}

TEST(ShippedPack, HoldsTheSoundsAndTheLocalisationTable)
{
    epiResources resources;
    resources.init();
    ASSERT_TRUE(resources.openNativePack());
    const char* sounds[] = {"online.raw",   "tms.raw",      "smile_00.raw", "smile_01.raw", "smile_02.raw",
                            "smile_03.raw", "smile_04.raw", "smile_05.raw", "smile_06.raw"};
    for (const char* name : sounds) {
        epiRamFile clip;
        ASSERT_TRUE(resources.readResource(name, epiResources::kAux, clip)) << name;
        // 16-bit mono at 44100 Hz: whole samples, between a tenth of a second and two seconds,
        // silent at both ends so it never clicks.
        ASSERT_EQ(clip.size() % 2, 0u) << name;
        EXPECT_GT(clip.size(), 44100u / 10 * 2) << name;
        EXPECT_LT(clip.size(), 44100u * 2 * 2) << name;
        auto sample = [&](size_t index) {
            return static_cast<int16_t>(clip.data()[2 * index] | (clip.data()[2 * index + 1] << 8));
        };
        size_t count = clip.size() / 2;
        EXPECT_EQ(sample(0), 0) << name;
        EXPECT_LT(std::abs(sample(count - 1)), 64) << name;
        int peak = 0;
        for (size_t i = 0; i < count; ++i)
            peak = std::max(peak, std::abs(static_cast<int>(sample(i))));
        EXPECT_GT(peak, 3000) << name;
        EXPECT_LT(peak, 32000) << name; // headroom: never clipped
    }

    epiText table;
    ASSERT_TRUE(resources.readResourceText("ZumeliLocalization.xml", epiResources::kAux, table));
    epiXmlChunk root;
    root.parse(table);
    epiXmlChunkEnumerator items(root.child("language"), "item");
    epiXmlChunk item;
    ASSERT_TRUE(items.next(item));
    EXPECT_TRUE(item.child("lookup_id").text().isEmpty()); // the first item is empty
    bool friends = false, version = false;
    while (items.next(item)) {
        epiText id = item.child("lookup_id").text();
        EXPECT_FALSE(item.child("en").rawText().empty() && !id.equals("*USEREVENT_NONE")) << id.str();
        friends |= id == "*FRIENDS_31EB" && item.child("it").text() == "Amici";
        version |= id == "*VERSIONTIMESTAMP";
    }
    EXPECT_TRUE(friends);
    EXPECT_TRUE(version);
}

TEST(ShippedPack, OnAHiDpiScreenTheSkinComesFromItsSharperDrawings)
{
    struct ScreenScale {
        explicit ScreenScale(int scale) { epiSetDisplayScale(scale); }
        ~ScreenScale() { epiSetDisplayScale(1); }
    };
    epiBitmap plain;
    {
        epiResources resources;
        resources.init();
        ASSERT_TRUE(resources.openNativePack());
        epiBitmap* image = resources.bitmap("talk_off.png", epiResources::kImages);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->scale(), 1);
        plain = *image;
    }
    ScreenScale hidpi(2);
    epiResources resources;
    resources.init();
    ASSERT_TRUE(resources.openNativePack());
    epiBitmap* image = resources.bitmap("talk_off.png", epiResources::kImages);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->scale(), 2);
    EXPECT_EQ(image->bounds(), plain.bounds()) << "the same size in units";
    EXPECT_EQ(image->pixelWidth(), 2 * plain.pixelWidth());
}
