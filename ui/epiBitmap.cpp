#include "ui/epiBitmap.h"

#include <algorithm>
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

} // namespace

bool epiBitmap::create(int32_t width, int32_t height)
{
    // The area cap keeps a damaged image header from asking for gigabytes.
    if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide ||
        int64_t{width} * height > kMaxArea)
        return false;
    m_width = width;
    m_height = height;
    m_pixels.assign(static_cast<size_t>(width) * height, 0);
    return true;
}

void epiBitmap::fill(const epiRect& rect, uint32_t argb)
{
    epiRect area = rect.intersection(bounds());
    for (int32_t y = area.top; y < area.bottom; ++y)
        std::fill(row(y) + area.left, row(y) + area.right, argb);
}

bool epiBitmap::clipCopy(const epiBitmap& from, epiRect& source, epiPoint& at, const epiRect& clip) const
{
    source = source.intersection(from.bounds());
    if (source.isEmpty())
        return false;
    epiRect target = epiRect::fromSize(at.x, at.y, source.width(), source.height());
    epiRect visible = target.intersection(bounds()).intersection(clip);
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
    combineFrom(from, source, at, clip, [](uint32_t, uint32_t in) { return in | 0xFF000000u; });
}

void epiBitmap::blendFrom(const epiBitmap& from, const epiRect& source, epiPoint at, const epiRect& clip)
{
    combineFrom(from, source, at, clip, [&](uint32_t out, uint32_t in) { return over(out, in); });
}

void epiBitmap::drawScaled(const epiBitmap& from, const epiRect& source, const epiRect& destination,
                           const epiRect& clip)
{
    epiRect src = source.intersection(from.bounds());
    if (src.isEmpty() || destination.isEmpty())
        return;
    epiRect visible = destination.intersection(bounds()).intersection(clip);
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
            out[x] = from.hasAlpha() ? over(out[x], value) : (value | 0xFF000000u);
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
    combineFrom(from, source, at, clip, [&](uint32_t out, uint32_t in) { return coverageBlend(out, channel(in, 16) / 255.0f, colour); });
}

void epiBitmap::blendMask(const uint8_t* mask, int32_t maskWidth, int32_t maskHeight, int32_t stride,
                          epiPoint at, const epiRect& clip, uint32_t colour)
{
    epiRect target = epiRect::fromSize(at.x, at.y, maskWidth, maskHeight);
    epiRect visible = target.intersection(bounds()).intersection(clip);
    for (int32_t y = visible.top; y < visible.bottom; ++y) {
        const uint8_t* in = mask + static_cast<size_t>(y - at.y) * stride;
        uint32_t* out = row(y);
        for (int32_t x = visible.left; x < visible.right; ++x)
            if (uint8_t c = in[x - at.x])
                out[x] = coverageBlend(out[x], c / 255.0f, colour);
    }
}

void epiBitmap::applyAlphaMask(const epiBitmap& mask)
{
    int32_t w = std::min(m_width, mask.width()), h = std::min(m_height, mask.height());
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            setPixel(x, y, (pixel(x, y) & 0x00FFFFFFu) | (uint32_t{channel(mask.pixel(x, y), 16)} << 24));
    m_hasAlpha = true;
}
