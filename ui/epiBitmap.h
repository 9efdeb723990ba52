#pragma once

#include "ui/epiRect.h"

#include <cstdint>
#include <string>
#include <vector>

// A 32-bit bitmap in memory: rows top to bottom, each pixel 0xAARRGGBB in a uint32_t (the same
// layout as a Cairo ARGB32 surface), colours not premultiplied by alpha. Every drawing operation
// clips to the destination's bounds and to the clip rectangle it is given.
//
// A bitmap has a scale: the pixels each unit of its coordinates covers each way (1, or 2 for a
// HiDPI screen and the skin drawn for it). Sizes, rectangles and points of the drawing operations
// are in units; pixel(), row() and setPixel() address pixels. Drawing between bitmaps of the same
// scale copies pixels; across scales the source is resampled.
class epiBitmap : public epiObject
{
public:
    epiBitmap() = default;
    epiBitmap(int32_t width, int32_t height, int32_t scale = 1) { create(width, height, scale); }

    epiCode typeCode() const override { return epiFourCC("obit"); }

    // A bitmap of this size in units at this scale, all pixels 0 (transparent black). False for a
    // negative or huge size or a scale outside 1 to 4.
    bool create(int32_t width, int32_t height, int32_t scale = 1);
    // Takes the pixels as drawn at `scale` (a 2x image): its size in units shrinks accordingly.
    // False, nothing changed, when the pixel size is not a multiple of the scale.
    bool setScale(int32_t scale);
    int32_t scale() const { return m_scale; }
    int32_t width() const { return m_width / m_scale; }
    int32_t height() const { return m_height / m_scale; }
    int32_t pixelWidth() const { return m_width; }
    int32_t pixelHeight() const { return m_height; }
    bool isEmpty() const { return m_width == 0 || m_height == 0; }
    epiRect bounds() const { return {0, 0, width(), height()}; }
    epiRect pixelBounds() const { return {0, 0, m_width, m_height}; }
    bool hasAlpha() const { return m_hasAlpha; }
    void setHasAlpha(bool alpha) { m_hasAlpha = alpha; }

    uint32_t pixel(int32_t x, int32_t y) const { return m_pixels[static_cast<size_t>(y) * m_width + x]; }
    void setPixel(int32_t x, int32_t y, uint32_t argb)
    {
        m_pixels[static_cast<size_t>(y) * m_width + x] = argb;
    }
    uint32_t* row(int32_t y) { return m_pixels.data() + static_cast<size_t>(y) * m_width; }
    const uint32_t* row(int32_t y) const { return m_pixels.data() + static_cast<size_t>(y) * m_width; }
    uint32_t* pixels() { return m_pixels.data(); }
    const uint32_t* pixels() const { return m_pixels.data(); }

    void fill(const epiRect& rect, uint32_t argb);

    // Copies `source` rectangle of `from` to `at`, every copied pixel made opaque.
    void copyFrom(const epiBitmap& from, const epiRect& source, epiPoint at, const epiRect& clip);
    // Draws `source` of `from` over this bitmap at `at`, blending by the source's alpha.
    void blendFrom(const epiBitmap& from, const epiRect& source, epiPoint at, const epiRect& clip);
    // Draws `source` of `from` scaled into `destination` (bilinear), blended by alpha when the
    // source has alpha, copied opaque otherwise.
    void drawScaled(const epiBitmap& from, const epiRect& source, const epiRect& destination,
                    const epiRect& clip);
    // Draws a face the way bitmap widgets do: same size as `destination` copies or blends (by
    // hasAlpha), another size scales.
    void drawImage(const epiBitmap& from, const epiRect& destination, const epiRect& clip);
    // The text mode ('blen'): the red component of `from` is the coverage c of `colour`
    // (0xAARRGGBB); each destination colour becomes dest × (1 − c) + colour × c, alpha 255.
    void blendCoverage(const epiBitmap& from, const epiRect& source, epiPoint at, const epiRect& clip,
                       uint32_t colour);
    // The same with an 8-bit coverage mask of `maskWidth` × `maskHeight` pixels (stride in bytes),
    // drawn at `maskScale` pixels per unit.
    void blendMask(const uint8_t* mask, int32_t maskWidth, int32_t maskHeight, int32_t stride, epiPoint at,
                   const epiRect& clip, uint32_t colour, int32_t maskScale = 1);

    // PNG through libpng. Decoding gives a bitmap with alpha when the image has an alpha channel
    // or transparency (an opaque image is drawn by copying); false (bitmap unchanged) when the
    // bytes are not a PNG it can read.
    bool decodePng(const uint8_t* bytes, size_t size);
    bool loadPng(const std::string& path);
    bool savePng(const std::string& path) const;
    std::vector<uint8_t> encodePng() const;
    // JPEG through libjpeg: an opaque bitmap; false (bitmap unchanged) when the bytes are not a
    // JPEG it can read. encodeJpeg writes the colours (alpha ignored) at a quality of 1 to 100;
    // empty when the bitmap is.
    bool decodeJpeg(const uint8_t* bytes, size_t size);
    std::vector<uint8_t> encodeJpeg(int quality = 85) const;
    // A picture in either format, told apart by its first bytes.
    bool decodeImage(const uint8_t* bytes, size_t size);
    bool loadImage(const std::string& path);
    // A copy scaled to the largest size of the same proportions that fits width x height.
    epiBitmap scaledToFit(int32_t width, int32_t height) const;
    // Takes each pixel's alpha from the red component of `mask` at the same place.
    void applyAlphaMask(const epiBitmap& mask);

private:
    enum class Mode { Opaque, Blend, Coverage };
    // Draws `source` pixels of `from` into `destination` pixels, resampled (bilinear for images,
    // nearest for coverage), within the `clip` pixels.
    void resampleFrom(const epiBitmap& from, const epiRect& source, const epiRect& destination, const epiRect& clip,
                      Mode mode, uint32_t colour = 0);
    epiRect toPixels(const epiRect& rect) const;
    // Clips a copy of `source` (of `from`) drawn at `at`, all in pixels: adjusts both, false when
    // nothing is left.
    bool clipCopy(const epiBitmap& from, epiRect& source, epiPoint& at, const epiRect& clip) const;
    // Combines each visible source pixel into the pixel under it: out = combine(out, in).
    template<typename Combine>
    void combineFrom(const epiBitmap& from, const epiRect& source, epiPoint at, const epiRect& clip, Combine combine)
    {
        epiRect src = source;
        if (!clipCopy(from, src, at, clip))
            return;
        for (int32_t y = 0; y < src.height(); ++y) {
            const uint32_t* in = from.row(src.top + y) + src.left;
            uint32_t* out = row(at.y + y) + at.x;
            for (int32_t x = 0; x < src.width(); ++x)
                out[x] = combine(out[x], in[x]);
        }
    }

    int32_t m_width = 0; // in pixels
    int32_t m_height = 0;
    int32_t m_scale = 1;
    bool m_hasAlpha = false;
    std::vector<uint32_t> m_pixels;
};

// The scale of the screen the program's windows show on (1, or 2 on a HiDPI screen): windows
// and views make their bitmaps at it and the resources load the skin's 2x images for it.
int32_t epiDisplayScale();
void epiSetDisplayScale(int32_t scale);

constexpr uint32_t epiArgb(uint8_t a, uint8_t r, uint8_t g, uint8_t b)
{
    return (uint32_t{a} << 24) | (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
}
