#include "TestResources.h"

#include "ui/epiBitmap.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kPaper = epiArgb(255, 10, 10, 10);

epiBitmap paper(int width, int height)
{
    epiBitmap bitmap(width, height);
    bitmap.fill(bitmap.bounds(), kPaper);
    return bitmap;
}

// Pixels of `bitmap` that differ from the paper, as a rectangle.
epiRect touched(const epiBitmap& bitmap)
{
    epiRect area;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if (bitmap.pixel(x, y) != kPaper)
                area = area.united({x, y, x + 1, y + 1});
    return area;
}

} // namespace

TEST(Bitmap, CopyAndBlendStayInsideTheClip)
{
    epiBitmap face(4, 4);
    face.fill(face.bounds(), epiArgb(0, 200, 0, 0)); // transparent red
    face.fill({0, 0, 2, 4}, epiArgb(255, 0, 200, 0));

    epiBitmap copied = paper(10, 10);
    copied.copyFrom(face, face.bounds(), {-1, 8}, copied.bounds()); // partly outside
    EXPECT_EQ(touched(copied), epiRect(0, 8, 3, 10));
    EXPECT_EQ(copied.pixel(2, 9), epiArgb(255, 200, 0, 0)); // copied opaque, colour kept

    epiBitmap blended = paper(10, 10);
    blended.blendFrom(face, face.bounds(), {3, 3}, {0, 0, 4, 10});
    EXPECT_EQ(touched(blended), epiRect(3, 3, 4, 7)); // the clip cuts at x 4
    EXPECT_EQ(blended.pixel(3, 3), epiArgb(255, 0, 200, 0));

    epiBitmap transparent = paper(10, 10);
    transparent.blendFrom(face, {2, 0, 4, 4}, {0, 0}, transparent.bounds());
    EXPECT_TRUE(touched(transparent).isEmpty()); // fully transparent pixels leave the paper
}

TEST(Bitmap, HalfTransparentBlend)
{
    epiBitmap face(1, 1);
    face.setPixel(0, 0, epiArgb(128, 250, 0, 0));
    epiBitmap target = paper(1, 1);
    target.blendFrom(face, face.bounds(), {0, 0}, target.bounds());
    uint32_t p = target.pixel(0, 0);
    EXPECT_EQ(p >> 24, 255u);
    EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), 130, 2);
    EXPECT_NEAR(static_cast<int>(p & 0xFF), 5, 2);
}

TEST(Bitmap, FacesOfAnotherSizeAreScaled)
{
    epiBitmap face(2, 2);
    face.fill(face.bounds(), epiArgb(255, 100, 100, 100));
    epiBitmap target = paper(20, 20);
    target.drawImage(face, {4, 4, 12, 8}, {0, 0, 10, 20});
    EXPECT_EQ(touched(target), epiRect(4, 4, 10, 8));
    EXPECT_EQ(target.pixel(5, 5), epiArgb(255, 100, 100, 100));
    target.drawImage(face, {0, 0, 0, 5}, target.bounds()); // empty destination: nothing
    EXPECT_EQ(touched(target), epiRect(4, 4, 10, 8));
}

TEST(Bitmap, PngRoundTripAndRefusals)
{
    epiBitmap original(3, 2);
    original.setPixel(0, 0, epiArgb(255, 1, 2, 3));
    original.setPixel(2, 1, epiArgb(17, 250, 128, 0));
    std::vector<uint8_t> png = original.encodePng();
    ASSERT_FALSE(png.empty());
    epiBitmap decoded;
    ASSERT_TRUE(decoded.decodePng(png.data(), png.size()));
    EXPECT_TRUE(decoded.hasAlpha());
    EXPECT_EQ(decoded.pixel(0, 0), epiArgb(255, 1, 2, 3));
    EXPECT_EQ(decoded.pixel(2, 1), epiArgb(17, 250, 128, 0));

    epiBitmap kept(1, 1);
    std::vector<uint8_t> cut(png.begin(), png.begin() + png.size() / 2);
    EXPECT_FALSE(kept.decodePng(cut.data(), cut.size()));
    EXPECT_FALSE(kept.decodePng(nullptr, 0));
    EXPECT_EQ(kept.width(), 1); // unchanged by a failed decode

    // A header that claims 60000 × 60000 pixels is refused before anything is allocated.
    std::vector<uint8_t> huge = png;
    const uint8_t side[4] = {0, 0, 0xEA, 0x60};
    std::copy(side, side + 4, huge.begin() + 16);
    std::copy(side, side + 4, huge.begin() + 20);
    uint32_t crc = 0xFFFFFFFFu; // the chunk's checksum, so only the size is wrong
    for (size_t i = 12; i < 29; ++i) {
        crc ^= huge[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc ^= 0xFFFFFFFFu;
    for (int i = 0; i < 4; ++i)
        huge[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    EXPECT_FALSE(kept.decodePng(huge.data(), huge.size()));
    EXPECT_FALSE(kept.create(-1, 5));
}

TEST(Bitmap, PngWithoutAlphaChannelDecodesOpaque)
{
    epiBitmap face;
    ASSERT_TRUE(face.loadPng(std::string(ZUMELI_SOURCE_DIR) + "/tests/ui/fixtures/gallery/images/face_off.png"));
    EXPECT_FALSE(face.hasAlpha()); // drawn by copying
    EXPECT_EQ(face.pixel(0, 0), 0xFF3060C0u);
    epiBitmap target(70, 30);
    target.fill(target.bounds(), 0xFF000000);
    target.drawImage(face, {3, 3, 67, 27}, target.bounds());
    EXPECT_EQ(target.pixel(3, 3), 0xFF3060C0u);
    EXPECT_EQ(target.pixel(2, 3), 0xFF000000u);
}

TEST(Bitmap, AScaledBitmapTakesUnitsAndDrawsEveryPixel)
{
    epiBitmap screen(10, 8, 2);
    EXPECT_EQ(screen.pixelWidth(), 20);
    EXPECT_EQ(screen.pixelHeight(), 16);
    EXPECT_EQ(screen.bounds(), epiRect(0, 0, 10, 8));
    screen.fill(screen.bounds(), kPaper);
    screen.fill({1, 1, 3, 2}, epiArgb(255, 200, 0, 0));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(screen.pixel(x, y) != kPaper, x >= 2 && x < 6 && y >= 2 && y < 4) << x << "," << y;

    // A 2x image on a 2x bitmap lands pixel for pixel: its fine detail survives.
    epiBitmap sharp(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            sharp.setPixel(x, y, (x + y) % 2 ? epiArgb(255, 255, 255, 255) : epiArgb(255, 0, 0, 0));
    ASSERT_TRUE(sharp.setScale(2));
    EXPECT_EQ(sharp.bounds(), epiRect(0, 0, 2, 2));
    screen.drawImage(sharp, {5, 3, 7, 5}, screen.bounds());
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(screen.pixel(10 + x, 6 + y), sharp.pixel(x, y)) << x << "," << y;

    // A 1x image is enlarged to cover its units; the clip is in units too.
    epiBitmap plain(1, 1);
    plain.setPixel(0, 0, epiArgb(255, 0, 0, 250));
    screen.copyFrom(plain, plain.bounds(), {0, 7}, {0, 0, 10, 8});
    EXPECT_EQ(screen.pixel(0, 14), epiArgb(255, 0, 0, 250));
    EXPECT_EQ(screen.pixel(1, 15), epiArgb(255, 0, 0, 250));
    EXPECT_EQ(screen.pixel(2, 14), kPaper);
    screen.copyFrom(plain, plain.bounds(), {9, 7}, {0, 0, 9, 8});
    EXPECT_EQ(screen.pixel(19, 15), kPaper) << "clipped away";

    epiBitmap odd(3, 3);
    EXPECT_FALSE(odd.setScale(2)) << "3 pixels cannot be drawn at 2 per unit";
    EXPECT_EQ(odd.scale(), 1);
}

TEST(Bitmap, TextMasksLandAtTheRatioOfTheScales)
{
    const uint8_t mask[2 * 2] = {255, 0, 0, 255};
    const uint32_t ink = epiArgb(255, 255, 255, 255);
    // A mask rasterised at the bitmap's scale lands pixel for pixel...
    epiBitmap screen(4, 4, 2);
    screen.fill(screen.bounds(), kPaper);
    screen.blendMask(mask, 2, 2, 2, {1, 1}, screen.bounds(), ink, 2);
    EXPECT_EQ(screen.pixel(2, 2), ink);
    EXPECT_EQ(screen.pixel(3, 2), kPaper);
    EXPECT_EQ(screen.pixel(3, 3), ink);
    // ...and a 1x mask is enlarged: each of its pixels covers 2 x 2.
    epiBitmap other(4, 4, 2);
    other.fill(other.bounds(), kPaper);
    other.blendMask(mask, 2, 2, 2, {1, 1}, other.bounds(), ink, 1);
    EXPECT_EQ(other.pixel(2, 2), ink);
    EXPECT_EQ(other.pixel(3, 3), ink);
    EXPECT_EQ(other.pixel(4, 2), kPaper);
    EXPECT_EQ(other.pixel(5, 5), ink);
}
