#include "ui/epiKeyboard.h"

int epiKeyboard::toolkitKey(epiPlatformKey key)
{
    switch (key) {
    case epiPlatformKey::PageUp: return kPageUp;
    case epiPlatformKey::PageDown: return kPageDown;
    case epiPlatformKey::Home: return kHome;
    case epiPlatformKey::End: return kEnd;
    case epiPlatformKey::Left: return kLeft;
    case epiPlatformKey::Right: return kRight;
    case epiPlatformKey::Up: return kUp;
    case epiPlatformKey::Down: return kDown;
    case epiPlatformKey::Delete: return kDelete;
    case epiPlatformKey::None: break;
    }
    return 0;
}

epiKeyboard::Delivery epiKeyboard::translate(const epiKeyEvent& event)
{
    m_shift = event.shift;
    m_control = event.control;
    uint8_t scan = static_cast<uint8_t>(event.scanCode);
    if (!event.down) {
        uint8_t remembered = m_scanTable[scan];
        m_scanTable[scan] = 0;
        if (remembered != 0)
            return {Delivery::Up, remembered};
        return {};
    }
    int key = toolkitKey(event.key);
    if (key == 0)
        key = static_cast<int>(event.character);
    if (key == 0)
        return {};
    m_scanTable[scan] = static_cast<uint8_t>(key & 0xFF);
    return {event.repeat ? Delivery::Repeat : Delivery::Down, key};
}

void epiKeyboard::updateFromMouse(const epiMouseEvent& event)
{
    m_shift = event.shift;
    m_control = event.control;
    m_left = (event.buttons & epiMouseEvent::kLeft) != 0;
    m_middle = (event.buttons & epiMouseEvent::kMiddle) != 0;
    m_right = (event.buttons & epiMouseEvent::kRight) != 0;
    if (event.action != epiMouseAction::Down && event.action != epiMouseAction::Up) {
        m_lastMouseAction = 0;
        return;
    }
    bool down = event.action == epiMouseAction::Down;
    switch (event.button) {
    case epiMouseButton::Left: m_lastMouseAction = down ? epiFourCC("mLdn") : epiFourCC("mLup"); break;
    case epiMouseButton::Right: m_lastMouseAction = down ? epiFourCC("mRdn") : epiFourCC("mRup"); break;
    case epiMouseButton::Middle: m_lastMouseAction = down ? epiFourCC("mCdn") : epiFourCC("mCup"); break;
    case epiMouseButton::None: m_lastMouseAction = 0; break;
    }
}
