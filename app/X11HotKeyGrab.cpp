#include "app/X11HotKeyGrab.h"

#include <gdk/gdk.h>
#include <gdk/gdkx.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace ZumeliApplication {

namespace {

Display* openDisplay()
{
    GdkDisplay* display = gdk_display_get_default();
    if (!display || !GDK_IS_X11_DISPLAY(display))
        return nullptr;
    return GDK_DISPLAY_XDISPLAY(display);
}

// The lock modifiers a grab must also cover: none, CapsLock, NumLock and both.
constexpr unsigned LockVariants[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};

bool g_grabFailed = false;

int recordGrabError(Display*, XErrorEvent* error)
{
    if (error->error_code == BadAccess)
        g_grabFailed = true;
    return 0;
}

} // namespace

int X11HotKeyGrab::keyCodeOf(int functionKey)
{
    Display* display = openDisplay();
    if (!display || functionKey < 1 || functionKey > 12)
        return 0;
    return XKeysymToKeycode(display, XK_F1 + KeySym(functionKey - 1));
}

bool X11HotKeyGrab::grab(int functionKey, Handler handler)
{
    ungrab();
    Display* display = openDisplay();
    int keyCode = keyCodeOf(functionKey);
    if (!display || keyCode == 0)
        return false;
    Window root = DefaultRootWindow(display);

    // A refused grab arrives as an asynchronous BadAccess: collect it synchronously.
    XSync(display, False);
    g_grabFailed = false;
    XErrorHandler previous = XSetErrorHandler(recordGrabError);
    for (unsigned mask : LockVariants)
        XGrabKey(display, keyCode, mask, root, False, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    XSetErrorHandler(previous);
    if (g_grabFailed) {
        for (unsigned mask : LockVariants)
            XUngrabKey(display, keyCode, mask, root);
        return false;
    }

    Bool supported = False;
    m_detectable = XkbSetDetectableAutoRepeat(display, True, &supported) && supported;
    unsigned delay = 0, interval = 0;
    if (XkbGetAutoRepeatRate(display, XkbUseCoreKbd, &delay, &interval) && delay > 0)
        m_repeatDelay = delay / 1000.0;
    m_keyCode = keyCode;
    m_handler = std::move(handler);
    gdk_window_add_filter(nullptr, reinterpret_cast<GdkFilterFunc>(&X11HotKeyGrab::filter), this);
    return true;
}

void X11HotKeyGrab::ungrab()
{
    if (m_keyCode == 0)
        return;
    gdk_window_remove_filter(nullptr, reinterpret_cast<GdkFilterFunc>(&X11HotKeyGrab::filter), this);
    if (Display* display = openDisplay()) {
        Window root = DefaultRootWindow(display);
        for (unsigned mask : LockVariants)
            XUngrabKey(display, m_keyCode, mask, root);
        XFlush(display);
    }
    m_keyCode = 0;
    m_handler = nullptr;
}

int X11HotKeyGrab::filter(void* xevent, void*, void* self)
{
    auto* grab = static_cast<X11HotKeyGrab*>(self);
    auto* event = static_cast<XEvent*>(xevent);
    if ((event->type != KeyPress && event->type != KeyRelease) || int(event->xkey.keycode) != grab->m_keyCode)
        return GDK_FILTER_CONTINUE;
    // Only grabbed events on the root window are ours; the focused window's own go on to GTK.
    if (event->xkey.window != DefaultRootWindow(event->xkey.display))
        return GDK_FILTER_CONTINUE;
    if (grab->m_handler)
        grab->m_handler(event->type == KeyPress);
    return GDK_FILTER_REMOVE;
}

} // namespace ZumeliApplication
