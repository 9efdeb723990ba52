#include "ui/epiFont_FontSystem.h"

#include "ui/epiXmlChunk.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdio>

namespace {

// Sizes are points on a 96 dots-per-inch screen, as desktop toolkits take them.
constexpr double kDotsPerInch = 96.0;
constexpr size_t kMaxFamily = 99;
constexpr size_t kMaxDrawn = 10000;

// A Pango layout over a surface, with options that make the result the same on every machine.
PangoLayout* makeLayout(cairo_t* cr, PangoFontDescription* description)
{
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoContext* context = pango_layout_get_context(layout);
    pango_cairo_context_set_font_options(context, options);
    pango_cairo_context_set_resolution(context, kDotsPerInch);
    pango_layout_context_changed(layout);
    cairo_font_options_destroy(options);
    pango_layout_set_font_description(layout, description);
    return layout;
}

// Text cut at a character boundary to at most kMaxDrawn bytes; invalid UTF-8 made valid.
std::string drawable(const epiText& text)
{
    std::string bytes = text.str().substr(0, kMaxDrawn);
    gchar* valid = g_utf8_make_valid(bytes.data(), static_cast<gssize>(bytes.size()));
    std::string result = valid;
    g_free(valid);
    return result;
}

} // namespace

epiFont_FontSystem::epiFont_FontSystem()
{
    makeDescription();
}

epiFont_FontSystem::~epiFont_FontSystem()
{
    if (m_description)
        pango_font_description_free(m_description);
}

void epiFont_FontSystem::readDescription(const epiText& xml)
{
    epiXmlChunk root;
    root.parse(xml);
    epiXmlChunk content = root.child("epi").child("content");
    for (const char* block : {"allplatforms", "win32"}) {
        epiXmlChunk values = content.child(block);
        if (epiXmlChunk family = values.child("family"); !family.isEmpty())
            m_family = family.text().substring(0, kMaxFamily);
        if (epiXmlChunk size = values.child("size"); !size.isEmpty())
            m_size = std::clamp(size.text().toInt(), 1, 1000);
        if (epiXmlChunk bold = values.child("bold"); !bold.isEmpty())
            m_bold = bold.text().toInt() != 0;
        if (epiXmlChunk italic = values.child("italic"); !italic.isEmpty())
            m_italic = italic.text().toInt() != 0;
        if (epiXmlChunk kerning = values.child("kerning"); !kerning.isEmpty())
            m_kerning = kerning.text().toInt();
    }
    makeDescription();
}

void epiFont_FontSystem::makeDescription()
{
    if (m_description)
        pango_font_description_free(m_description);
    m_description = pango_font_description_new();
    pango_font_description_set_family(m_description, drawable(m_family).c_str());
    pango_font_description_set_size(m_description, m_size * PANGO_SCALE);
    pango_font_description_set_weight(m_description, m_bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(m_description, m_italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
}

void epiFont_FontSystem::setPixelFont(const epiText& family, int pixels, bool bold)
{
    m_family = family;
    m_bold = bold;
    m_italic = false;
    m_size = std::max(1, pixels * 72 / static_cast<int>(kDotsPerInch));
    makeDescription();
    pango_font_description_set_absolute_size(m_description, std::clamp(pixels, 1, 1000) * PANGO_SCALE);
}

bool epiFont_FontSystem::load(epiResources& resources, epiCode code)
{
    epiText name = "fontsystem_";
    name.appendCode(code);
    name.append(".xml");
    epiText xml;
    if (!readFontText(resources, name, xml))
        return false;
    readDescription(xml);
    std::printf("Found font type 3 <%s> <%s> %d\n", name.c_str(), m_family.c_str(), m_size);
    return true;
}

void epiFont_FontSystem::drawToBitmap(epiBitmap& bitmap, int flags, const epiRect& rect, const epiRect& clip,
                                      const epiText& text, uint32_t colour)
{
    // The text is drawn as coverage into an 8-bit mask the size of the visible part, then the
    // colour is blended through it like the bitmap fonts' text.
    epiRect visible = rect.intersection(clip).intersection(bitmap.bounds());
    if (visible.isEmpty() || text.isEmpty())
        return;
    // On a scaled bitmap the text is laid out in units and rasterised at its pixels.
    const int32_t scale = bitmap.scale();
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_A8, visible.width() * scale, visible.height() * scale);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return;
    }
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
    PangoLayout* layout = makeLayout(cr, m_description);
    std::string utf8 = drawable(text);
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
    pango_layout_set_width(layout, rect.width() * PANGO_SCALE);
    // The toolkit's alignment holds for every script: Pango would mirror it for a right-to-left
    // paragraph, so the base direction is not taken from the text (bidi reordering still is).
    pango_layout_set_auto_dir(layout, FALSE);
    pango_layout_set_alignment(layout, (flags & kCentred) ? PANGO_ALIGN_CENTER
                                       : (flags & kRight) ? PANGO_ALIGN_RIGHT
                                                          : PANGO_ALIGN_LEFT);
    cairo_move_to(cr, rect.left - visible.left, rect.top - visible.top);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    bitmap.blendMask(cairo_image_surface_get_data(surface), visible.width() * scale, visible.height() * scale,
                     cairo_image_surface_get_stride(surface), {visible.left, visible.top}, clip, colour, scale);
    cairo_surface_destroy(surface);
}

int epiFont_FontSystem::measure(const epiText& text)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cr = cairo_create(surface);
    PangoLayout* layout = makeLayout(cr, m_description);
    std::string utf8 = drawable(text);
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return logical.width;
}
