#pragma once

#include "ui/epiFont.h"

#include <array>

// Glyphs cut from one image strip "fontstrip_<code>.png": the row two above the bottom marks the
// glyph boundaries (runs of marker pixels, those with the top bit of the pixel value set), and the
// glyphs of character codes 0, 1, 2, ... follow one another.
class epiFont_FontStrip : public epiFont
{
public:
    bool load(epiResources& resources, epiCode code) override;
    // Cuts the glyphs from a strip already in memory; false when it is too small to hold any.
    bool readStrip(const epiBitmap& strip);
    void drawToBitmap(epiBitmap& bitmap, int flags, const epiRect& rect, const epiRect& clip,
                      const epiText& text, uint32_t colour) override;
    int measure(const epiText& text) override;

    void setFixedPitch(int pixels) { m_fixedPitch = pixels; }
    void setSpacing(int pixels) { m_spacing = pixels; }
    const epiRect& glyphRect(unsigned char code) const { return m_glyphs[code]; }
    int advance(unsigned char code) const { return m_advances[code]; }

private:
    int step(unsigned char code) const;

    epiBitmap m_strip;
    std::array<epiRect, 256> m_glyphs{};
    std::array<int, 256> m_advances{};
    int m_height = 0;
    int m_fixedPitch = 0;
    int m_spacing = 0;
};
