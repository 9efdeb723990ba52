#pragma once

#include "ui/epiUiBehaviour.h"

// A push button: a press is tracked while the mouse is held (pressed shows while the pointer is
// inside) and the action fires on release inside. A widget with no pressed face fires at once on
// mouse down and tracks nothing.
class epiUiBehave_button : public epiUiBehaviour
{
public:
    bool mouseDown(const epiPoint& point) override;
    bool mouseUp(const epiPoint& point) override;
    bool mouseDragged(const epiPoint& point) override;
    void mouseReentered() override;
    void mouseLeft() override;
    void mouseUpInside() override;

    void setOn(bool on) override { m_on = on; }
    void setPressed(bool pressed) override;
    bool isOn() const override { return m_on; }
    bool isPressed() const override { return m_pressed; }
    void setActive(bool active) override;
    bool isActive() const override { return m_active; }
    void click() override;
    // The click's pressed look ends.
    void timerFired() override;
    void shutdown() override;

    // How long a click from code shows the pressed face.
    static constexpr float kClickSeconds = 0.2f;

protected:
    void redraw();
    bool widgetHasPressedFace() const;
    // Clears pressed and redraws kClickSeconds after a click from code.
    void clearPressedLater();

private:
    bool m_on = false;
    bool m_pressed = false;
    bool m_active = true;
    bool m_captured = false;
    bool m_tracking = false;
};

// A check box: the action toggles the on value, redraws and hits the widget.
class epiUiBehave_checkBox : public epiUiBehave_button
{
public:
    bool toggleOrSelect() override;
    void mouseUpInside() override;
};

// A radio: the action selects the widget's index ('fain') in its group ('fagr') among the
// parent's children and hits the selected child.
class epiUiBehave_radio : public epiUiBehave_button
{
public:
    bool toggleOrSelect() override;
};

// Every child of `parent` in `group` is turned on when its 'fain' is `index` and off otherwise;
// returns the selected child (null when none has that index).
class epiUbo;
epiUbo* epiUiSelectInGroup(epiUbo* parent, int32_t group, int32_t index);
