#pragma once

#include "ui/epiBitmap.h"
#include "ui/epiText.h"

class epiResources;
class epiUiBitmapView;

// A font named by a four-character code. Alignment flags: bit 0 centred in the rectangle, bit 1
// right-aligned, neither left-aligned; the text box's top is the rectangle's top. Colours are
// 0xAARRGGBB.
class epiFont : public epiObject
{
public:
    static constexpr int kCentred = 1;
    static constexpr int kRight = 2;

    // Reads the font's files from the resources; false when they are missing or unusable.
    virtual bool load(epiResources& resources, epiCode code) = 0;
    virtual void drawToBitmap(epiBitmap& bitmap, int flags, const epiRect& rect, const epiRect& clip,
                              const epiText& text, uint32_t colour) = 0;
    // The width of the text in pixels.
    virtual int measure(const epiText& text) = 0;
    // The same into the off-screen bitmap of a view, for widgets that draw inside one: what is
    // drawn shows when the view copies that part out.
    virtual void drawToView(epiUiBitmapView& view, int flags, const epiRect& rect, const epiRect& clip,
                            const epiText& text, uint32_t colour);
    virtual int measureInView(epiUiBitmapView& view, int flags, const epiText& text);

protected:
    // Reads a font file: from its path on disk when the set has one, otherwise from the set.
    static bool readFontText(epiResources& resources, const epiText& name, epiText& text);
    static bool readFontImage(epiResources& resources, const epiText& name, epiBitmap& bitmap);
};
