#include "ui/epiUiBehave_button.h"

#include "ui/epiApplication.h"
#include "ui/epiUbo.h"
#include "ui/epiUiBitmapImage.h"

void epiUiBehave_button::redraw()
{
    if (widget())
        widget()->invalidate();
}

bool epiUiBehave_button::widgetHasPressedFace() const
{
    // Widgets drawn without images (the dynamic ones) always have a pressed look.
    auto* image = dynamic_cast<epiUiBitmapImage*>(widget());
    return !image || image->face(1) || image->face(3);
}

void epiUiBehave_button::setPressed(bool pressed)
{
    m_pressed = pressed;
}

void epiUiBehave_button::setActive(bool active)
{
    m_active = active;
    if (!active && (m_pressed || m_tracking)) {
        m_tracking = false;
        m_pressed = false;
        redraw();
    }
}

bool epiUiBehave_button::mouseDown(const epiPoint&)
{
    epiUbo* served = widget();
    if (!m_active || !served)
        return false;
    served->captureMouse();
    m_captured = true;
    if (!widgetHasPressedFace()) {
        m_tracking = false;
        served->fireAction();
        return true;
    }
    m_tracking = true;
    setPressed(true);
    redraw();
    return true;
}

bool epiUiBehave_button::mouseDragged(const epiPoint& point)
{
    if (!m_tracking || !widget())
        return m_captured;
    bool inside = widget()->bounds().contains(point);
    if (inside && !m_pressed)
        mouseReentered();
    else if (!inside && m_pressed)
        mouseLeft();
    return true;
}

bool epiUiBehave_button::mouseUp(const epiPoint& point)
{
    if (!m_captured || !widget())
        return false;
    m_captured = false;
    widget()->releaseMouse();
    if (m_tracking) {
        m_tracking = false;
        if (widget()->bounds().contains(point))
            mouseUpInside();
    }
    return true;
}

void epiUiBehave_button::mouseReentered()
{
    setPressed(true);
    redraw();
}

void epiUiBehave_button::mouseLeft()
{
    setPressed(false);
    redraw();
}

void epiUiBehave_button::mouseUpInside()
{
    setPressed(false);
    redraw();
    if (widget())
        widget()->fireAction();
}

void epiUiBehave_button::click()
{
    if (!widget())
        return;
    setPressed(true);
    redraw();
    widget()->fireAction();
    clearPressedLater();
}

void epiUiBehave_button::shutdown()
{
    m_tracking = false;
    m_captured = false;
    epiUiBehaviour::shutdown();
}

bool epiUiBehave_checkBox::toggleOrSelect()
{
    epiUbo* served = widget();
    if (!served)
        return false;
    served->setValue(served->value() ? 0 : 1);
    served->invalidate();
    served->hit();
    return true;
}

void epiUiBehave_checkBox::mouseUpInside()
{
    setPressed(false);
    if (widget())
        widget()->fireAction();
}

bool epiUiBehave_radio::toggleOrSelect()
{
    epiUbo* served = widget();
    if (!served || !served->parent() || served->group() == 0)
        return false;
    if (epiUbo* selected = epiUiSelectInGroup(served->parent(), served->group(), served->groupIndex()))
        selected->hit();
    return true;
}

epiUbo* epiUiSelectInGroup(epiUbo* parent, int32_t group, int32_t index)
{
    if (!parent)
        return nullptr;
    epiUbo* selected = nullptr;
    for (int i = 0; i < parent->childCount(); ++i) {
        epiUbo* child = parent->childAt(i);
        if (child->group() != group)
            continue;
        bool on = child->groupIndex() == index;
        child->setValue(on ? 1 : 0);
        if (on && !selected)
            selected = child;
    }
    return selected;
}

void epiUiBehave_button::clearPressedLater()
{
    if (!application()) {
        // No scheduler to come back: the pressed look ends at once.
        timerFired();
        return;
    }
    application()->scheduleTimer(this, kClickSeconds, true, false);
}

void epiUiBehave_button::timerFired()
{
    setPressed(false);
    redraw();
}
