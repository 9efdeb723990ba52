#include "ui/epiBitmap.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int32_t kMaxSide = 16384;
constexpr int64_t kMaxArea = int64_t{1} << 24;

uint8_t channel(uint32_t argb, int shift)
{
    return static_cast<uint8_t>((argb >> shift) & 0xFF);
}

// Source-over of a non-premultiplied pixel onto another.
uint32_t over(uint32_t dst, uint32_t src)
{
    uint32_t sa = src >> 24;
    if (sa == 255)
        return src;
    if (sa == 0)
        return dst;
    uint32_t da = dst >> 24;
    uint32_t outA = sa + da * (255 - sa) / 255;
    if (outA == 0)
        return 0;
    auto mix = [&](int shift) {
        uint32_t s = channel(src, shift), d = channel(dst, shift);
        return (s * sa + d * da * (255 - sa) / 255) / outA;
    };
    return (outA << 24) | (mix(16) << 16) | (mix(8) << 8) | mix(0);
}

uint32_t coverageBlend(uint32_t dst, float c, uint32_t colour)
{
    auto mix = [&](int shift) {
        float d = channel(dst, shift) / 255.0f, t = channel(colour, shift) / 255.0f;
        return static_cast<uint32_t>((d * (1.0f - c) + t * c) * 255.0f);
    };
    return 0xFF000000u | (mix(16) << 16) | (mix(8) << 8) | mix(0);
}

int32_t g_displayScale = 1;

epiRect scaledRect(const epiRect& rect, int32_t scale)
{
    if (scale == 1)
        return rect;
    auto times = [&](int32_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>(int64_t{v} * scale, INT32_MIN / 2, INT32_MAX / 2));
    };
    return {times(rect.left), times(rect.top), times(rect.right), times(rect.bottom)};
}

} // namespace

int32_t epiDisplayScale() { return g_displayScale; }
void epiSetDisplayScale(int32_t scale) { g_displayScale = std::clamp(scale, 1, 4); }

bool epiBitmap::create(int32_t width, int32_t height, int32_t scale)
{
    // The area cap keeps a damaged image header from asking for gigabytes.
    if (scale < 1 || scale > 4 || width < 0 || height < 0 || width > kMaxSide / scale ||
        height > kMaxSide / scale || int64_t{width} * height * scale * scale > kMaxArea)
        return false;
    m_width = width * scale;
    m_height = height * scale;
    m_scale = scale;
    m_pixels.assign(static_cast<size_t>(m_width) * m_height, 0);
    return true;
}

bool epiBitmap::setScale(int32_t scale)
{
    if (scale < 1 || scale > 4 || m_width % scale != 0 || m_height % scale != 0)
        return false;
    m_scale = scale;
    return true;
}

epiRect epiBitmap::toPixels(const epiRect& rect) const { return scaledRect(rect, m_scale); }

void epiBitmap::fill(const epiRect& rect, uint32_t argb)
{
    epiRect area = toPixels(rect).intersection(pixelBounds());
    for (int32_t y = area.top; y < area.bottom; ++y)
        std::fill(row(y) + area.left, row(y) + area.right, argb);
}

bool epiBitmap::clipCopy(const epiBitmap& from, epiRect& source, epiPoint& at, const epiRect& clip) const
{
    source = source.intersection(from.pixelBounds());
    if (source.isEmpty())
        return false;
    epiRect target = epiRect::fromSize(at.x, at.y, source.width(), source.height());
    epiRect visible = target.intersection(pixelBounds()).intersection(clip);
    if (visible.isEmpty())
        return false;
    source.left += visible.left - target.left;
    source.top += visible.top - target.top;
    source.setSize(visible.width(), visible.height());
    at = {visible.left, visible.top};
    return true;
}

void epiBitmap::copyFrom(const epiBitmap& from, const epiRect& source, epiPoint at, const epiRect& clip)
{
    if (from.m_scale != m_scale) {
        epiRect src = source.intersection(from.bounds());
        resampleFrom(from, from.toPixels(src), toPixels(epiRect::fromSize(at.x, at.y, src.width(), src.height())),
                     toPixels(clip), Mode::Opaque);
        return;
    }
    combineFrom(from, toPixels(source), {at.x * m_scale, at.y * m_scale}, toPixels(clip),
                [](uint32_t, uint32_t in) { return in | 0xFF000000u; });
}

void epiBitmap::blendFrom(const epiBitmap& from, const epiRect& source, epiPoint at, const epiRect& clip)
{
    if (from.m_scale != m_scale) {
        epiRect src = source.intersection(from.bounds());
        resampleFrom(from, from.toPixels(src), toPixels(epiRect::fromSize(at.x, at.y, src.width(), src.height())),
                     toPixels(clip), Mode::Blend);
        return;
    }
    combineFrom(from, toPixels(source), {at.x * m_scale, at.y * m_scale}, toPixels(clip),
                [&](uint32_t out, uint32_t in) { return over(out, in); });
}

void epiBitmap::drawScaled(const epiBitmap& from, const epiRect& source, const epiRect& destination,
                           const epiRect& clip)
{
    resampleFrom(from, from.toPixels(source.intersection(from.bounds())), toPixels(destination), toPixels(clip),
                 from.hasAlpha() ? Mode::Blend : Mode::Opaque);
}

void epiBitmap::resampleFrom(const epiBitmap& from, const epiRect& source, const epiRect& destination,
                             const epiRect& clip, Mode mode, uint32_t colour)
{
    epiRect src = source.intersection(from.pixelBounds());
    if (src.isEmpty() || destination.isEmpty())
        return;
    epiRect visible = destination.intersection(pixelBounds()).intersection(clip);
    if (mode == Mode::Coverage) {
        // Coverage is sampled at the nearest source pixel: text stays sharp-edged.
        for (int32_t y = visible.top; y < visible.bottom; ++y) {
            int32_t sy = src.top + static_cast<int32_t>(int64_t{y - destination.top} * src.height() / destination.height());
            uint32_t* out = row(y);
            for (int32_t x = visible.left; x < visible.right; ++x) {
                int32_t sx = src.left + static_cast<int32_t>(int64_t{x - destination.left} * src.width() / destination.width());
                out[x] = coverageBlend(out[x], channel(from.pixel(sx, sy), 16) / 255.0f, colour);
            }
        }
        return;
    }
    float scaleX = static_cast<float>(src.width()) / destination.width();
    float scaleY = static_cast<float>(src.height()) / destination.height();
    for (int32_t y = visible.top; y < visible.bottom; ++y) {
        float fy = std::clamp((y - destination.top + 0.5f) * scaleY - 0.5f, 0.0f, src.height() - 1.0f);
        int32_t y0 = static_cast<int32_t>(fy);
        int32_t y1 = std::min(y0 + 1, src.height() - 1);
        float wy = fy - y0;
        uint32_t* out = row(y);
        for (int32_t x = visible.left; x < visible.right; ++x) {
            float fx = std::clamp((x - destination.left + 0.5f) * scaleX - 0.5f, 0.0f, src.width() - 1.0f);
            int32_t x0 = static_cast<int32_t>(fx);
            int32_t x1 = std::min(x0 + 1, src.width() - 1);
            float wx = fx - x0;
            uint32_t p00 = from.pixel(src.left + x0, src.top + y0),
                     p10 = from.pixel(src.left + x1, src.top + y0);
            uint32_t p01 = from.pixel(src.left + x0, src.top + y1),
                     p11 = from.pixel(src.left + x1, src.top + y1);
            uint32_t value = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                float top = channel(p00, shift) * (1 - wx) + channel(p10, shift) * wx;
                float bottom = channel(p01, shift) * (1 - wx) + channel(p11, shift) * wx;
                value |= static_cast<uint32_t>(std::lround(top * (1 - wy) + bottom * wy)) << shift;
            }
            out[x] = mode == Mode::Blend ? over(out[x], value) : (value | 0xFF000000u);
        }
    }
}

void epiBitmap::drawImage(const epiBitmap& from, const epiRect& destination, const epiRect& clip)
{
    if (destination.width() == from.width() && destination.height() == from.height()) {
        if (from.hasAlpha())
            blendFrom(from, from.bounds(), {destination.left, destination.top}, clip);
        else
            copyFrom(from, from.bounds(), {destination.left, destination.top}, clip);
    } else {
        drawScaled(from, from.bounds(), destination, clip);
    }
}

void epiBitmap::blendCoverage(const epiBitmap& from, const epiRect& source, epiPoint at, const epiRect& clip,
                              uint32_t colour)
{
    if (from.m_scale != m_scale) {
        epiRect src = source.intersection(from.bounds());
        resampleFrom(from, from.toPixels(src), toPixels(epiRect::fromSize(at.x, at.y, src.width(), src.height())),
                     toPixels(clip), Mode::Coverage, colour);
        return;
    }
    combineFrom(from, toPixels(source), {at.x * m_scale, at.y * m_scale}, toPixels(clip),
                [&](uint32_t out, uint32_t in) { return coverageBlend(out, channel(in, 16) / 255.0f, colour); });
}

void epiBitmap::blendMask(const uint8_t* mask, int32_t maskWidth, int32_t maskHeight, int32_t stride,
                          epiPoint at, const epiRect& clip, uint32_t colour, int32_t maskScale)
{
    if (maskWidth <= 0 || maskHeight <= 0 || maskScale < 1)
        return;
    // The mask's pixels land on this bitmap's pixels at the ratio of the two scales.
    epiPoint origin {at.x * m_scale, at.y * m_scale};
    epiRect target = epiRect::fromSize(origin.x, origin.y, static_cast<int32_t>(int64_t{maskWidth} * m_scale / maskScale),
                                       static_cast<int32_t>(int64_t{maskHeight} * m_scale / maskScale));
    epiRect visible = target.intersection(pixelBounds()).intersection(toPixels(clip));
    for (int32_t y = visible.top; y < visible.bottom; ++y) {
        int32_t my = std::min(maskHeight - 1, static_cast<int32_t>(int64_t{y - origin.y} * maskScale / m_scale));
        const uint8_t* in = mask + static_cast<size_t>(my) * stride;
        uint32_t* out = row(y);
        for (int32_t x = visible.left; x < visible.right; ++x) {
            int32_t mx = std::min(maskWidth - 1, static_cast<int32_t>(int64_t{x - origin.x} * maskScale / m_scale));
            if (uint8_t c = in[mx])
                out[x] = coverageBlend(out[x], c / 255.0f, colour);
        }
    }
}

void epiBitmap::applyAlphaMask(const epiBitmap& mask)
{
    int32_t w = std::min(m_width, mask.pixelWidth()), h = std::min(m_height, mask.pixelHeight());
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            setPixel(x, y, (pixel(x, y) & 0x00FFFFFFu) | (uint32_t{channel(mask.pixel(x, y), 16)} << 24));
    m_hasAlpha = true;
}
