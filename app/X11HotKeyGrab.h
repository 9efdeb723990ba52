#pragma once

#include <functional>

namespace ZumeliApplication {

// A system-wide grab of one function key on the X11 display that GDK opened: the key is grabbed
// on the root window without modifiers and with the NumLock and CapsLock variants, so it reaches
// this program whichever window has the focus. Detectable auto-repeat is asked for, so a held key
// gives one release when it is really let go. Does nothing without GTK on X11 (tests on the null
// window system, Wayland sessions).
class X11HotKeyGrab {
public:
    // true: the key went down (also for repeats), false: it was released.
    using Handler = std::function<void(bool pressed)>;

    X11HotKeyGrab() = default;
    ~X11HotKeyGrab() { ungrab(); }
    X11HotKeyGrab(const X11HotKeyGrab&) = delete;
    X11HotKeyGrab& operator=(const X11HotKeyGrab&) = delete;

    // Grabs F1 to F12 (functionKey 1 to 12); false when no X11 display is open or the server
    // refused the grab (another program holds the key).
    bool grab(int functionKey, Handler handler);
    void ungrab();
    bool isGrabbed() const { return m_keyCode != 0; }
    // Releases are reported only for real key releases (not between repeats).
    bool detectableRelease() const { return m_detectable; }
    // The keyboard's auto-repeat delay (0.66 s when the server does not say).
    double repeatDelaySeconds() const { return m_repeatDelay; }

    // The X key code of function key n on the open display, 0 when there is none.
    static int keyCodeOf(int functionKey);

private:
    static int filter(void* xevent, void* event, void* self);

    Handler m_handler;
    int m_keyCode = 0;
    bool m_detectable = false;
    double m_repeatDelay = 0.66;
};

} // namespace ZumeliApplication
