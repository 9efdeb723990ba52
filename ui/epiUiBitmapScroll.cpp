#include "ui/epiUiBitmapScroll.h"

#include "ui/epiBitmap.h"
#include "ui/epiUiBehaviourDragger.h"

#include <cmath>

epiUiBehaviour* epiUiBitmapScroll::createBehaviour()
{
    auto* dragger = new epiUiBehaviourSmoothDragger;
    // The thumb follows the pointer pixel for pixel unless 'Sens' says otherwise.
    dragger->setDragUnits(epiUiBehaviourDragger::DragUnits::Position);
    dragger->setSensitivity(1);
    return dragger;
}

epiUiBehaviourSmoothDragger* epiUiBitmapScroll::dragger() const
{
    return dynamic_cast<epiUiBehaviourSmoothDragger*>(behaviour());
}

void epiUiBitmapScroll::fitDisplayRange()
{
    auto* bar = dragger();
    epiBitmap* thumb = face(0);
    if (!bar || (bar->hasDisplayRange() && !m_displayFitted))
        return;
    int32_t length = isHorizontal() ? frame().width() - (thumb ? thumb->width() : 0)
                                    : frame().height() - (thumb ? thumb->height() : 0);
    // Fitted, not given: a later 'dMin'/'dMax' still wins, a new size fits again.
    bar->setDisplayRange(0, length > 0 ? length : 0);
    bar->settle();
    m_displayFitted = true;
}

void epiUiBitmapScroll::frameChanged()
{
    if (auto* bar = dragger())
        bar->setAxis(isHorizontal() ? epiUiBehaviourDragger::Axis::Horizontal : epiUiBehaviourDragger::Axis::Vertical);
    fitDisplayRange();
}

void epiUiBitmapScroll::setAttribute(epiCode code, int32_t value)
{
    auto* bar = dragger();
    switch (code) {
    case epiFourCC("min_"):
        if (bar)
            bar->setUserRange(static_cast<float>(value), bar->userMaximum());
        break;
    case epiFourCC("max_"):
        if (bar)
            bar->setUserRange(bar->userMinimum(), static_cast<float>(value));
        break;
    case epiFourCC("arra"):
        m_arrowStep = value != 0 ? std::abs(value) : 1;
        break;
    default:
        break;
    }
    epiUiBitmapImage::setAttribute(code, value);
    if (code == epiFourCC("dMin") || code == epiFourCC("dMax"))
        m_displayFitted = false;
}

void epiUiBitmapScroll::setAttributeText(epiCode code, const epiText& value)
{
    epiUiBitmapImage::setAttributeText(code, value);
    if (code == epiFourCC("irOf"))
        fitDisplayRange();
}

bool epiUiBitmapScroll::getAttribute(epiCode code, epiText& value) const
{
    auto* bar = dragger();
    if (code == epiFourCC("max_") && bar) {
        value.format("%d", static_cast<int>(bar->userMaximum()));
        return true;
    }
    return epiUiBitmapImage::getAttribute(code, value);
}

void epiUiBitmapScroll::setValue(int32_t value)
{
    if (auto* bar = dragger())
        bar->setValue(static_cast<float>(value));
}

int32_t epiUiBitmapScroll::value() const
{
    auto* bar = dragger();
    return bar ? static_cast<int32_t>(std::lround(bar->value())) : 0;
}

bool epiUiBitmapScroll::mouseWheel(const epiPoint&, int steps)
{
    auto* bar = dragger();
    if (!bar || !isEnabled())
        return false;
    // A notch down (negative steps) moves the list on.
    if (bar->setValue(bar->value() - static_cast<float>(steps) * m_arrowStep))
        hit();
    return true;
}

void epiUiBitmapScroll::animationTick(double elapsed, int)
{
    if (auto* bar = dragger())
        bar->advance(static_cast<float>(elapsed));
}

epiRect epiUiBitmapScroll::thumbRect() const
{
    epiBitmap* thumb = face(0);
    auto* bar = dragger();
    if (!thumb)
        return {};
    int32_t offset = bar ? bar->shownPosition() : 0;
    if (isHorizontal())
        return epiRect::fromSize(offset, 0, thumb->width(), thumb->height());
    return epiRect::fromSize(0, frame().height() - thumb->height() - offset, thumb->width(), thumb->height());
}

void epiUiBitmapScroll::drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    auto* bar = dragger();
    epiBitmap* thumb = bar && bar->isPressed() && face(1) ? face(1) : face(0);
    if (!thumb)
        return;
    epiRect destination = thumbRect();
    destination.offset(origin.x, origin.y);
    epiRect clip = clipAt(origin, rect);
    drawImagePart(target, *thumb, thumb->bounds(), destination, clip);
}
