#pragma once

#include "ui/epiUiBehaviour.h"

#include <optional>

// The value behind knobs and scroll bars. A value is clamped to the user range ('uMin', 'uMax',
// × 0.01), then to the optional lower and upper limits ('lMin', 'lMax', × 0.01); the position
// shown is its linear image in the display range ('dMin', 'dMax': pixels or frame numbers).
// Dragging with the mouse changes the value by the drag distance × the sensitivity, in value
// units (knobs) or in position units (scroll bars); every change hits the widget.
class epiUiBehaviourDragger : public epiUiBehaviour
{
public:
    enum class DragUnits { Value, Position };
    enum class Axis { Vertical, Horizontal };

    void receiveAttribute(epiCode code, int32_t value) override;
    bool mouseDown(const epiPoint& point) override;
    bool mouseDragged(const epiPoint& point) override;
    bool mouseUp(const epiPoint& point) override;
    bool isPressed() const override { return m_dragging; }
    void setActive(bool active) override { m_active = active; }
    bool isActive() const override { return m_active; }

    // False when the value did not change.
    bool setValue(float value);
    float value() const { return m_value; }
    bool setPosition(int32_t position);
    int32_t position() const { return m_position; }
    // The position drawn now: the position itself here, a following one in smooth draggers.
    virtual int32_t shownPosition() const { return m_position; }

    void setUserRange(float minimum, float maximum);
    void setLimits(std::optional<float> lower, std::optional<float> upper);
    void setDisplayRange(int32_t minimum, int32_t maximum);
    float userMinimum() const { return m_userMin; }
    float userMaximum() const { return m_userMax; }
    int32_t displayMinimum() const { return m_displayMin; }
    int32_t displayMaximum() const { return m_displayMax; }
    bool hasDisplayRange() const { return m_displayRangeGiven; }

    void setSensitivity(float sensitivity) { m_sensitivity = sensitivity; }
    float sensitivity() const { return m_sensitivity; }
    void setDragUnits(DragUnits units) { m_units = units; }
    void setAxis(Axis axis) { m_axis = axis; }

    int32_t positionForValue(float value) const;
    float valueForPosition(int32_t position) const;

protected:
    // The shown position should follow a new position (smooth draggers animate toward it).
    virtual void positionChanged();
    void redraw();

private:
    float clamp(float value) const;

    float m_value = 0;
    float m_userMin = 0;
    float m_userMax = 1;
    std::optional<float> m_lower;
    std::optional<float> m_upper;
    int32_t m_displayMin = 0;
    int32_t m_displayMax = 0;
    bool m_displayRangeGiven = false;
    int32_t m_position = 0;
    float m_sensitivity = 0.01f;
    DragUnits m_units = DragUnits::Value;
    Axis m_axis = Axis::Vertical;
    bool m_active = true;
    bool m_dragging = false;
    epiPoint m_dragStart;
    float m_startValue = 0;
    int32_t m_startPosition = 0;
};

// A dragger whose shown position follows the position over time: after t seconds since the move
// began it has moved smoothing ('Smoo' × 0.01) × display span × t toward the target, and stops
// there. A smoothing of 0 jumps at once.
class epiUiBehaviourSmoothDragger : public epiUiBehaviourDragger
{
public:
    void receiveAttribute(epiCode code, int32_t value) override;
    int32_t shownPosition() const override { return m_shown; }
    void setSmoothing(float smoothing) { m_smoothing = smoothing; }
    float smoothing() const { return m_smoothing; }
    bool isMoving() const { return m_moving; }
    // One animation step, `seconds` after the move began. False once the target is reached.
    bool advance(float seconds);
    // Jumps to the target (no animation).
    void settle();

protected:
    void positionChanged() override;
    // Asks for animation steps (the widget's animation) / says they are no longer needed.
    virtual void startMoving();
    virtual void stopMoving();

private:
    float m_smoothing = 0;
    int32_t m_shown = 0;
    int32_t m_moveStart = 0;
    bool m_moving = false;
};

// A smooth dragger with ten indexed positions 'FrP0' to 'FrP9': trigger(i) moves to position i.
class epiUiBehaviourTriggeredDragger : public epiUiBehaviourSmoothDragger
{
public:
    static constexpr int kIndexed = 10;

    void receiveAttribute(epiCode code, int32_t value) override;
    int32_t indexedValue(int index) const { return index >= 0 && index < kIndexed ? m_indexed[index] : 0; }
    // Moves to the indexed position; false for an index out of range.
    bool trigger(int index);

private:
    int32_t m_indexed[kIndexed] = {};
};
