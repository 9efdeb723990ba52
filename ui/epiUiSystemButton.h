#pragma once

#include "ui/epiUbo.h"
#include "ui/epiWindowSystem.h"

class epiWindow;

// The widgets over native controls of the window system ('iSbt' and the rest of the system
// family). create() makes the control in the enclosing window, at the widget's place in it, with
// the widget's text, shown when the widget is visible; the widget keeps its text, value and
// enabled state itself too, so it works the same without a window (no control is made then).
// Notifications from the control fire the widget's action, so a native button click hits the
// widget like a bitmap button. 'enab' enables; 'defa' 1 makes a default button (Enter, key 13 or
// 3, clicks it), 'defa' 2 a cancel button (Escape, 27).
class epiUiSystemButton : public epiUbo, public epiNativeControlOwner, public epiControlListener
{
public:
    static constexpr epiCode kKind = epiFourCC("iSbt");

    ~epiUiSystemButton() override;

    epiCode typeCode() const override { return kKind; }
    bool acceptsParent(epiCode type) const override;
    // The native control takes the pointer itself.
    bool acceptsMouse() const override { return false; }
    void create() override;
    void close() override;
    void setAttribute(epiCode code, int32_t value) override;
    void setText(const epiText& text) override;
    void setVisible(bool visible, bool redraw = true) override;
    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return m_enabled; }
    void setValue(int32_t value) override;
    int32_t value() const override { return m_value; }
    // A click from code: the action fires as for a click of the user.
    void click();
    int32_t defaultKind() const { return m_default; }

    // epiNativeControlOwner
    epiControlHandle nativeControl() const override { return m_control; }
    // epiControlListener
    void controlEvent(epiControlHandle control, epiControlEvent event, int32_t value) override;

    void notified(epiCode code, epiUbo* sender, intptr_t value) override;

protected:
    epiUiBehaviour* createBehaviour() override;
    void frameChanged() override;
    // What the control is; derived classes fill in their kind and options.
    virtual void describe(epiControlDesc& desc) const;
    // After the control was made: ranges, items, the value.
    virtual void controlMade() {}
    epiWindowSystem* controlSystem() const { return m_control ? m_system : nullptr; }
    epiWindow* window() const;
    // Changes of the control's text that the widget makes itself are not reported back.
    bool suppressingChanges() const { return m_suppress > 0; }
    void pushText(const epiText& text);
    // The text changed in the control (typing): the widget takes it and fires its action.
    virtual void textChanged();
    void storeValue(int32_t value) { m_value = value; }

private:
    void destroyControl();

    epiWindowSystem* m_system = nullptr;
    epiControlHandle m_control = 0;
    epiWindow* m_observedWindow = nullptr;
    bool m_enabled = true;
    int32_t m_value = 0;
    int32_t m_default = 0;
    int m_suppress = 0;
};

// A native check box ('iSck'): on is the check mark; a toggle of the user hits the widget.
class epiUiSystemCheckBox : public epiUiSystemButton
{
public:
    static constexpr epiCode kKind = epiFourCC("iSck");

    epiCode typeCode() const override { return kKind; }
    void setAttribute(epiCode code, int32_t value) override;
    void controlEvent(epiControlHandle control, epiControlEvent event, int32_t value) override;
    int32_t style() const { return m_style; }

protected:
    epiUiBehaviour* createBehaviour() override;
    void describe(epiControlDesc& desc) const override;

private:
    int32_t m_style = 0;
};

// A native radio ('iSrd'): joins the native group of the first radio of the same parent and
// group, and selects its index in the group like the bitmap radio.
class epiUiSystemRadio : public epiUiSystemButton
{
public:
    static constexpr epiCode kKind = epiFourCC("iSrd");

    epiCode typeCode() const override { return kKind; }
    void controlEvent(epiControlHandle control, epiControlEvent event, int32_t value) override;

protected:
    epiUiBehaviour* createBehaviour() override;
    void describe(epiControlDesc& desc) const override;
};
