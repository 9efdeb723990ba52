#include "ui/epiUiBitmapText.h"

#include "ui/epiBitmap.h"
#include "ui/epiFonts.h"
#include "ui/epiResources.h"

#include <algorithm>

uint32_t epiUiBitmapText::parseColour(const epiText& value)
{
    auto component = [&](int index) {
        return static_cast<uint8_t>(std::clamp(value.field(index, ',').toInt(), 0, 255));
    };
    return epiArgb(255, component(0), component(1), component(2));
}

void epiUiBitmapText::setAttributeText(epiCode code, const epiText& value)
{
    switch (code) {
    case epiFourCC("teFo"):
        m_font = value.toCode();
        invalidate();
        return;
    case epiFourCC("teCl"):
        m_colour = parseColour(value);
        invalidate();
        return;
    default:
        epiUbo::setAttributeText(code, value);
    }
}

void epiUiBitmapText::setAttribute(epiCode code, int32_t value)
{
    if (code == epiFourCC("txAl"))
        m_alignment = value;
    else if (code == epiFourCC("Clik"))
        m_clickable = value != 0;
    epiUbo::setAttribute(code, value);
}

void epiUiBitmapText::setText(const epiText& text)
{
    epiUbo::setText(text);
    invalidate();
}

void epiUiBitmapText::drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    epiResources* set = resources();
    const epiText& shown = drawnText();
    if (!set || shown.isEmpty())
        return;
    epiRect box = boundsAt(origin);
    epiRect clip = clipAt(origin, rect);
    set->fonts().draw(target, m_font, m_alignment, box, clip, shown, m_colour);
}

bool epiUiBitmapText::mouseDown(const epiPoint&)
{
    hit();
    return true;
}
