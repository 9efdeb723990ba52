#include "TestResources.h"

#include "ui/epiFont_FontMatrix.h"
#include "ui/epiFont_FontStrip.h"
#include "ui/epiFont_FontSystem.h"
#include "ui/epiFonts.h"

#include <gtest/gtest.h>

namespace {

std::string sourceFile(const std::string& relative)
{
    return std::string(ZUMELI_SOURCE_DIR) + "/" + relative;
}

std::string generatedFile(const std::string& relative)
{
    return std::string(ZUMELI_GENERATED_RESOURCES) + "/" + relative;
}

// A matrix font of 4 variants whose glyph 'A' (advance 2.5) is a 1×1 dot in every row, 2 pixels
// right of its cell, and 'B' (advance 1.1) a 1×1 dot at its cell's left; rows are 15 pixels apart.
const char* kTinyMatrix =
    R"(<epi><version>4</version><signature>fontmatrix</signature><content><version>1</version>
<gliphsdisplacements><gliphcodestart>65</gliphcodestart><gliphcodeend>66</gliphcodeend>
<inpixeloffsets>4</inpixeloffsets><gliphboxwidth>8</gliphboxwidth><gliphboxheight>15</gliphboxheight>
<elems>
<gliph><code>65</code><advance>2.5</advance>
<offset><index>0</index><boxpos>0,0</boxpos><copyarea>2,3,1,2</copyarea></offset>
<offset><index>1</index><boxpos>0,15</boxpos><copyarea>2,18,1,17</copyarea></offset>
<offset><index>2</index><boxpos>0,30</boxpos><copyarea>2,33,1,32</copyarea></offset>
<offset><index>3</index><boxpos>0,45</boxpos><copyarea>2,48,1,47</copyarea></offset>
</gliph>
<gliph><code>66</code><advance>1.1</advance>
<offset><index>0</index><boxpos>8,0</boxpos><copyarea>8,3,7,2</copyarea></offset>
</gliph>
</elems></gliphsdisplacements></content></epi>)";

epiFont_FontMatrix tinyMatrix()
{
    epiFont_FontMatrix font;
    font.readDescription(kTinyMatrix);
    epiBitmap atlas(16, 60);
    atlas.fill(atlas.bounds(), epiArgb(255, 0, 0, 0));
    // Each variant row of 'A' has a dot of a different coverage so the test can tell them apart.
    const uint8_t coverage[4] = {255, 200, 128, 60};
    for (int row = 0; row < 4; ++row)
        atlas.setPixel(2, 3 + 15 * row, epiArgb(255, coverage[row], 0, 0));
    atlas.setPixel(8, 3, epiArgb(255, 255, 255, 255));
    font.setAtlas(atlas);
    return font;
}

} // namespace

TEST(MatrixFont, MeasureAddsHalfAPixelPerCharacter)
{
    epiFont_FontMatrix font = tinyMatrix();
    EXPECT_EQ(font.measure(""), 1);
    EXPECT_EQ(font.measure("A"), 4);     // 1 + 3.0
    EXPECT_EQ(font.measure("AB"), 5);    // 1 + 3.0 + 1.6 = 5.6
    EXPECT_GT(font.measure("A\xE9"), 4); // outside the atlas: the system font measures it whole
    EXPECT_EQ(font.variantCount(), 4);
    EXPECT_EQ(font.cellHeight(), 15);
}

TEST(MatrixFont, PenFractionSelectsTheVariant)
{
    epiFont_FontMatrix font = tinyMatrix();
    struct Case
    {
        float pen;
        int variant;
    } cases[] = {{10.0f, 0}, {10.24f, 0}, {10.25f, 1}, {10.6f, 2}, {10.99f, 3}, {-0.5f, 2}};
    for (const Case& c : cases)
        EXPECT_EQ(font.variantAt(c.pen), c.variant) << c.pen;
}

TEST(MatrixFont, DrawsEachGlyphFromItsVariantWithTheCoverageBlend)
{
    epiFont_FontMatrix font = tinyMatrix();
    epiBitmap target(20, 10);
    target.fill(target.bounds(), epiArgb(0, 100, 100, 100));
    // Pen 0 → 'A' variant 0 at x 2; pen 3.0 → variant 0 again at x 5; pen 6.0 → ...
    font.drawToBitmap(target, 0, {0, 0, 20, 10}, target.bounds(), "AA", epiArgb(255, 200, 0, 0));
    EXPECT_EQ(target.pixel(2, 3), epiArgb(255, 200, 0, 0));
    EXPECT_EQ(target.pixel(5, 3), epiArgb(255, 200, 0, 0));
    EXPECT_EQ(target.pixel(3, 3), epiArgb(0, 100, 100, 100)); // untouched between glyphs

    epiBitmap shifted(20, 10);
    shifted.fill(shifted.bounds(), epiArgb(0, 100, 100, 100));
    // Centred in (0..13): width 4, pen = 0 + 6 - 2 = 4; right-aligned: 13 - 4 - 1 = 8.
    font.drawToBitmap(shifted, epiFont::kCentred, {0, 0, 13, 10}, shifted.bounds(), "A",
                      epiArgb(255, 0, 0, 0));
    EXPECT_EQ(shifted.pixel(6, 3), epiArgb(255, 0, 0, 0));
    font.drawToBitmap(shifted, epiFont::kRight, {0, 0, 13, 10}, shifted.bounds(), "A", epiArgb(255, 0, 0, 0));
    EXPECT_EQ(shifted.pixel(10, 3), epiArgb(255, 0, 0, 0));

    // After 'B' the pen is at 1.6: 'A' uses variant 2 (coverage 128/255) at x 1 + 2:
    // 100 × (1 − c) + 0 × c = 49.8 → 49, where variant 0's full dot would give 0.
    epiBitmap half(20, 10);
    half.fill(half.bounds(), epiArgb(255, 100, 100, 100));
    font.drawToBitmap(half, 0, {0, 0, 20, 10}, half.bounds(), "BA", epiArgb(255, 0, 0, 0));
    EXPECT_EQ(half.pixel(0, 3), epiArgb(255, 0, 0, 0));
    EXPECT_EQ(half.pixel(3, 3), epiArgb(255, 49, 49, 49));

    // The clip rectangle keeps the text out.
    epiBitmap clipped(20, 10);
    font.drawToBitmap(clipped, 0, {0, 0, 20, 10}, {0, 0, 2, 10}, "AB", epiArgb(255, 255, 255, 255));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(clipped.pixel(x, y), 0u) << x << "," << y;
}

TEST(MatrixFont, DescriptionWithoutTableLeavesEmptyGlyphs)
{
    epiFont_FontMatrix font;
    font.readDescription("<epi><content><version>1</version></content></epi>");
    EXPECT_EQ(font.measure("abc"), 2); // 1 + 3 × 0.5
    epiBitmap target(4, 4);
    font.drawToBitmap(target, 0, target.bounds(), target.bounds(), "abc", epiArgb(255, 255, 255, 255));
    EXPECT_EQ(target.pixel(0, 0), 0u);
}

TEST(StripFont, GlyphsFollowTheMarkerRuns)
{
    // Row height - 3 holds markers at x = 0, 4 and 9: boundaries (ends of marker runs) 1, 5, 10.
    epiBitmap strip(12, 8);
    for (int x : {0, 4, 9})
        strip.setPixel(x, 5, epiArgb(255, 0, 0, 0));
    strip.fill({1, 0, 4, 4}, epiArgb(255, 255, 255, 255));
    epiFont_FontStrip font;
    ASSERT_TRUE(font.readStrip(strip));
    EXPECT_EQ(font.glyphRect(0), epiRect(0, 0, 3, 4));
    EXPECT_EQ(font.advance(0), 3);
    EXPECT_EQ(font.glyphRect(1), epiRect(4, 0, 8, 4));
    EXPECT_EQ(font.advance(1), 4);
    EXPECT_EQ(font.advance(2), 0);
    std::string text = {'\0', '\1'};
    EXPECT_EQ(font.measure(epiText(text.data(), text.size())), 7);
    font.setSpacing(1);
    EXPECT_EQ(font.measure(epiText(text.data(), text.size())), 9);
    font.setFixedPitch(5);
    EXPECT_EQ(font.measure(epiText(text.data(), text.size())), 10);
    font.setFixedPitch(-6);
    EXPECT_EQ(font.measure(".."), 2); // "." keeps its own advance (0) plus the spacing
    EXPECT_FALSE(font.readStrip(epiBitmap(5, 3)));
}

TEST(SystemFont, ThisPlatformsValuesReplaceTheCommonOnes)
{
    epiFont_FontSystem font;
    font.readDescription("<epi><content><allplatforms><family>Arial</family><size>12</size><bold>1</bold>"
                         "<italic>1</italic></allplatforms><win32><size>7</size><bold>0</bold></win32>"
                         "<macho><size>30</size></macho></content></epi>");
    EXPECT_EQ(font.family(), "Arial");
    EXPECT_EQ(font.size(), 7);
    EXPECT_FALSE(font.bold());
    EXPECT_TRUE(font.italic());
}

TEST(SystemFont, DrawsInsideTheClipAndAligns)
{
    epiFont_FontSystem font;
    font.readDescription(
        "<epi><content><allplatforms><family>Arial</family><size>12</size></allplatforms></content></epi>");
    auto inkColumns = [](const epiBitmap& bitmap) {
        int first = bitmap.width(), last = -1;
        for (int y = 0; y < bitmap.height(); ++y)
            for (int x = 0; x < bitmap.width(); ++x)
                if (bitmap.pixel(x, y) != 0) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        return std::pair(first, last);
    };
    epiBitmap left(200, 30), right(200, 30), clipped(200, 30);
    font.drawToBitmap(left, 0, {0, 0, 200, 30}, left.bounds(), "Talk", epiArgb(255, 0, 0, 0));
    font.drawToBitmap(right, epiFont::kRight, {0, 0, 200, 30}, right.bounds(), "Talk", epiArgb(255, 0, 0, 0));
    font.drawToBitmap(clipped, 0, {0, 0, 200, 30}, {0, 0, 200, 5}, "Talk", epiArgb(255, 0, 0, 0));
    auto [leftFirst, leftLast] = inkColumns(left);
    auto [rightFirst, rightLast] = inkColumns(right);
    EXPECT_LT(leftFirst, 3);
    EXPECT_GT(rightLast, 195);
    EXPECT_NEAR(leftLast - leftFirst, rightLast - rightFirst, 1);
    int width = font.measure("Talk");
    EXPECT_NEAR(leftLast + 1, width, 3);
    EXPECT_GT(font.measure("Talk  "), width); // trailing blanks count
    for (int y = 5; y < 30; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ(clipped.pixel(x, y), 0u);
}

TEST(Fonts, CodesResolveOnceThroughTheResources)
{
    LinkedTestPack pack(
        {{"/fonts/fontsystem_sr12.xml", readFileBytes(sourceFile("resources/fonts/fontsystem_sr12.xml"))},
         {"/fonts/fontsystem_sb12.xml", readFileBytes(sourceFile("resources/fonts/fontsystem_sb12.xml"))},
         {"/fonts/fontmatrix_AN12.xml", readFileBytes(generatedFile("fonts/fontmatrix_AN12.xml"))},
         {"/fonts/fontmatrix_AN12.png", readFileBytes(generatedFile("fonts/fontmatrix_AN12.png"))}});
    epiResources resources;
    resources.init();
    ASSERT_TRUE(resources.openNativePack(pack.identifier()));
    epiFonts& fonts = resources.fonts();

    EXPECT_EQ(fonts.font(0), nullptr); // an empty list has no first font
    auto* system = dynamic_cast<epiFont_FontSystem*>(fonts.font(epiFourCC("sr12")));
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->family(), "Arial");
    EXPECT_EQ(system->size(), 7);
    EXPECT_FALSE(system->bold());
    auto* bold = dynamic_cast<epiFont_FontSystem*>(fonts.font(epiFourCC("sb12")));
    ASSERT_NE(bold, nullptr);
    EXPECT_EQ(bold->size(), 9);
    EXPECT_TRUE(bold->bold());
    EXPECT_EQ(fonts.font(0), system); // the first of the list

    auto* matrix = dynamic_cast<epiFont_FontMatrix*>(fonts.font(epiFourCC("AN12")));
    ASSERT_NE(matrix, nullptr);
    EXPECT_EQ(matrix->variantCount(), 4);
    EXPECT_EQ(matrix->firstCode(), 32);
    EXPECT_EQ(matrix->lastCode(), 127);
    EXPECT_EQ(matrix->cellHeight(), 15);
    EXPECT_GT(fonts.measure(epiFourCC("AN12"), "Channel"), 30);

    int searches = fonts.searches();
    EXPECT_EQ(fonts.font(epiFourCC("none")), nullptr);
    EXPECT_EQ(fonts.font(epiFourCC("none")), nullptr);
    EXPECT_EQ(fonts.searches(), searches + 1);
    EXPECT_EQ(fonts.measure(epiFourCC("none"), "text"), 0);
    EXPECT_EQ(fonts.font(epiFourCC("sr12")), system);
    EXPECT_EQ(fonts.searches(), searches + 1);
}

TEST(MatrixFont, ExtremeNumbersInTheDescriptionStayInRange)
{
    epiFont_FontMatrix font;
    font.readDescription(
        "<epi><content><gliphsdisplacements><inpixeloffsets>99</inpixeloffsets><elems>"
        "<gliph><code>65</code><advance>1e30</advance><offset><index>0</index>"
        "<boxpos>-2147483648,0</boxpos><copyarea>2147483647,0,2147483647,2147483647</copyarea>"
        "</offset></gliph></elems></gliphsdisplacements></content></epi>");
    EXPECT_EQ(font.variantCount(), epiFont_FontMatrix::kMaxVariants);
    EXPECT_EQ(font.glyph('A').variants[0].copyArea.right, kEpiMaxCoordinate + 2);
    EXPECT_EQ(font.measure(epiText(std::string(5000, 'A'))), 5002501); // advances capped at 1000
    epiBitmap target(8, 8);
    font.drawToBitmap(target, epiFont::kCentred, target.bounds(), target.bounds(), "AAAA",
                      epiArgb(255, 1, 1, 1));
    EXPECT_EQ(target.pixel(0, 0), 0u);
}

// Bytes the atlas does not hold go to the system font: every script must leave ink, and the
// width must follow the text rather than the atlas's empty glyphs.
TEST(MatrixFont, TextOutsideTheAtlasIsDrawnWithTheSystemFont)
{
    epiFont_FontMatrix font;
    std::vector<uint8_t> xml = readFileBytes(generatedFile("fonts/fontmatrix_AN12.xml"));
    font.readDescription(epiText(reinterpret_cast<const char*>(xml.data()), xml.size()));
    epiBitmap atlas;
    ASSERT_TRUE(atlas.loadPng(generatedFile("fonts/fontmatrix_AN12.png")));
    font.setAtlas(atlas);
    EXPECT_FALSE(font.needsSystemFont("Channel 10.00"));

    struct Case
    {
        const char* name;
        const char* text;
    };
    const Case cases[] = {{"Latin", "Gr\xC3\xBC\xC3\x9F" "e \xC3\xB1"},
                          {"Chinese", "\xE4\xBD\xA0\xE5\xA5\xBD"},
                          {"Arabic", "\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7"},
                          {"Hebrew", "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(font.needsSystemFont(c.text));
        epiBitmap bitmap(120, 24);
        bitmap.fill(bitmap.bounds(), 0xFFFFFFFF);
        font.drawToBitmap(bitmap, 0, {4, 2, 120, 24}, bitmap.bounds(), c.text, 0xFF000000);
        int inked = 0;
        for (int y = 0; y < bitmap.height(); ++y)
            for (int x = 0; x < bitmap.width(); ++x)
                inked += (bitmap.pixel(x, y) & 0xFF) < 128;
        EXPECT_GT(inked, 10);
        int width = font.measure(c.text);
        EXPECT_GT(width, 8);
        EXPECT_LT(width, 100);
    }
}
