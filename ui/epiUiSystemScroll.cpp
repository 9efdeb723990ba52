#include "ui/epiUiSystemScroll.h"

#include <algorithm>

// ----- scroll bar -----

void epiUiSystemScroll::describe(epiControlDesc& desc) const
{
    desc.kind = epiControlKind::ScrollBar;
    desc.vertical = frame().height() >= frame().width();
}

void epiUiSystemScroll::pushRange()
{
    if (epiWindowSystem* system = controlSystem()) {
        // The native range ends one page past the last position.
        system->setControlRange(nativeControl(), m_minimum, m_maximum + m_step, m_step);
        system->setControlValue(nativeControl(), value());
    }
}

void epiUiSystemScroll::controlMade()
{
    pushRange();
}

void epiUiSystemScroll::setAttribute(epiCode code, int32_t value)
{
    switch (code) {
    case epiFourCC("min_"):
        m_minimum = value;
        pushRange();
        break;
    case epiFourCC("max_"):
        m_maximum = value;
        pushRange();
        break;
    case epiFourCC("arra"):
        m_step = value > 0 ? value : 1;
        pushRange();
        break;
    default:
        break;
    }
    epiUiSystemButton::setAttribute(code, value);
}

bool epiUiSystemScroll::getAttribute(epiCode code, epiText& value) const
{
    if (code == epiFourCC("min_") || code == epiFourCC("max_")) {
        value.format("%d", code == epiFourCC("min_") ? m_minimum : m_maximum);
        return true;
    }
    return epiUiSystemButton::getAttribute(code, value);
}

void epiUiSystemScroll::setValue(int32_t value)
{
    epiUiSystemButton::setValue(std::clamp(value, m_minimum, std::max(m_minimum, m_maximum)));
}

void epiUiSystemScroll::controlEvent(epiControlHandle control, epiControlEvent event, int32_t value)
{
    if (control != nativeControl() || event != epiControlEvent::ValueChanged || !isEnabled())
        return epiUiSystemButton::controlEvent(control, event, value);
    retain();
    storeValue(std::clamp(value, m_minimum, std::max(m_minimum, m_maximum)));
    hit();
    release();
}

// ----- progress bar -----

void epiUiSystemProgressBar::describe(epiControlDesc& desc) const
{
    desc.kind = epiControlKind::ProgressBar;
}

void epiUiSystemProgressBar::controlMade()
{
    if (epiWindowSystem* system = controlSystem())
        system->setControlValue(nativeControl(), permille());
}

void epiUiSystemProgressBar::setAttribute(epiCode code, int32_t value)
{
    if (code == epiFourCC("min_"))
        m_minimum = value;
    else if (code == epiFourCC("max_"))
        m_maximum = value;
    else if (code == epiFourCC("gsty"))
        m_style = value;
    epiUiSystemButton::setAttribute(code, value);
}

int32_t epiUiSystemProgressBar::permille() const
{
    if (m_maximum <= m_minimum)
        return 0;
    int64_t share = (static_cast<int64_t>(value()) - m_minimum) * 1000 / (static_cast<int64_t>(m_maximum) - m_minimum);
    return static_cast<int32_t>(std::clamp<int64_t>(share, 0, 1000));
}

void epiUiSystemProgressBar::setValue(int32_t value)
{
    storeValue(value);
    controlMade();
}

// ----- pop-up list -----

void epiUiSystemPopup::describe(epiControlDesc& desc) const
{
    desc.kind = epiControlKind::PopupList;
}

void epiUiSystemPopup::splitItems()
{
    m_items.clear();
    if (text().isEmpty())
        return;
    int count = text().fieldCount('|');
    for (int i = 0; i < count; ++i) {
        // No quoting: a field is what lies between the bars.
        epiText item = text().field(i, '|', '\0');
        if (m_hidesPaths && item.find('/') >= 0)
            continue;
        m_items.push_back(item.str());
    }
}

void epiUiSystemPopup::controlMade()
{
    if (epiWindowSystem* system = controlSystem()) {
        system->setControlItems(nativeControl(), m_items);
        system->setControlValue(nativeControl(), value());
    }
}

void epiUiSystemPopup::setText(const epiText& text)
{
    // The items are the control's content; the text itself is never shown as one label.
    epiUbo::setText(text);
    splitItems();
    controlMade();
}

std::string epiUiSystemPopup::itemText(std::string text)
{
    for (char& c : text)
        if (c == '|')
            c = '/';
    return text;
}

void epiUiSystemPopup::setHidesPaths(bool hides)
{
    m_hidesPaths = hides;
    splitItems();
    controlMade();
}

void epiUiSystemPopup::setValue(int32_t value)
{
    storeValue(value >= 0 && value < static_cast<int32_t>(m_items.size()) ? value : -1);
    controlMade();
}

void epiUiSystemPopup::controlEvent(epiControlHandle control, epiControlEvent event, int32_t value)
{
    if (control != nativeControl() || event != epiControlEvent::SelectionChanged || !isEnabled())
        return epiUiSystemButton::controlEvent(control, event, value);
    retain();
    storeValue(value);
    fireAction();
    release();
}
