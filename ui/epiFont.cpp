#include "ui/epiFont.h"

#include "ui/epiResources.h"
#include "ui/epiTextFile.h"

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
