#pragma once

#include "ui/epiApplicationObject.h"
#include "ui/epiPoint.h"
#include "ui/epiText.h"

class epiUbo;

// The input logic of a widget, created by the widget's class at init. The base class takes
// nothing and consumes no event; the widget family derives the buttons, check boxes and draggers.
class epiUiBehaviour : public epiApplicationObject
{
public:
    virtual void attach(epiUbo* widget) { m_widget = widget; }
    epiUbo* widget() const { return m_widget; }

    virtual void receiveAttribute(epiCode, int32_t) {}
    // True when the behaviour took the pair (the widget then does not read it as a number).
    virtual bool receiveAttributeText(epiCode, const epiText&) { return false; }
    // True when the event was consumed.
    virtual bool mouseDown(const epiPoint&) { return false; }
    virtual bool mouseUp(const epiPoint&) { return false; }
    virtual bool mouseDragged(const epiPoint&) { return false; }
    virtual void shutdown() { m_widget = nullptr; }

private:
    epiUbo* m_widget = nullptr;
};
