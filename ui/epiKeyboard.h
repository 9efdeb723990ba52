#pragma once

#include "ui/epiApplicationObject.h"
#include "ui/epiWindowSystem.h"

#include <array>

// Keyboard and mouse-button state, and the translation of window-system key events into the
// toolkit's keys: Page Up 0x10000, Page Down 0x10001, Home 0x10002, End 0x10003, Left 28,
// Right 29, Up 30, Down 31, Delete 8; other keys give their character (Backspace 8, Tab 9,
// Enter 13, Escape 27, printable characters).
//
// A key that goes down leaves the low byte of its toolkit key under its scan code; its release
// sends that byte (when not 0) and clears it. So Page Up (low byte 0) sends no key up, and
// Page Down, Home and End send 1, 2 and 3.
class epiKeyboard : public epiApplicationObject
{
public:
    static constexpr int kPageUp = 0x10000;
    static constexpr int kPageDown = 0x10001;
    static constexpr int kHome = 0x10002;
    static constexpr int kEnd = 0x10003;
    static constexpr int kLeft = 28;
    static constexpr int kRight = 29;
    static constexpr int kUp = 30;
    static constexpr int kDown = 31;
    static constexpr int kDelete = 8;

    struct Delivery
    {
        enum Kind
        {
            None,
            Down,
            Repeat,
            Up,
        };
        Kind kind = None;
        int key = 0;
    };

    // The toolkit key of a platform key; 0 for None.
    static int toolkitKey(epiPlatformKey key);
    // What the window receives for a key event (and the scan-code table kept up to date).
    Delivery translate(const epiKeyEvent& event);
    void updateFromMouse(const epiMouseEvent& event);

    bool shift() const { return m_shift; }
    bool control() const { return m_control; }
    bool leftButton() const { return m_left; }
    bool middleButton() const { return m_middle; }
    bool rightButton() const { return m_right; }
    // 'mLdn', 'mLup', 'mRdn', 'mRup', 'mCdn', 'mCup', or 0.
    epiCode lastMouseAction() const { return m_lastMouseAction; }
    uint8_t scanEntry(int scanCode) const { return m_scanTable[static_cast<uint8_t>(scanCode)]; }

private:
    bool m_shift = false;
    bool m_control = false;
    bool m_left = false;
    bool m_middle = false;
    bool m_right = false;
    epiCode m_lastMouseAction = 0;
    std::array<uint8_t, 256> m_scanTable{};
};
