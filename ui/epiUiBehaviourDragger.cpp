#include "ui/epiUiBehaviourDragger.h"

#include "ui/epiApplication.h"
#include "ui/epiUbo.h"

#include <algorithm>
#include <cmath>

namespace {

// Truncation that forgives the float error of a position converted to a value and back.
int32_t truncated(double position)
{
    return static_cast<int32_t>(std::trunc(position + (position >= 0 ? 1e-6 : -1e-6)));
}

} // namespace

void epiUiBehaviourDragger::receiveAttribute(epiCode code, int32_t value)
{
    switch (code) {
    case epiFourCC("uMin"):
        setUserRange(value * 0.01f, m_userMax);
        break;
    case epiFourCC("uMax"):
        setUserRange(m_userMin, value * 0.01f);
        break;
    case epiFourCC("lMin"):
        setLimits(value * 0.01f, m_upper);
        break;
    case epiFourCC("lMax"):
        setLimits(m_lower, value * 0.01f);
        break;
    case epiFourCC("dMin"):
        setDisplayRange(value, m_displayMax);
        break;
    case epiFourCC("dMax"):
        setDisplayRange(m_displayMin, value);
        break;
    case epiFourCC("Sens"):
        m_sensitivity = value * 0.01f;
        break;
    default:
        break;
    }
}

float epiUiBehaviourDragger::clamp(float value) const
{
    if (std::isnan(value))
        value = m_userMin;
    value = std::clamp(value, std::min(m_userMin, m_userMax), std::max(m_userMin, m_userMax));
    if (m_lower && value < *m_lower)
        value = *m_lower;
    if (m_upper && value > *m_upper)
        value = *m_upper;
    return value;
}

int32_t epiUiBehaviourDragger::positionForValue(float value) const
{
    if (m_userMax == m_userMin)
        return m_displayMin;
    double span = static_cast<double>(m_displayMax) - m_displayMin;
    int32_t position = truncated(m_displayMin + span * (static_cast<double>(value) - m_userMin) /
                                                    (static_cast<double>(m_userMax) - m_userMin));
    return std::clamp(position, std::min(m_displayMin, m_displayMax), std::max(m_displayMin, m_displayMax));
}

float epiUiBehaviourDragger::valueForPosition(int32_t position) const
{
    if (m_displayMax == m_displayMin)
        return m_userMin;
    double span = static_cast<double>(m_userMax) - m_userMin;
    return static_cast<float>(m_userMin + span * (static_cast<double>(position) - m_displayMin) /
                                              (static_cast<double>(m_displayMax) - m_displayMin));
}

bool epiUiBehaviourDragger::setValue(float value)
{
    value = clamp(value);
    if (value == m_value)
        return false;
    m_value = value;
    int32_t position = positionForValue(value);
    if (position != m_position) {
        m_position = position;
        positionChanged();
    }
    return true;
}

bool epiUiBehaviourDragger::setPosition(int32_t position)
{
    return setValue(valueForPosition(position));
}

void epiUiBehaviourDragger::setUserRange(float minimum, float maximum)
{
    m_userMin = minimum;
    m_userMax = maximum;
    m_value = clamp(m_value);
    int32_t position = positionForValue(m_value);
    if (position != m_position) {
        m_position = position;
        positionChanged();
    }
}

void epiUiBehaviourDragger::setLimits(std::optional<float> lower, std::optional<float> upper)
{
    m_lower = lower;
    m_upper = upper;
    setUserRange(m_userMin, m_userMax);
}

void epiUiBehaviourDragger::setDisplayRange(int32_t minimum, int32_t maximum)
{
    m_displayMin = minimum;
    m_displayMax = maximum;
    m_displayRangeGiven = true;
    setUserRange(m_userMin, m_userMax);
}

void epiUiBehaviourDragger::redraw()
{
    if (widget())
        widget()->invalidate();
}

void epiUiBehaviourDragger::positionChanged()
{
    redraw();
}

bool epiUiBehaviourDragger::mouseDown(const epiPoint& point)
{
    if (!m_active || !widget())
        return false;
    widget()->captureMouse();
    m_dragging = true;
    m_dragStart = point;
    m_startValue = m_value;
    m_startPosition = m_position;
    redraw();
    return true;
}

bool epiUiBehaviourDragger::mouseDragged(const epiPoint& point)
{
    if (!m_dragging || !widget())
        return false;
    // Up and to the right increase.
    int32_t distance = m_axis == Axis::Vertical ? m_dragStart.y - point.y : point.x - m_dragStart.x;
    bool changed = m_units == DragUnits::Value
                       ? setValue(m_startValue + distance * m_sensitivity)
                       : setPosition(m_startPosition + truncated(distance * static_cast<double>(m_sensitivity)));
    if (changed)
        widget()->hit();
    return true;
}

bool epiUiBehaviourDragger::mouseUp(const epiPoint&)
{
    if (!m_dragging || !widget())
        return false;
    m_dragging = false;
    widget()->releaseMouse();
    redraw();
    return true;
}

// ----- smooth -----

void epiUiBehaviourSmoothDragger::receiveAttribute(epiCode code, int32_t value)
{
    if (code == epiFourCC("Smoo"))
        m_smoothing = value * 0.01f;
    else
        epiUiBehaviourDragger::receiveAttribute(code, value);
}

void epiUiBehaviourSmoothDragger::positionChanged()
{
    if (m_smoothing <= 0) {
        settle();
        return;
    }
    // A new target restarts the move from where the shown position is now.
    m_moveStart = m_shown;
    m_moving = true;
    startMoving();
}

void epiUiBehaviourSmoothDragger::settle()
{
    m_shown = position();
    if (m_moving) {
        m_moving = false;
        stopMoving();
    }
    redraw();
}

bool epiUiBehaviourSmoothDragger::advance(float seconds)
{
    if (!m_moving)
        return false;
    double span = std::abs(static_cast<double>(displayMaximum()) - displayMinimum());
    double step = static_cast<double>(m_smoothing) * span * std::max(0.0f, seconds);
    int32_t target = position();
    double distance = static_cast<double>(target) - m_moveStart;
    if (std::abs(distance) <= step) {
        settle();
        return false;
    }
    int32_t shown = m_moveStart + truncated(distance > 0 ? step : -step);
    if (shown != m_shown) {
        m_shown = shown;
        redraw();
    }
    return true;
}

void epiUiBehaviourSmoothDragger::startMoving()
{
    // The window manager's animation ticks move the shown position (the widget hands them to
    // advance()); without a window manager nothing would tick, so the move ends at once.
    epiUbo* served = widget();
    if (!served || !served->application() || !served->application()->windowManager()) {
        settle();
        return;
    }
    served->startAnimation(true);
}

void epiUiBehaviourSmoothDragger::stopMoving()
{
    if (widget())
        widget()->stopAnimation();
}

// ----- triggered -----

void epiUiBehaviourTriggeredDragger::receiveAttribute(epiCode code, int32_t value)
{
    epiCode base = epiFourCC("FrP0");
    if (code >= base && code < base + kIndexed)
        m_indexed[code - base] = value;
    else
        epiUiBehaviourSmoothDragger::receiveAttribute(code, value);
}

bool epiUiBehaviourTriggeredDragger::trigger(int index)
{
    if (index < 0 || index >= kIndexed)
        return false;
    setPosition(m_indexed[index]);
    return true;
}
