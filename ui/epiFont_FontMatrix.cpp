#include "ui/epiFont_FontMatrix.h"

#include "ui/epiFont_FontSystem.h"
#include "ui/epiXmlChunk.h"

#include <algorithm>
#include <cmath>

epiFont_FontMatrix::epiFont_FontMatrix() = default;
epiFont_FontMatrix::~epiFont_FontMatrix() = default;

bool epiFont_FontMatrix::needsSystemFont(const epiText& text) const
{
    // An atlas without a code range (a description not read yet) is taken to hold 32 to 127.
    int first = m_lastCode > 0 ? m_firstCode : 32;
    int last = m_lastCode > 0 ? m_lastCode : 127;
    for (unsigned char c : text.view())
        if (c < first || c > last)
            return true;
    return false;
}

epiFont_FontSystem& epiFont_FontMatrix::fallback()
{
    if (!m_fallback) {
        m_fallback = std::make_shared<epiFont_FontSystem>();
        m_fallback->setPixelFont(m_systemFamily, m_systemPixels, m_systemBold);
    }
    return *m_fallback;
}

bool epiFont_FontMatrix::load(epiResources& resources, epiCode code)
{
    epiText base = "fontmatrix_";
    base.appendCode(code);
    epiText xmlName = base, imageName = base;
    xmlName.append(".xml");
    imageName.append(".png");
    epiText xml;
    epiBitmap atlas;
    if (!readFontText(resources, xmlName, xml) || !readFontImage(resources, imageName, atlas))
        return false;
    readDescription(xml);
    m_atlas = std::move(atlas);
    return true;
}

void epiFont_FontMatrix::readDescription(const epiText& xml)
{
    m_glyphs = {};
    epiXmlChunk root;
    root.parse(xml);
    epiXmlChunk system = root.child("epi").child("content").child("systemfont");
    if (!system.isEmpty()) {
        if (!system.child("name").text().isEmpty())
            m_systemFamily = system.child("name").text().substring(0, 99);
        m_systemPixels = std::clamp(system.child("size").text().toInt(), 4, 200);
        m_systemBold = system.child("bold").text().toInt() != 0;
        m_fallback.reset();
    }
    epiXmlChunk table = root.child("epi").child("content").child("gliphsdisplacements");
    if (table.isEmpty())
        return;
    m_firstCode = table.child("gliphcodestart").text().toInt();
    m_lastCode = table.child("gliphcodeend").text().toInt();
    m_variants = std::clamp(table.child("inpixeloffsets").text().toInt(), 1, kMaxVariants);
    m_cellHeight = table.child("gliphboxheight").text().toInt();
    epiXmlChunkEnumerator glyphs(table.child("elems"), "gliph");
    epiXmlChunk element;
    while (glyphs.next(element)) {
        int code = element.child("code").text().toInt();
        if (code < 0 || code > 255)
            continue;
        Glyph& glyph = m_glyphs[code];
        float advance = static_cast<float>(element.child("advance").text().toDouble());
        glyph.advance = std::isfinite(advance) ? std::clamp(advance, -1000.0f, 1000.0f) : 0.0f;
        epiXmlChunkEnumerator offsets(element, "offset");
        epiXmlChunk offset;
        while (offsets.next(offset)) {
            int index = offset.child("index").text().toInt();
            if (index < 0 || index >= kMaxVariants)
                continue;
            epiText area = offset.child("copyarea").text();
            epiText cell = offset.child("boxpos").text();
            Variant& variant = glyph.variants[index];
            auto number = [](const epiText& list, int index) {
                return epiClampCoordinate(list.field(index, ',').toInt());
            };
            variant.copyArea = {number(area, 0), number(area, 1), number(area, 2) + 2, number(area, 3) + 2};
            variant.cell = {number(cell, 0), number(cell, 1)};
        }
    }
}

int epiFont_FontMatrix::variantAt(float penX) const
{
    float fraction = penX - std::floor(penX);
    return std::clamp(static_cast<int>(fraction * m_variants), 0, m_variants - 1);
}

int epiFont_FontMatrix::measure(const epiText& text)
{
    if (needsSystemFont(text))
        return fallback().measure(text);
    double width = 1;
    for (unsigned char c : text.view())
        width += m_glyphs[c].advance + m_spacing + 0.5;
    // Damaged advances on a long text must not overflow the result.
    return static_cast<int>(std::clamp(width, -1e9, 1e9));
}

void epiFont_FontMatrix::drawToBitmap(epiBitmap& bitmap, int flags, const epiRect& rect, const epiRect& clip,
                                      const epiText& text, uint32_t colour)
{
    // The atlas holds the glyphs at one pixel size: a scaled bitmap gets the same face drawn at
    // its own resolution instead of enlarged glyphs.
    if (needsSystemFont(text) || bitmap.scale() > 1)
        return fallback().drawToBitmap(bitmap, flags, rect, clip, text, colour);
    float penX = static_cast<float>(rect.left);
    if (flags & kCentred)
        penX = static_cast<float>(rect.left + rect.width() / 2 - measure(text) / 2);
    else if (flags & kRight)
        penX = static_cast<float>(rect.right - measure(text) - 1);
    int penY = rect.top;
    for (unsigned char c : text.view()) {
        const Glyph& glyph = m_glyphs[c];
        const Variant& variant = glyph.variants[variantAt(penX)];
        int left = variant.copyArea.left + static_cast<int>(std::floor(penX)) - variant.cell.x;
        int top = variant.copyArea.top + penY - variant.cell.y;
        if (!variant.copyArea.isEmpty())
            bitmap.blendCoverage(m_atlas, variant.copyArea, {left, top}, clip, colour);
        penX += glyph.advance + m_spacing + 0.5f;
        if (!std::isfinite(penX) || std::fabs(penX) > 1e6f)
            break;
    }
}
