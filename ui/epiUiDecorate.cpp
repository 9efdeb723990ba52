#include "ui/epiUiDecorate.h"

#include "ui/epiBitmap.h"
#include "ui/epiUiBitmapText.h"

#include <algorithm>

void epiUiDecorate::setAttributeText(epiCode code, const epiText& value)
{
    switch (code) {
    case epiFourCC("Fion"):
    case epiFourCC("Fiof"): {
        int on = code == epiFourCC("Fion") ? 1 : 0;
        m_fill[on] = epiUiBitmapText::parseColour(value);
        m_fillGiven[on] = true;
        invalidate();
        return;
    }
    case epiFourCC("fron"):
    case epiFourCC("frof"): {
        int on = code == epiFourCC("fron") ? 1 : 0;
        m_frameColour[on] = epiUiBitmapText::parseColour(value);
        m_frameGiven[on] = true;
        invalidate();
        return;
    }
    default:
        epiUiContainer::setAttributeText(code, value);
    }
}

void epiUiDecorate::setAttribute(epiCode code, int32_t value)
{
    switch (code) {
    case epiFourCC("fdim"):
        m_thickness = std::clamp(value, 0, 64);
        break;
    case epiFourCC("fdon"):
        m_drawFrame = value != 0;
        break;
    case epiFourCC("fres"):
        m_drawFill = value != 0;
        break;
    case epiFourCC("frnd"):
        m_corner = std::clamp(value, 0, 64);
        break;
    case epiFourCC("frov"):
        m_frameOver = value != 0;
        break;
    case epiFourCC("frsd"):
        m_shadow = std::clamp(value, 0, 64);
        break;
    case epiFourCC("teSi"):
        m_textSize = value;
        break;
    case epiFourCC("teBo"):
        m_textBold = value != 0;
        break;
    case epiFourCC("txAl"):
        m_alignment = value;
        break;
    default:
        break;
    }
    epiUiContainer::setAttribute(code, value);
    invalidate();
}

void epiUiDecorate::setValue(int32_t value)
{
    if ((value != 0) == m_on)
        return;
    m_on = value != 0;
    invalidate();
}

void epiUiDecorate::draw(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    epiUiContainer::draw(target, origin, rect);
    if (m_frameOver) {
        epiRect box = boundsAt(origin);
        epiRect clip = clipAt(origin, rect);
        drawFrame(target, box, clip);
    }
}

void epiUiDecorate::drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    epiRect box = boundsAt(origin);
    epiRect clip = clipAt(origin, rect);
    if (m_shadow > 0) {
        uint32_t shade = epiArgb(255, 96, 96, 96);
        target.fill(epiRect(box.right - m_shadow, box.top + m_shadow, box.right, box.bottom).intersection(clip), shade);
        target.fill(epiRect(box.left + m_shadow, box.bottom - m_shadow, box.right, box.bottom).intersection(clip), shade);
        box.right -= m_shadow;
        box.bottom -= m_shadow;
    }
    int on = m_on ? 1 : 0;
    if (m_drawFill && m_fillGiven[on]) {
        // Rows of the fill get shorter toward the cut corners.
        for (int32_t y = box.top; y < box.bottom; ++y) {
            int32_t fromEdge = std::min(y - box.top, box.bottom - 1 - y);
            int32_t inset = std::max(0, m_corner - fromEdge);
            target.fill(epiRect(box.left + inset, y, box.right - inset, y + 1).intersection(clip), m_fill[on]);
        }
    }
    if (!m_frameOver)
        drawFrame(target, box, clip);
}

void epiUiDecorate::drawFrame(epiBitmap& target, const epiRect& box, const epiRect& clip) const
{
    int on = m_on ? 1 : 0;
    if (!m_drawFrame || !m_frameGiven[on] || m_thickness <= 0)
        return;
    uint32_t colour = m_frameColour[on];
    int32_t t = std::min({m_thickness, box.width() / 2 + 1, box.height() / 2 + 1});
    int32_t c = m_corner;
    target.fill(epiRect(box.left + c, box.top, box.right - c, box.top + t).intersection(clip), colour);
    target.fill(epiRect(box.left + c, box.bottom - t, box.right - c, box.bottom).intersection(clip), colour);
    target.fill(epiRect(box.left, box.top + c, box.left + t, box.bottom - c).intersection(clip), colour);
    target.fill(epiRect(box.right - t, box.top + c, box.right, box.bottom - c).intersection(clip), colour);
}
