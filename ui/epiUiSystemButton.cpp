#include "ui/epiUiSystemButton.h"

#include "ui/epiApplication.h"
#include "ui/epiUiBehave_button.h"
#include "ui/epiUiBitmapImage.h"
#include "ui/epiWindow.h"

epiUiSystemButton::~epiUiSystemButton()
{
    destroyControl();
}

bool epiUiSystemButton::acceptsParent(epiCode type) const
{
    return epiUiBitmapImage::isWidgetParent(type) || type == epiFourCC("iSde") || type == epiFourCC("ubob");
}

epiUiBehaviour* epiUiSystemButton::createBehaviour()
{
    return new epiUiBehave_button;
}

epiWindow* epiUiSystemButton::window() const
{
    return dynamic_cast<epiWindow*>(findAncestorOfType(epiWindow::kType));
}

void epiUiSystemButton::describe(epiControlDesc& desc) const
{
    desc.kind = epiControlKind::Button;
}

void epiUiSystemButton::create()
{
    epiUbo::create();
    epiWindow* owner = window();
    if (!owner || m_control)
        return;
    m_system = owner->windowSystem();
    if (!m_system || !owner->handle())
        return;
    epiControlDesc desc;
    describe(desc);
    desc.frame = toAncestor(bounds(), owner);
    desc.text = text().str();
    desc.listener = this;
    m_control = m_system->createControl(owner->handle(), desc);
    if (!m_control)
        return;
    m_system->showControl(m_control, isVisible());
    m_system->enableControl(m_control, m_enabled);
    // A check mark shows the widget's state from the start (a native group turns its first
    // radio on by itself).
    if (desc.kind == epiControlKind::CheckBox || desc.kind == epiControlKind::RadioButton)
        m_system->setControlValue(m_control, m_value);
    controlMade();
    if (m_default != 0) {
        m_observedWindow = owner;
        owner->addObserver(this, epiFourCC("kedo"));
    }
}

void epiUiSystemButton::destroyControl()
{
    if (m_control && m_system)
        m_system->destroyControl(m_control);
    m_control = 0;
}

void epiUiSystemButton::close()
{
    destroyControl();
    epiUbo::close();
}

void epiUiSystemButton::frameChanged()
{
    if (epiWindowSystem* system = controlSystem())
        if (epiWindow* owner = window())
            system->moveControl(m_control, toAncestor(bounds(), owner));
}

void epiUiSystemButton::setAttribute(epiCode code, int32_t value)
{
    switch (code) {
    case epiFourCC("enab"):
        setEnabled(value != 0);
        break;
    case epiFourCC("defa"):
        m_default = value;
        break;
    default:
        break;
    }
    epiUbo::setAttribute(code, value);
}

void epiUiSystemButton::pushText(const epiText& text)
{
    if (epiWindowSystem* system = controlSystem()) {
        ++m_suppress;
        system->setControlText(m_control, text.str());
        --m_suppress;
    }
}

void epiUiSystemButton::setText(const epiText& text)
{
    epiUbo::setText(text);
    pushText(text);
}

void epiUiSystemButton::setVisible(bool visible, bool redraw)
{
    epiUbo::setVisible(visible, redraw);
    if (epiWindowSystem* system = controlSystem())
        system->showControl(m_control, visible);
}

void epiUiSystemButton::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (behaviour())
        behaviour()->setActive(enabled);
    if (epiWindowSystem* system = controlSystem())
        system->enableControl(m_control, enabled);
}

void epiUiSystemButton::setValue(int32_t value)
{
    m_value = value;
    if (behaviour())
        behaviour()->setOn(value != 0);
    if (epiWindowSystem* system = controlSystem())
        system->setControlValue(m_control, value);
}

void epiUiSystemButton::click()
{
    fireAction();
}

void epiUiSystemButton::textChanged()
{
    if (epiWindowSystem* system = controlSystem())
        epiUbo::setText(epiText(system->controlText(m_control)));
    fireAction();
}

void epiUiSystemButton::controlEvent(epiControlHandle control, epiControlEvent event, int32_t)
{
    if (control != m_control || !m_enabled)
        return;
    // The handler may close the window; the widget stays alive until the call ends.
    retain();
    if (event == epiControlEvent::Clicked)
        fireAction();
    else if (event == epiControlEvent::TextChanged && !suppressingChanges())
        textChanged();
    else if (event == epiControlEvent::Activated)
        // Enter in a field is Enter for the window: its default button is clicked.
        if (epiWindow* owner = window())
            owner->notify(epiFourCC("kedo"), 13);
    release();
}

void epiUiSystemButton::notified(epiCode code, epiUbo* sender, intptr_t value)
{
    if (code != epiFourCC("kedo") || sender != m_observedWindow || !m_enabled)
        return;
    bool defaultKey = m_default == 1 && (value == 13 || value == 3);
    bool cancelKey = m_default == 2 && value == 27;
    if (defaultKey || cancelKey)
        click();
}

// ----- check box -----

epiUiBehaviour* epiUiSystemCheckBox::createBehaviour()
{
    return new epiUiBehave_checkBox;
}

void epiUiSystemCheckBox::describe(epiControlDesc& desc) const
{
    desc.kind = epiControlKind::CheckBox;
}

void epiUiSystemCheckBox::setAttribute(epiCode code, int32_t value)
{
    if (code == epiFourCC("gsty"))
        m_style = value;
    epiUiSystemButton::setAttribute(code, value);
}

void epiUiSystemCheckBox::controlEvent(epiControlHandle control, epiControlEvent event, int32_t value)
{
    if (control != nativeControl() || event != epiControlEvent::Toggled || !isEnabled())
        return epiUiSystemButton::controlEvent(control, event, value);
    // The control has toggled its mark already: the widget takes the new state and is hit.
    retain();
    storeValue(value != 0 ? 1 : 0);
    if (behaviour())
        behaviour()->setOn(value != 0);
    hit();
    release();
}

// ----- radio -----

epiUiBehaviour* epiUiSystemRadio::createBehaviour()
{
    return new epiUiBehave_radio;
}

void epiUiSystemRadio::describe(epiControlDesc& desc) const
{
    desc.kind = epiControlKind::RadioButton;
    epiUbo* holder = parent();
    if (!holder || group() == 0)
        return;
    for (int i = 0; i < holder->childCount() && holder->childAt(i) != this; ++i) {
        auto* sibling = dynamic_cast<epiUiSystemRadio*>(holder->childAt(i));
        if (sibling && sibling->group() == group() && sibling->nativeControl()) {
            desc.radioGroup = sibling->nativeControl();
            return;
        }
    }
}

void epiUiSystemRadio::controlEvent(epiControlHandle control, epiControlEvent event, int32_t value)
{
    if (control != nativeControl() || event != epiControlEvent::Toggled || !isEnabled())
        return epiUiSystemButton::controlEvent(control, event, value);
    // The radio that the user turned on selects itself in its group; the one turned off by the
    // native group says nothing.
    if (value == 0)
        return;
    retain();
    storeValue(1);
    fireAction();
    release();
}
