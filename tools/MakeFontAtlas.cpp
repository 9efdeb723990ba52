// zumeli-fontatlas: renders a matrix font (a glyph atlas with sub-pixel variants) with FreeType.
//
//   zumeli-fontatlas FONTFILE PIXELSIZE CODE OUTPUTFOLDER [FAMILY BOLD]
//
// Writes OUTPUTFOLDER/fontmatrix_CODE.png and fontmatrix_CODE.xml for character codes 32 to 127
// with 4 variants each, shifted by 0, 1/4, 1/2 and 3/4 of a pixel. Each glyph has a column of
// the atlas, each variant a row; rows are 15 pixels apart, or the cell height when the glyphs
// are taller. The red component of the atlas is the glyph's coverage.
#include "ui/epiBitmap.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kFirst = 32;
constexpr int kLast = 127;
constexpr int kVariants = 4;
constexpr int kMinRowSpacing = 15;

struct Rendered
{
    int left = 0, top = 0, width = 0, rows = 0;
    std::vector<uint8_t> coverage;
};

struct Glyph
{
    double advance = 0;
    Rendered variants[kVariants];
};

// Appends a printf-formatted line to `out` (the compiler checks each format against its values).
__attribute__((format(printf, 2, 3))) void appendFormatted(std::string& out, const char* format, ...)
{
    char line[256];
    va_list values;
    va_start(values, format);
    std::vsnprintf(line, sizeof line, format, values);
    va_end(values);
    out += line;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5 && argc != 7) {
        std::fprintf(stderr, "usage: %s FONTFILE PIXELSIZE CODE OUTPUTFOLDER [FAMILY BOLD]\n", argv[0]);
        return 2;
    }
    const char* fontFile = argv[1];
    int pixels = std::atoi(argv[2]);
    std::string code = argv[3];
    std::string folder = argv[4];
    std::string family = argc == 7 ? argv[5] : "Arial";
    int bold = argc == 7 ? std::atoi(argv[6]) : 0;
    if (pixels < 4 || pixels > 200 || code.size() != 4) {
        std::fprintf(stderr, "zumeli-fontatlas: bad size or code\n");
        return 2;
    }

    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library) || FT_New_Face(library, fontFile, 0, &face) ||
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels))) {
        std::fprintf(stderr, "zumeli-fontatlas: cannot open %s\n", fontFile);
        return 1;
    }
    int ascent = static_cast<int>(std::ceil(face->size->metrics.ascender / 64.0));

    std::vector<Glyph> glyphs(kLast - kFirst + 1);
    for (int c = kFirst; c <= kLast; ++c) {
        Glyph& glyph = glyphs[c - kFirst];
        for (int v = 0; v < kVariants; ++v) {
            FT_Vector shift = {v * 64 / kVariants, 0};
            FT_Set_Transform(face, nullptr, &shift);
            // Unhinted outlines keep the quarter-pixel shifts and the fractional advances.
            if (FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_RENDER | FT_LOAD_NO_HINTING)) {
                std::fprintf(stderr, "zumeli-fontatlas: no glyph for %d\n", c);
                return 1;
            }
            FT_GlyphSlot slot = face->glyph;
            glyph.advance = slot->linearHoriAdvance / 65536.0;
            Rendered& out = glyph.variants[v];
            out.left = slot->bitmap_left;
            out.top = ascent - slot->bitmap_top;
            out.width = static_cast<int>(slot->bitmap.width);
            out.rows = static_cast<int>(slot->bitmap.rows);
            out.coverage.resize(static_cast<size_t>(out.width) * out.rows);
            for (int y = 0; y < out.rows; ++y)
                for (int x = 0; x < out.width; ++x)
                    out.coverage[static_cast<size_t>(y) * out.width + x] =
                        slot->bitmap.buffer[y * slot->bitmap.pitch + x];
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);

    // The pen's position inside a cell leaves room for glyphs that reach left of it or above the
    // ascent; every glyph then fits its own cell.
    int padLeft = 1, padTop = 0, right = 1, bottom = pixels;
    for (const Glyph& glyph : glyphs)
        for (const Rendered& r : glyph.variants) {
            if (r.width == 0)
                continue;
            padLeft = std::max(padLeft, 1 - r.left);
            padTop = std::max(padTop, -r.top);
            right = std::max(right, r.left + r.width);
            bottom = std::max(bottom, r.top + r.rows);
        }
    int cellWidth = padLeft + right + 1;
    int cellHeight = padTop + bottom;
    int rowSpacing = std::max(kMinRowSpacing, cellHeight);

    epiBitmap atlas;
    if (!atlas.create(cellWidth * static_cast<int>(glyphs.size()), rowSpacing * kVariants)) {
        std::fprintf(stderr, "zumeli-fontatlas: atlas too large\n");
        return 1;
    }
    atlas.fill(atlas.bounds(), epiArgb(255, 0, 0, 0));

    std::string xml;
    appendFormatted(xml, "<epi>\r\n<version>4</version>\r\n<signature>fontmatrix</signature>\r\n<content>\r\n<version>1</"
        "version>\r\n");
    appendFormatted(xml, "<systemfont><name>%s</name><size>%d</size><bold>%d</bold><italic>0</italic><antialias>1</"
        "antialias></systemfont>\r\n",
        family.c_str(), pixels, bold);
    appendFormatted(xml, "<gliphsdisplacements>\r\n<gliphcodestart>%d</gliphcodestart>\r\n<gliphcodeend>%d</gliphcodeend>\r\n",
        kFirst, kLast);
    appendFormatted(xml, "<inpixeloffsets>%d</inpixeloffsets>\r\n<gliphboxwidth>%d</gliphboxwidth>\r\n<gliphboxheight>%d</"
        "gliphboxheight>\r\n",
        kVariants, cellWidth, rowSpacing);
    appendFormatted(xml, "<elemscount>%d</elemscount>\r\n<elems>\r\n", static_cast<int>(glyphs.size()));
    for (int c = kFirst; c <= kLast; ++c) {
        const Glyph& glyph = glyphs[c - kFirst];
        // Drawing adds half a pixel after every glyph, so the stored advance is half a pixel less.
        appendFormatted(xml, "<gliph><code>%d</code><advance>%.2f</advance>\r\n", c, glyph.advance - 0.5);
        for (int v = 0; v < kVariants; ++v) {
            const Rendered& r = glyph.variants[v];
            int penX = (c - kFirst) * cellWidth + padLeft;
            int penY = v * rowSpacing + padTop;
            int left = penX + r.left, top = penY + r.top;
            for (int y = 0; y < r.rows; ++y)
                for (int x = 0; x < r.width; ++x) {
                    uint8_t value = r.coverage[static_cast<size_t>(y) * r.width + x];
                    atlas.setPixel(left + x, top + y, epiArgb(255, value, value, value));
                }
            // The reader takes right and bottom 2 pixels larger than written.
            appendFormatted(xml, "<offset><index>%d</index><value>%.2f</value><boxpos>%d,%d</boxpos><copyarea>%d,%d,%d,%d</"
                "copyarea></offset>\r\n",
                v, static_cast<double>(v) / kVariants, penX, penY, left, top, left + r.width - 2,
                top + r.rows - 2);
        }
        appendFormatted(xml, "</gliph>\r\n");
    }
    appendFormatted(xml, "</elems>\r\n</gliphsdisplacements>\r\n</content>\r\n</epi>\r\n");

    std::string base = folder + "/fontmatrix_" + code;
    FILE* out = std::fopen((base + ".xml").c_str(), "wb");
    bool ok = out && std::fwrite(xml.data(), 1, xml.size(), out) == xml.size();
    if (out)
        ok = std::fclose(out) == 0 && ok;
    if (!ok || !atlas.savePng(base + ".png")) {
        std::fprintf(stderr, "zumeli-fontatlas: cannot write %s\n", base.c_str());
        return 1;
    }
    return 0;
}
