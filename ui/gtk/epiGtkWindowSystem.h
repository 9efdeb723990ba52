#pragma once

// The GTK 3 window system. Private to ui/gtk/: nothing above the seam includes this header.
#include "ui/epiMenuRecords.h"
#include "ui/epiWindowSystem.h"

#include <gtk/gtk.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class epiGtkWindowSystem : public epiWindowSystem
{
public:
    // One GtkWindow per toolkit window: a vertical box with the menu bar (when it carries one)
    // above an overlay whose base is the drawing area that shows the toolkit's bitmap and whose
    // top layer is a GtkFixed holding the native controls at their frames.
    struct Window
    {
        epiGtkWindowSystem* system = nullptr;
        epiWindowHandle handle = 0;
        epiWindowListener* listener = nullptr;
        epiWindowStyle style;
        GtkWidget* window = nullptr;
        GtkWidget* box = nullptr;
        GtkWidget* menuBar = nullptr;
        GtkWidget* area = nullptr;
        GtkWidget* fixed = nullptr;
        const epiBitmap* bitmap = nullptr;
        epiRect client;
        bool enabled = true;
        bool active = false;
        epiCursorShape cursor = epiCursorShape::Arrow;
    };
    struct Control
    {
        epiGtkWindowSystem* system = nullptr;
        epiControlHandle handle = 0;
        epiWindowHandle window = 0;
        epiControlDesc desc;
        GtkWidget* widget = nullptr;     // what is placed in the parent's GtkFixed
        GtkWidget* inner = nullptr;      // the control itself (a text view inside a scrolled window)
        GtkAdjustment* adjustment = nullptr;
        GtkWidget* children = nullptr; // Container: the GtkFixed of its own children
        int silent = 0;                 // > 0 while the toolkit itself changes the control
        int32_t progress = 0;
    };
    using MenuItem = epiMenuRecords::Item;
    using Menu = epiMenuRecords::Menu;

    static std::unique_ptr<epiGtkWindowSystem> create();
    ~epiGtkWindowSystem() override;

    const char* name() const override { return "gtk"; }

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
    epiWindowHandle foregroundWindow() const override;
    epiRect desktopRect() const override;
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

    // Used by the signal handlers.
    Window* findWindow(epiWindowHandle window) const;
    Control* findControl(epiControlHandle control) const;
    Control* controlOfWidget(GtkWidget* widget) const;
    // Keys held down (by hardware code), to tell a repeat from a new press.
    std::set<int>& keysDown() { return m_keysDown; }
    void updateSizeLimits(Window& record);

private:
    epiGtkWindowSystem() = default;
    epiWindowHandle newHandle() { return ++m_lastHandle; }
    GtkWidget* buildMenu(Window& record, epiMenuHandle menu, bool bar);
    GtkWidget* controlParent(const Window& record, const epiControlDesc& desc) const;

    uintptr_t m_lastHandle = 0;
    std::map<epiWindowHandle, std::unique_ptr<Window>> m_windows;
    std::map<epiControlHandle, std::unique_ptr<Control>> m_controls;
    epiMenuRecords m_menus;
    std::set<int> m_keysDown;
};

// Signal wiring, one file each.
void epiGtkConnectWindowSignals(epiGtkWindowSystem::Window& record);
void epiGtkConnectControlSignals(epiGtkWindowSystem::Control& record);
void epiGtkDisconnectWindowSignals(epiGtkWindowSystem::Window& record);
void epiGtkDisconnectControlSignals(epiGtkWindowSystem::Control& record);
