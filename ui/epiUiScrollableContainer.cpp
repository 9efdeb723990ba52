#include "ui/epiUiScrollableContainer.h"

#include <algorithm>

void epiUiScrollableContainer::setAttribute(epiCode code, int32_t value)
{
    if (code == epiFourCC("arra") && value > 0)
        m_step = value;
    epiUiContainer::setAttribute(code, value);
}

epiRect epiUiScrollableContainer::contentExtent() const
{
    epiRect extent;
    for (int i = 0; i < childCount(); ++i) {
        epiRect at = childAt(i)->frame();
        at.offset(m_scroll.x, m_scroll.y);
        extent = extent.isEmpty() ? at : extent.united(at);
    }
    return extent;
}

void epiUiScrollableContainer::scrollTo(int32_t x, int32_t y)
{
    epiRect extent = contentExtent();
    x = std::clamp(x, 0, std::max(0, extent.right - frame().width()));
    y = std::clamp(y, 0, std::max(0, extent.bottom - frame().height()));
    int32_t dx = x - m_scroll.x, dy = y - m_scroll.y;
    if (dx == 0 && dy == 0)
        return;
    m_scroll = {x, y};
    for (int i = 0; i < childCount(); ++i) {
        epiUbo* child = childAt(i);
        child->setOrigin(child->frame().left - dx, child->frame().top - dy);
    }
    invalidate();
}

bool epiUiScrollableContainer::mouseWheel(const epiPoint& point, int steps)
{
    if (epiUiContainer::mouseWheel(point, steps))
        return true;
    int32_t before = m_scroll.y;
    scrollTo(m_scroll.x, m_scroll.y - steps * m_step);
    return m_scroll.y != before;
}
