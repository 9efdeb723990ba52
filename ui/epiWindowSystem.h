#pragma once

#include "ui/epiRect.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class epiBitmap;

// The one seam between the platform-free toolkit and a window system. Everything the toolkit
// asks of the display goes through this interface, and everything the display reports comes back
// through the listeners below; nothing above it includes a window-system header.
//
// Two implementations: the GTK 3 one (ui/gtk/) and a display-free one (ui/null/) that keeps
// windows, controls and menus as plain records, takes injected input and shows what a window
// presented. All calls are made on the main thread.
//
// Handles are opaque, 0 means none. Every operation accepts a 0 or stale handle and then does
// nothing (or returns an empty result).
using epiWindowHandle = uintptr_t;
using epiControlHandle = uintptr_t;
using epiMenuHandle = uintptr_t;

// ----- input events -----

enum class epiMouseAction
{
    Down,
    Up,
    Move, // with or without buttons held: the window tells moved from dragged by `buttons`
    Wheel,
};

enum class epiMouseButton
{
    None,
    Left,
    Middle,
    Right,
};

struct epiMouseEvent
{
    // Mask of the buttons held after the event.
    static constexpr int kLeft = 1;
    static constexpr int kMiddle = 2;
    static constexpr int kRight = 4;
    static constexpr int maskOf(epiMouseButton button)
    {
        return button == epiMouseButton::Left     ? kLeft
               : button == epiMouseButton::Middle ? kMiddle
               : button == epiMouseButton::Right  ? kRight
                                                  : 0;
    }

    epiMouseAction action = epiMouseAction::Move;
    epiMouseButton button = epiMouseButton::None; // the button that went down or up
    epiPoint point;                               // client coordinates of the window
    int buttons = 0;
    int wheelSteps = 0; // Wheel: positive away from the user
    bool shift = false;
    bool control = false;
};

// The keys that have a toolkit key code of their own; others reach the toolkit as characters.
enum class epiPlatformKey
{
    None,
    PageUp,
    PageDown,
    Home,
    End,
    Left,
    Right,
    Up,
    Down,
    Delete,
};

struct epiKeyEvent
{
    bool down = true;
    bool repeat = false; // a key held down that the system repeats
    epiPlatformKey key = epiPlatformKey::None;
    // The character the key gives (Unicode; Backspace 8, Tab 9, Enter 13, Escape 27), 0 for none.
    uint32_t character = 0;
    // For accelerators: the key as an upper-case ASCII letter or digit, or its character.
    uint32_t virtualKey = 0;
    int scanCode = 0; // hardware code of the key, 0 to 255
    bool shift = false;
    bool control = false;
    bool alt = false;
    // The native control that has the keyboard focus, 0 when the window's own surface has it.
    epiControlHandle focusedControl = 0;
};

// What a window reports. Implemented by the toolkit's window.
class epiWindowListener
{
public:
    virtual ~epiWindowListener() = default;

    // Screen position of the client area's top-left corner.
    virtual void windowMoved(epiPoint topLeft) = 0;
    // New client size (not sent while minimised).
    virtual void windowResized(int32_t width, int32_t height) = 0;
    // The user is sizing the window: the proposed client size, limited in place.
    virtual void windowSizing(int32_t& width, int32_t& height) = 0;
    virtual void windowActivated(bool active) = 0;
    // The close box or the window manager asks the window to close; nothing is closed yet.
    virtual void windowCloseRequested() = 0;
    // The window system is about to show `rect` of the window's bitmap: bring it up to date.
    virtual void windowPaint(const epiRect& rect) = 0;
    virtual void windowMouse(const epiMouseEvent& event) = 0;
    // True when the toolkit took the key; otherwise a focused native control gets it. Keys for
    // a focused control come here first too: menu accelerators, and Tab in an edit field, which
    // the window turns into a move to the next edit field.
    virtual bool windowKey(const epiKeyEvent& event) = 0;
    // Files dropped on a window that accepts drops: absolute paths, and the drop point.
    virtual void windowFilesDropped(const std::vector<std::string>& paths, epiPoint at) = 0;
    // A menu item of the window's menu bar was chosen (by click or by its accelerator).
    virtual void windowMenuCommand(int identifier) = 0;
};

// ----- windows -----

struct epiWindowStyle
{
    bool closeBox = true;
    bool maximiseBox = true;
    bool minimiseBox = true;
    bool resizable = true;
    bool plain = false;     // a bare popup window with no frame
    bool frameOnly = false; // a popup window with a sizing frame only
    bool maximised = false; // opens maximised
    bool acceptsDrops = false;
    // The background shown before the first paint: 0xAARRGGBB; alpha 0 means none.
    uint32_t background = 0xFFFFFFFF;
    // Modal windows: the window they belong to (kept above it).
    epiWindowHandle owner = 0;
    // A child window placed inside this parent window (0: top-level).
    epiWindowHandle parent = 0;
};

// ----- native controls -----

enum class epiControlKind
{
    Button,
    CheckBox,
    RadioButton,
    StaticText,
    ScrollText, // read-only multi-line text with a scroll bar
    EditField,
    ScrollBar,
    ProgressBar,
    PopupList, // a drop-down list of items
    Container, // an empty native area that holds other controls
};

enum class epiControlEvent
{
    Clicked,          // button
    Toggled,          // check box, radio button: value = 1 when on
    TextChanged,      // edit field
    Activated,        // Enter in an edit field
    ValueChanged,     // scroll bar: value = the new position
    SelectionChanged, // pop-up list: value = the index chosen, -1 for none
    FocusIn,
    FocusOut,
};

// What a native control reports. Implemented by the toolkit's native-control widgets.
class epiControlListener
{
public:
    virtual ~epiControlListener() = default;
    virtual void controlEvent(epiControlHandle control, epiControlEvent event, int32_t value) = 0;
    // Edit fields: `text` is about to be typed or pasted at `position` into `current`. The
    // listener may change `text` (filtering or converting characters); an empty result inserts
    // nothing.
    virtual void controlFilterText(epiControlHandle, const std::string& /*current*/, int /*position*/,
                                   std::string& /*text*/)
    {
    }
};

struct epiControlDesc
{
    epiControlKind kind = epiControlKind::Button;
    epiRect frame;          // in the window's client coordinates (or the parent control's)
    std::string text;       // label, initial text; pop-up list: items separated by "|"
    epiControlListener* listener = nullptr;
    epiControlHandle parent = 0; // a Container control, or 0 for the window itself
    // Radio buttons: a radio of the group to join; 0 starts a new group.
    epiControlHandle radioGroup = 0;
    bool vertical = true;   // scroll bar orientation
    bool multiLine = false; // edit field
    bool password = false;  // edit field: characters hidden
    bool readOnly = false;  // edit field
};

// ----- cursors -----

enum class epiCursorShape
{
    Arrow,
    Wait,
    Hand,
    IBeam,
    Cross,
    SizeHorizontal,
    SizeVertical,
    Move,
    Hidden,
};

// ----- the window system -----

class epiWindowSystem
{
public:
    virtual ~epiWindowSystem() = default;

    // "gtk" or "null".
    virtual const char* name() const = 0;

    // Windows. `client` is the client area in screen coordinates; the window system adds its
    // frame (and the menu bar) around it.
    virtual epiWindowHandle createWindow(epiWindowListener* listener, const epiWindowStyle& style,
                                         const epiRect& client, const std::string& title) = 0;
    virtual void destroyWindow(epiWindowHandle window) = 0;
    virtual void showWindow(epiWindowHandle window, bool visible) = 0;
    virtual bool isWindowVisible(epiWindowHandle window) const = 0;
    virtual void setWindowTitle(epiWindowHandle window, const std::string& title) = 0;
    virtual void setWindowClient(epiWindowHandle window, const epiRect& client) = 0;
    // The client area in screen coordinates.
    virtual epiRect windowClient(epiWindowHandle window) const = 0;
    virtual void enableWindow(epiWindowHandle window, bool enabled) = 0;
    virtual bool isWindowEnabled(epiWindowHandle window) const = 0;
    virtual void bringToFront(epiWindowHandle window) = 0;
    // The window that has the keyboard focus, 0 when none of ours has.
    virtual epiWindowHandle foregroundWindow() const = 0;
    // The usable screen area.
    virtual epiRect desktopRect() const = 0;

    // Drawing. The window shows `bitmap` (client-sized, owned by the toolkit, alive until it is
    // replaced or the window is destroyed). invalidate asks for `rect` to be shown again: the
    // window system calls windowPaint(rect) and then copies that part of the bitmap to the screen.
    virtual void setWindowBitmap(epiWindowHandle window, const epiBitmap* bitmap) = 0;
    virtual void invalidate(epiWindowHandle window, const epiRect& rect) = 0;

    // Pointer.
    virtual void captureMouse(epiWindowHandle window) = 0;
    virtual void releaseMouse(epiWindowHandle window) = 0;
    virtual void setCursor(epiWindowHandle window, epiCursorShape shape) = 0;

    // Native controls, placed over the window's bitmap at their frames.
    virtual epiControlHandle createControl(epiWindowHandle window, const epiControlDesc& desc) = 0;
    virtual void destroyControl(epiControlHandle control) = 0;
    virtual void moveControl(epiControlHandle control, const epiRect& frame) = 0;
    virtual void showControl(epiControlHandle control, bool visible) = 0;
    virtual void enableControl(epiControlHandle control, bool enabled) = 0;
    virtual void setControlText(epiControlHandle control, const std::string& text) = 0;
    virtual std::string controlText(epiControlHandle control) const = 0;
    // Check box and radio: 0 or 1; scroll bar: position; progress bar: 0 to 1000; pop-up list:
    // the selected index (-1 for none). Setting a value sends no change notification.
    virtual void setControlValue(epiControlHandle control, int32_t value) = 0;
    virtual int32_t controlValue(epiControlHandle control) const = 0;
    // Scroll bar range (position from minimum to maximum − page) and page size.
    virtual void setControlRange(epiControlHandle control, int32_t minimum, int32_t maximum, int32_t page) = 0;
    // Pop-up list items.
    virtual void setControlItems(epiControlHandle control, const std::vector<std::string>& items) = 0;
    virtual void focusControl(epiControlHandle control) = 0;
    // The control of `window` that has the keyboard focus, 0 when none has.
    virtual epiControlHandle focusedControl(epiWindowHandle window) const = 0;
    // Edit fields: selects the whole text.
    virtual void selectControlText(epiControlHandle control) = 0;

    // Menus. Items report their identifier through windowMenuCommand of the window that carries
    // the bar. The accelerator is shown beside the item; the toolkit itself translates the keys
    // (windowKey), so an accelerator works the same on every window system.
    struct Accelerator
    {
        uint32_t key = 0; // upper-case letter, digit or character; 0 for none
        bool shift = false;
        bool alt = false;
    };
    virtual epiMenuHandle createMenuBar() = 0;
    virtual epiMenuHandle createPopupMenu() = 0;
    virtual void appendMenuItem(epiMenuHandle menu, const std::string& label, int identifier,
                                const Accelerator& accelerator) = 0;
    virtual void appendSeparator(epiMenuHandle menu) = 0;
    virtual void appendSubmenu(epiMenuHandle menu, const std::string& label, epiMenuHandle submenu) = 0;
    // Destroys a bar or popup menu with its sub-menus (not while a window carries it).
    virtual void destroyMenu(epiMenuHandle menu) = 0;
    virtual void setWindowMenuBar(epiWindowHandle window, epiMenuHandle menuBar) = 0;
    // Shows a popup menu at `at` (client coordinates of `window`) and waits for the choice:
    // the chosen identifier, 0 when the menu was dismissed.
    virtual int trackPopupMenu(epiWindowHandle window, epiMenuHandle menu, epiPoint at) = 0;

    // Dialogs: the open or save file chooser, owned by `owner`. True with the chosen path. A
    // save chooser proposes the name `path` holds when it is called (empty: none).
    virtual bool chooseFile(epiWindowHandle owner, bool save, std::string& path) = 0;

    // Clipboard (text, UTF-8).
    virtual void setClipboardText(const std::string& text) = 0;
    virtual bool clipboardText(std::string& text) = 0;

    // Main-loop primitives.
    virtual bool eventsPending() = 0;
    // Handles one pending event; false when there was none.
    virtual bool dispatchOneEvent() = 0;
    // Waits until an event is pending or `seconds` have passed (0: returns at once).
    virtual void waitForEvents(double seconds) = 0;
    // Makes a waitForEvents in progress return; callable from any thread.
    virtual void wakeUp() = 0;
};

// The display-free window system.
std::unique_ptr<epiWindowSystem> epiMakeNullWindowSystem();
// The GTK window system; null when no display can be opened.
std::unique_ptr<epiWindowSystem> epiMakeGtkWindowSystem();
// The window system chosen at start: the null one when the environment variable
// ZUMELI_WINDOW_SYSTEM is "null", otherwise GTK; null when GTK cannot open a display.
std::unique_ptr<epiWindowSystem> epiMakeWindowSystem();

// Implemented by native-control widgets: the control they own, so that the window can find edit
// fields (focus cycling) and route keys.
class epiNativeControlOwner
{
public:
    virtual ~epiNativeControlOwner() = default;
    virtual epiControlHandle nativeControl() const = 0;
};
