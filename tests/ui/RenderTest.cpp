#include "TestResources.h"

#include "ui/epiApplication.h"
#include "ui/epiUiContainer.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::string sourceFile(const std::string& relative)
{
    return std::string(ZUMELI_SOURCE_DIR) + "/" + relative;
}

std::string generatedFile(const std::string& relative)
{
    return std::string(ZUMELI_GENERATED_RESOURCES) + "/" + relative;
}

struct Difference
{
    double meanPerChannel = 0;
    double shareOfPixelsOff = 0; // pixels with a channel more than 48 away
};

Difference compare(const epiBitmap& a, const epiBitmap& b)
{
    Difference result;
    long total = 0, off = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            uint32_t p = a.pixel(x, y), q = b.pixel(x, y);
            int worst = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                int d =
                    std::abs(static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((q >> shift) & 0xFF));
                total += d;
                worst = std::max(worst, d);
            }
            off += worst > 48;
        }
    double pixels = static_cast<double>(a.width()) * a.height();
    result.meanPerChannel = total / (pixels * 4);
    result.shareOfPixelsOff = off / pixels;
    return result;
}

} // namespace

// A layout with an image (at its size and scaled), matrix-font texts and system-font texts,
// built from a pack and drawn into a bitmap without any display, compared with the reference
// image in fixtures/ (regenerate it with ZUMELI_UPDATE_REFERENCE=1 and look at it).
TEST(Rendering, LayoutDrawsLikeTheReference)
{
    LinkedTestPack pack(
        {{"/epi.frs", readFileBytes(sourceFile("resources/epi.frs"))},
         {"/fonts/fontmatrix_AN12.png", readFileBytes(generatedFile("fonts/fontmatrix_AN12.png"))},
         {"/fonts/fontmatrix_AN12.xml", readFileBytes(generatedFile("fonts/fontmatrix_AN12.xml"))},
         {"/fonts/fontmatrix_AN18.png", readFileBytes(generatedFile("fonts/fontmatrix_AN18.png"))},
         {"/fonts/fontmatrix_AN18.xml", readFileBytes(generatedFile("fonts/fontmatrix_AN18.xml"))},
         {"/fonts/fontsystem_sb12.xml", readFileBytes(sourceFile("resources/fonts/fontsystem_sb12.xml"))},
         {"/fonts/fontsystem_sr12.xml", readFileBytes(sourceFile("resources/fonts/fontsystem_sr12.xml"))},
         {"/images/badge.png", readFileBytes(sourceFile("tests/ui/fixtures/badge.png"))},
         {"/layouts/render.xml", readFileBytes(sourceFile("tests/ui/fixtures/render.xml"))}});
    epiApplication application;
    ASSERT_TRUE(application.resources()->openNativePack(pack.identifier()));
    epiText fileName;
    ASSERT_TRUE(application.resources()->findDocument(epiResources::kLayouts, epiFourCC("rndr"), fileName));
    epiUiContainer root;
    root.setApplication(&application);
    root.init();
    ASSERT_TRUE(root.loadLayout(fileName));
    ASSERT_EQ(root.childCount(), 7);

    epiBitmap canvas(root.frame().width(), root.frame().height());
    canvas.fill(canvas.bounds(), epiArgb(255, 240, 238, 230));
    root.draw(canvas, {0, 0}, root.bounds());
    ASSERT_TRUE(canvas.savePng(std::string(ZUMELI_TEST_OUTPUT) + "/render_actual.png"));

    std::string referencePath = sourceFile("tests/ui/fixtures/render_reference.png");
    if (std::getenv("ZUMELI_UPDATE_REFERENCE")) {
        ASSERT_TRUE(canvas.savePng(referencePath));
    }
    epiBitmap reference;
    ASSERT_TRUE(reference.loadPng(referencePath));
    ASSERT_EQ(reference.width(), canvas.width());
    ASSERT_EQ(reference.height(), canvas.height());
    Difference difference = compare(canvas, reference);
    EXPECT_LT(difference.meanPerChannel, 1.5) << "see render_actual.png in the build's tests/ui folder";
    EXPECT_LT(difference.shareOfPixelsOff, 0.01);

    // The drawing must hold what the layout says, whatever the reference: the badge's yellow dot,
    // dark matrix text where "Channel" starts, nothing of the hidden item over the badge's row.
    EXPECT_EQ(canvas.pixel(8 + 16, 8 + 16) & 0x00FFFFFFu, 0xFFD23Fu);
    bool inked = false;
    for (int y = 8; y < 24; ++y)
        for (int x = 64; x < 72; ++x)
            inked |= (canvas.pixel(x, y) & 0xFF) < 120;
    EXPECT_TRUE(inked);
    // The clip: text of the right-aligned item ends inside its box.
    for (int y = 46; y < 62; ++y)
        EXPECT_EQ(canvas.pixel(199, y), epiArgb(255, 240, 238, 230));
}
