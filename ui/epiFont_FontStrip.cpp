#include "ui/epiFont_FontStrip.h"

#include <algorithm>
#include <cstdlib>

bool epiFont_FontStrip::load(epiResources& resources, epiCode code)
{
    epiText name = "fontstrip_";
    name.appendCode(code);
    name.append(".png");
    epiBitmap strip;
    return readFontImage(resources, name, strip) && readStrip(strip);
}

bool epiFont_FontStrip::readStrip(const epiBitmap& strip)
{
    if (strip.height() < 4 || strip.width() < 2)
        return false;
    m_strip = strip;
    m_height = strip.height() - 4;
    m_glyphs = {};
    m_advances = {};
    int y = strip.height() - 3;
    auto isMarker = [&](int x) { return (strip.pixel(x, y) & 0x80000000u) != 0; };
    // A boundary is where a run of marker pixels ends; glyph k lies between boundaries k and k+1.
    int boundaries[257];
    int count = 0;
    for (int x = 0; x < strip.width() && count < 257;) {
        while (x < strip.width() && !isMarker(x))
            ++x;
        if (x >= strip.width())
            break;
        while (x < strip.width() && isMarker(x))
            ++x;
        boundaries[count++] = x;
    }
    for (int k = 0; k + 1 < count; ++k) {
        int a = boundaries[k], b = boundaries[k + 1];
        m_glyphs[k] = {a - 1, 0, b - 2, m_height};
        m_advances[k] = b - a - 1;
    }
    return true;
}

int epiFont_FontStrip::step(unsigned char code) const
{
    if (m_fixedPitch > 0)
        return m_fixedPitch;
    if (m_fixedPitch < 0 && code != '.')
        return std::abs(m_fixedPitch);
    return m_advances[code] + m_spacing;
}

int epiFont_FontStrip::measure(const epiText& text)
{
    int64_t width = 0;
    for (unsigned char c : text.view())
        width += step(c);
    return static_cast<int>(std::min<int64_t>(width, 1000000000));
}

void epiFont_FontStrip::drawToBitmap(epiBitmap& bitmap, int flags, const epiRect& rect, const epiRect& clip,
                                     const epiText& text, uint32_t colour)
{
    int x = rect.left;
    if (flags & kCentred)
        x = rect.left + rect.width() / 2 - measure(text) / 2;
    else if (flags & kRight)
        x = rect.right - measure(text) - 1;
    for (unsigned char c : text.view()) {
        epiRect source = m_glyphs[c];
        source.right = source.left + m_advances[c];
        epiRect target = epiRect::fromSize(x, rect.top, m_advances[c], m_height).intersection(clip);
        if (!source.isEmpty())
            bitmap.blendCoverage(m_strip, source, {x, rect.top}, target, colour);
        x += step(c);
    }
}
