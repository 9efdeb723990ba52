#include "ui/epiFont.h"

#include "ui/epiResources.h"
#include "ui/epiTextFile.h"
#include "ui/epiUiBitmapView.h"

bool epiFont::readFontText(epiResources& resources, const epiText& name, epiText& text)
{
    epiPath native;
    if (resources.nativePath(name, epiResources::kFonts, native)) {
        epiTextFile file;
        if (!file.readFrom(native))
            return false;
        text.assign(file);
        return true;
    }
    return resources.readResourceText(name, epiResources::kFonts, text);
}

bool epiFont::readFontImage(epiResources& resources, const epiText& name, epiBitmap& bitmap)
{
    return resources.loadImage(name, epiResources::kFonts, bitmap);
}

void epiFont::drawToView(epiUiBitmapView& view, int flags, const epiRect& rect, const epiRect& clip,
                         const epiText& text, uint32_t colour)
{
    drawToBitmap(view.bitmap(), flags, rect, clip, text, colour);
}

int epiFont::measureInView(epiUiBitmapView&, int, const epiText& text)
{
    // The view's bitmap draws at one pixel per unit, as measure() counts.
    return measure(text);
}
