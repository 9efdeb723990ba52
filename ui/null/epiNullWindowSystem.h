#pragma once

#include "ui/epiBitmap.h"
#include "ui/epiMenuRecords.h"
#include "ui/epiWindowSystem.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

// A window system without a display. Windows, native controls and menus are plain records;
// tests inject pointer, key and text input (queued as events, handled one per
// dispatchOneEvent like real ones) and read back what a window showed: each invalidated area is
// painted on the next dispatch and copied into the window's "shown" bitmap.
class epiNullWindowSystem : public epiWindowSystem
{
public:
    struct Window
    {
        epiWindowListener* listener = nullptr;
        epiWindowStyle style;
        epiRect client;
        std::string title;
        bool visible = false;
        bool enabled = true;
        const epiBitmap* bitmap = nullptr;
        epiBitmap shown;
        epiRect dirty;
        epiMenuHandle menuBar = 0;
        bool captured = false;
        epiCursorShape cursor = epiCursorShape::Arrow;
    };
    struct Control
    {
        epiWindowHandle window = 0;
        epiControlDesc desc;
        std::string text;
        int32_t value = 0;
        int32_t minimum = 0;
        int32_t maximum = 100;
        int32_t page = 10;
        std::vector<std::string> items;
        bool visible = true;
        bool enabled = true;
        int selectionStart = 0;
        int selectionEnd = 0;
    };
    using MenuItem = epiMenuRecords::Item;
    using Menu = epiMenuRecords::Menu;

    epiNullWindowSystem();
    ~epiNullWindowSystem() override;

    const char* name() const override { return "null"; }

    epiWindowHandle createWindow(epiWindowListener* listener, const epiWindowStyle& style, const epiRect& client,
                                 const std::string& title) override;
    void destroyWindow(epiWindowHandle window) override;
    void showWindow(epiWindowHandle window, bool visible) override;
    bool isWindowVisible(epiWindowHandle window) const override;
    void setWindowTitle(epiWindowHandle window, const std::string& title) override;
    void setWindowClient(epiWindowHandle window, const epiRect& client) override;
    epiRect windowClient(epiWindowHandle window) const override;
    void enableWindow(epiWindowHandle window, bool enabled) override;
    bool isWindowEnabled(epiWindowHandle window) const override;
    void bringToFront(epiWindowHandle window) override;
    epiWindowHandle foregroundWindow() const override { return m_foreground; }
    epiRect desktopRect() const override { return {0, 0, 1280, 1024}; }
    void setWindowBitmap(epiWindowHandle window, const epiBitmap* bitmap) override;
    void invalidate(epiWindowHandle window, const epiRect& rect) override;
    void captureMouse(epiWindowHandle window) override;
    void releaseMouse(epiWindowHandle window) override;
    void setCursor(epiWindowHandle window, epiCursorShape shape) override;

    epiControlHandle createControl(epiWindowHandle window, const epiControlDesc& desc) override;
    void destroyControl(epiControlHandle control) override;
    void moveControl(epiControlHandle control, const epiRect& frame) override;
    void showControl(epiControlHandle control, bool visible) override;
    void enableControl(epiControlHandle control, bool enabled) override;
    void setControlText(epiControlHandle control, const std::string& text) override;
    std::string controlText(epiControlHandle control) const override;
    void setControlValue(epiControlHandle control, int32_t value) override;
    int32_t controlValue(epiControlHandle control) const override;
    void setControlRange(epiControlHandle control, int32_t minimum, int32_t maximum, int32_t page) override;
    void setControlItems(epiControlHandle control, const std::vector<std::string>& items) override;
    void focusControl(epiControlHandle control) override;
    epiControlHandle focusedControl(epiWindowHandle window) const override;
    void selectControlText(epiControlHandle control) override;

    epiMenuHandle createMenuBar() override;
    epiMenuHandle createPopupMenu() override;
    void appendMenuItem(epiMenuHandle menu, const std::string& label, int identifier,
                        const Accelerator& accelerator) override;
    void appendSeparator(epiMenuHandle menu) override;
    void appendSubmenu(epiMenuHandle menu, const std::string& label, epiMenuHandle submenu) override;
    void destroyMenu(epiMenuHandle menu) override;
    void setWindowMenuBar(epiWindowHandle window, epiMenuHandle menuBar) override;
    int trackPopupMenu(epiWindowHandle window, epiMenuHandle menu, epiPoint at) override;

    bool chooseFile(epiWindowHandle owner, bool save, std::string& path) override;
    void setClipboardText(const std::string& text) override;
    bool clipboardText(std::string& text) override;

    bool eventsPending() override;
    bool dispatchOneEvent() override;
    void waitForEvents(double seconds) override;
    void wakeUp() override;

    // ----- for tests -----
    const Window* window(epiWindowHandle window) const;
    const Control* control(epiControlHandle control) const;
    const Menu* menu(epiMenuHandle menu) const;
    std::vector<epiControlHandle> controlsOf(epiWindowHandle window) const;
    // Input, queued and delivered one event per dispatch.
    void mouseDown(epiWindowHandle window, epiPoint at, epiMouseButton button = epiMouseButton::Left);
    void mouseMove(epiWindowHandle window, epiPoint at);
    void mouseUp(epiWindowHandle window, epiPoint at, epiMouseButton button = epiMouseButton::Left);
    void wheel(epiWindowHandle window, epiPoint at, int steps);
    // A key press (and, unless `holdDown`, its release) to the foreground window.
    void key(const epiKeyEvent& event);
    void pressKey(epiPlatformKey key, int scanCode, bool repeat = false);
    void releaseKey(int scanCode);
    // Characters typed into the foreground window: into the focused control when there is one
    // (through its filter), otherwise as key presses and releases.
    void typeText(const std::string& text, bool control = false);
    // The user drags the window's frame: the proposed client size goes through the window's
    // limits and the window is resized to the result.
    void sizeWindow(epiWindowHandle window, int32_t width, int32_t height);
    void requestClose(epiWindowHandle window);
    // The window gets the focus (0: another program gets it).
    void activate(epiWindowHandle window);
    void chooseMenuItem(epiWindowHandle window, int identifier);
    void clickControl(epiControlHandle control);
    void selectItem(epiControlHandle control, int index);
    void dropFiles(epiWindowHandle window, const std::vector<std::string>& paths, epiPoint at);
    // The answers of the next dialogs.
    void setNextFileChoice(const std::string& path) { m_nextFile = path; }
    // The name the last save chooser proposed.
    const std::string& lastFileProposal() const { return m_lastProposal; }
    void setNextPopupChoice(int identifier) { m_nextPopupChoice = identifier; }
    // Handles every queued event and paint.
    void flush();

private:
    epiWindowHandle newHandle() { return ++m_lastHandle; }
    Window* findWindow(epiWindowHandle window);
    Control* findControl(epiControlHandle control);
    void queue(std::function<void()> event);
    void deliverText(Control& control, epiControlHandle handle, const std::string& text);
    bool paintOne();

    uintptr_t m_lastHandle = 0;
    std::map<epiWindowHandle, Window> m_windows;
    std::map<epiControlHandle, Control> m_controls;
    epiMenuRecords m_menus;
    std::map<epiWindowHandle, epiControlHandle> m_focus;
    epiWindowHandle m_foreground = 0;
    std::deque<std::function<void()>> m_events;
    std::string m_clipboard;
    bool m_hasClipboard = false;
    std::string m_nextFile;
    std::string m_lastProposal;
    int m_nextPopupChoice = 0;
    std::mutex m_wakeMutex;
    std::condition_variable m_wake;
    bool m_woken = false;
};
