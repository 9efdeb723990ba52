#pragma once

#include "ui/epiApplicationObject.h"
#include "ui/epiPoint.h"
#include "ui/epiText.h"

class epiUbo;

// The input logic of a widget, created by the widget's class at init. The base class takes
// nothing and consumes no event; the widget family derives the buttons, check boxes, radios and
// draggers.
class epiUiBehaviour : public epiApplicationObject
{
public:
    // The widget's action: true when the behaviour did something itself (a check box toggles
    // and hits, a radio selects); false leaves the widget to be hit.
    virtual bool toggleOrSelect() { return false; }
    virtual void receiveAttribute(epiCode, int32_t) {}
    // True when the behaviour took the pair (the widget then does not read it as a number).
    virtual bool receiveAttributeText(epiCode, const epiText&) { return false; }
    virtual void attach(epiUbo* widget) { m_widget = widget; }
    epiUbo* widget() const { return m_widget; }

    // Mouse events from the widget, in its coordinates; true when the event was consumed.
    virtual bool mouseDown(const epiPoint&) { return false; }
    virtual bool mouseUp(const epiPoint&) { return false; }
    virtual bool mouseDragged(const epiPoint&) { return false; }
    // While a press is tracked: the pointer came back into the widget, left it, was released in it.
    virtual void mouseReentered() {}
    virtual void mouseLeft() {}
    virtual void mouseUpInside() {}

    virtual void setOn(bool) {}
    virtual void setPressed(bool) {}
    virtual bool isOn() const { return false; }
    virtual bool isPressed() const { return false; }
    // An inactive behaviour ignores the mouse (a disabled widget).
    virtual void setActive(bool) {}
    virtual bool isActive() const { return true; }
    // A click from code: the widget shows pressed for a moment and fires its action.
    virtual void click() {}

    // Cancels the behaviour's timers and forgets the widget.
    void shutdown() override
    {
        epiApplicationObject::shutdown();
        m_widget = nullptr;
    }

private:
    epiUbo* m_widget = nullptr;
};
