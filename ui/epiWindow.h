#pragma once

#include "ui/epiBitmap.h"
#include "ui/epiUiEventsBase.h"
#include "ui/epiWindowSystem.h"

class epiWindowManager;

// A top-level window: an epiUbo tree shown in a native window of the window system. The tree is
// drawn into the window's bitmap, which the window system shows; input comes back through the
// epiWindowListener operations and goes to the tree's mouse and key hooks.
//
// Life: constructed (attributes from its layout) -> create() makes the native window and joins
// the window manager -> show() -> close() destroys the native window and leaves the window
// manager (which releases its reference).
class epiWindow : public epiUiEventsBase, public epiWindowListener
{
public:
    static constexpr epiCode kType = epiFourCC("iWin");
    static constexpr epiCode kEditFieldType = epiFourCC("iSet");

    epiWindow();
    ~epiWindow() override;

    epiCode typeCode() const override { return kType; }

    // ----- life -----
    void create() override;
    void show() override;
    void close() override;
    void shutdown() override;
    virtual bool canClose() { return true; }
    virtual bool isModal() const { return m_modal; }
    epiWindowHandle handle() const { return m_handle; }
    // "epiWndClass_0000" and on, given at create().
    const epiText& className() const { return m_className; }
    epiWindowSystem* windowSystem() const;

    // ----- attributes -----
    void setAttribute(epiCode code, int32_t value) override;
    bool getAttribute(epiCode code, epiText& value) const override;
    void setTitle(const epiText& title) override;
    std::string nativeTitle() const;
    // The client area, in screen coordinates.
    void setFrame(const epiRect& frame) override;
    void invalidate(const epiRect& rect) override;
    using epiUbo::invalidate;

    // Limits a proposed client size by 'RszX', 'RszY' and the minimum and maximum sizes.
    void limitSize(int32_t& width, int32_t& height) const;
    // The disable count: the native window is disabled while it is above 0.
    void setEnabledByOthers(bool enable);
    int disableCount() const { return m_disableCount; }
    // Gives the focus to the next native edit field after the focused one, its text selected.
    void focusNextEditField();
    // A command offered by the window manager (menus); true when handled.
    virtual bool offerCommand(epiCode code);

    // ----- hooks -----
    virtual void moved() {}
    virtual void resized() {}
    virtual void activated() {}
    virtual void deactivated() {}
    virtual void closing() {}
    virtual void filesDropped(const epiText& /*path*/, const epiPoint& /*point*/) {}

    // The bitmap the window shows (client-sized).
    const epiBitmap& bitmap() const { return m_bitmap; }
    // Draws `rect` of the tree into the bitmap (the background first).
    void drawToBitmap(const epiRect& rect);
    uint32_t backgroundColour() const;

    // ----- epiWindowListener -----
    void windowMoved(epiPoint topLeft) override;
    void windowResized(int32_t width, int32_t height) override;
    void windowSizing(int32_t& width, int32_t& height) override;
    void windowActivated(bool active) override;
    void windowCloseRequested() override;
    void windowPaint(const epiRect& rect) override;
    void windowMouse(const epiMouseEvent& event) override;
    bool windowKey(const epiKeyEvent& event) override;
    void windowFilesDropped(const std::vector<std::string>& paths, epiPoint at) override;
    void windowMenuCommand(int identifier) override;

protected:
    epiWindowManager* windowManager() const;
    epiWindow* owner() const { return m_owner; }

private:
    void makeBitmap();
    void enableOthers(bool enable);

    epiWindowHandle m_handle = 0;
    int m_disableCount = 0;
    epiWindow* m_owner = nullptr;
    epiBitmap m_bitmap;
    bool m_active = false;
    bool m_closed = false;
    epiText m_className;
    bool m_inManager = false; // set by the window manager while the window is one of its children
    friend class epiWindowManager;

    // Window attributes.
    bool m_closeBox = true;
    bool m_maximiseBox = true;
    bool m_minimiseBox = true;
    bool m_resizeX = true;
    bool m_resizeY = true;
    int32_t m_minWidth = 0;
    int32_t m_minHeight = 0;
    int32_t m_maxWidth = 0;
    int32_t m_maxHeight = 0;
    bool m_autoPosition = true;
    bool m_modal = false;
    epiCode m_parentCode = 0;
    bool m_mdiFrame = false;
    bool m_plain = false;
    bool m_frameOnly = false;
    bool m_openZoomed = false;
    bool m_menuBar = false;
    bool m_acceptsDrops = false;
    bool m_noBackground = false;
    bool m_greyBackground = false;
    bool m_blackBackground = false;
    bool m_wcom = true;
    bool m_shet = false;
    bool m_isFl = false;
    bool m_isUt = false;
    bool m_metl = false;
};
