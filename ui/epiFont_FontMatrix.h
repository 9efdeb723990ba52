#pragma once

#include "ui/epiFont.h"

#include <array>
#include <memory>

class epiFont_FontSystem;

// A glyph atlas with sub-pixel positioned variants of each glyph, described by
// "fontmatrix_<code>.xml" and drawn from "fontmatrix_<code>.png" (the red component is coverage).
//
// The atlas holds the codes from firstCode to lastCode (32 to 127). A text with any byte outside
// them (accented letters, other scripts: UTF-8 sequences) is drawn and measured whole with the
// system font the atlas was made from, at the same pixel size, so no letter is lost; Pango
// picks fallback fonts and lays out right-to-left scripts.
class epiFont_FontMatrix : public epiFont
{
public:
    epiFont_FontMatrix();
    ~epiFont_FontMatrix() override;

    static constexpr int kMaxVariants = 16;

    struct Variant
    {
        epiRect copyArea; // right and bottom already 2 larger than written
        epiPoint cell;
    };
    struct Glyph
    {
        float advance = 0;
        std::array<Variant, kMaxVariants> variants{};
    };

    bool load(epiResources& resources, epiCode code) override;
    // Reads the description alone (the atlas is set separately).
    void readDescription(const epiText& xml);
    void setAtlas(const epiBitmap& atlas) { m_atlas = atlas; }

    void drawToBitmap(epiBitmap& bitmap, int flags, const epiRect& rect, const epiRect& clip,
                      const epiText& text, uint32_t colour) override;
    // 1 + the sum of (advance + spacing + 0.5) over the bytes, truncated.
    int measure(const epiText& text) override;

    // The variant drawn at a pen position: fraction of the pixel × variant count, truncated.
    int variantAt(float penX) const;
    const Glyph& glyph(unsigned char code) const { return m_glyphs[code]; }
    int variantCount() const { return m_variants; }
    int cellHeight() const { return m_cellHeight; }
    int firstCode() const { return m_firstCode; }
    int lastCode() const { return m_lastCode; }
    void setSpacing(int pixels) { m_spacing = pixels; }
    // True when the atlas cannot draw every byte of the text.
    bool needsSystemFont(const epiText& text) const;

private:
    std::array<Glyph, 256> m_glyphs{};
    int m_firstCode = 0;
    int m_lastCode = 0;
    int m_variants = 1;
    int m_cellHeight = 0;
    int m_spacing = 0;
    epiBitmap m_atlas;
    // From the description's systemfont element: the font the atlas was rendered from.
    epiText m_systemFamily = "Arial";
    int m_systemPixels = 12;
    bool m_systemBold = false;
    std::shared_ptr<epiFont_FontSystem> m_fallback; // copies share it: same description
    epiFont_FontSystem& fallback();
};
