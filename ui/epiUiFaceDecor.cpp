#include "ui/epiUiFaceDecor.h"

#include "ui/epiFonts.h"
#include "ui/epiResources.h"
#include "ui/epiUiBitmapText.h"

bool epiUiFaceText::take(epiCode code, const epiText& value)
{
    switch (code) {
    case epiFourCC("teFo"):
        font = value.toCode();
        return true;
    case epiFourCC("tCof"):
        colours[kOff] = epiUiBitmapText::parseColour(value);
        return true;
    case epiFourCC("tCon"):
        colours[kOn] = epiUiBitmapText::parseColour(value);
        return true;
    case epiFourCC("tCdi"):
        colours[kDisabled] = epiUiBitmapText::parseColour(value);
        return true;
    default:
        return take(code, value.toInt());
    }
}

bool epiUiFaceText::take(epiCode code, int32_t value)
{
    switch (code) {
    case epiFourCC("txAl"):
        alignment = value;
        return true;
    case epiFourCC("teOx"):
        offset.x = value;
        return true;
    case epiFourCC("teOy"):
        offset.y = value;
        return true;
    default:
        return false;
    }
}

void epiUiFaceText::draw(epiResources* set, epiBitmap& target, epiRect box, const epiRect& clip,
                         const epiText& text, State state) const
{
    if (!set || text.isEmpty())
        return;
    box.offset(offset.x, offset.y);
    set->fonts().draw(target, font, alignment, box, clip, text, colours[state]);
}

bool epiUiFaceIcon::take(epiResources* set, epiCode code, const epiText& imageName)
{
    int slot = code == epiFourCC("IcOf") ? 0 : code == epiFourCC("IcOn") ? 1 : -1;
    if (slot < 0)
        return false;
    if (imageName.isEmpty() || !set)
        return true;
    if (m_icons[slot] && m_resources)
        m_resources->unuseBitmap(m_icons[slot]);
    m_resources = set;
    m_icons[slot] = set->bitmap(imageName, epiResources::kImages);
    return true;
}

void epiUiFaceIcon::clear()
{
    for (epiBitmap*& icon : m_icons) {
        if (icon && m_resources)
            m_resources->unuseBitmap(icon);
        icon = nullptr;
    }
}

void epiUiFaceIcon::draw(epiBitmap& target, const epiRect& box, const epiRect& clip, bool on) const
{
    const epiBitmap* image = icon(on);
    if (!image)
        return;
    epiPoint at(box.left + (box.width() - image->width()) / 2, box.top + (box.height() - image->height()) / 2);
    if (image->hasAlpha())
        target.blendFrom(*image, image->bounds(), at, clip);
    else
        target.copyFrom(*image, image->bounds(), at, clip);
}
