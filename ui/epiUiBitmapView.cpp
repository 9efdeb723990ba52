#include "ui/epiUiBitmapView.h"

#include "ui/epiUiBitmapImage.h"

bool epiUiBitmapView::acceptsParent(epiCode type) const
{
    return epiUiBitmapImage::isWidgetParent(type) || type == epiFourCC("ubob");
}

void epiUiBitmapView::create()
{
    m_bitmap.create(frame().width(), frame().height(), epiDisplayScale());
    epiUbo::create();
}

void epiUiBitmapView::frameChanged()
{
    if (!m_bitmap.isEmpty() && (m_bitmap.width() != frame().width() || m_bitmap.height() != frame().height()))
        m_bitmap.create(frame().width(), frame().height(), epiDisplayScale());
}

void epiUiBitmapView::draw(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    if (m_bitmap.isEmpty()) {
        // Not created yet: draw straight into the target.
        epiUbo::draw(target, origin, rect);
        return;
    }
    epiRect part = rect.intersection(bounds());
    if (part.isEmpty())
        return;
    // What lies under the view shows through where nothing in it draws.
    m_bitmap.copyFrom(target, epiRect(origin.x + part.left, origin.y + part.top, origin.x + part.right,
                                      origin.y + part.bottom),
                      {part.left, part.top}, part);
    epiUbo::draw(m_bitmap, {0, 0}, part);
    epiRect clip = part;
    clip.offset(origin.x, origin.y);
    target.copyFrom(m_bitmap, part, {origin.x + part.left, origin.y + part.top}, clip);
}

void epiUiBitmapViewContainer::setAttributeText(epiCode code, const epiText& value)
{
    if (!m_childLayout.set(*this, code, value))
        epiUiBitmapView::setAttributeText(code, value);
}

bool epiUiBitmapViewContainer::getAttribute(epiCode code, epiText& value) const
{
    return m_childLayout.get(code, value) || epiUiBitmapView::getAttribute(code, value);
}

void epiUiBitmapViewContainer::create()
{
    epiUiBitmapView::create();
    m_childLayout.build(*this);
}
