#pragma once

#include "ui/epiUbo.h"
#include "ui/epiWindowSystem.h"

#include <vector>

class epiWindow;

// Owns the open windows (its children), runs the main loop, places new windows, routes menu
// commands and drives the animation list.
//
// Ownership: every open window is a counted child; closing a window removes it from the children
// and releases that reference.
class epiWindowManager : public epiUbo
{
public:
    static constexpr double kAnimationInterval = 0.04;
    static constexpr double kIdleSleep = 0.002;
    static constexpr int kCursorCount = 16;
    // setCursor values besides 0 to 15.
    static constexpr intptr_t kArrowCursor = -2;
    static constexpr intptr_t kWaitCursor = -3;

    epiWindowManager();
    ~epiWindowManager() override;

    bool init() override;
    void shutdown() override;

    // ----- the loop -----
    // Runs passes until quit(): one window-system event, or an idle wait; then the timer scan.
    void runLoop();
    // One pass. True when an event was handled, false after an idle wait.
    bool runPass();
    void quit();
    bool isRunning() const { return m_running; }
    void setRunning(bool running) { m_running = running; }
    void setQuitWhenLastWindowCloses(bool quit) { m_quitWhenLastWindowCloses = quit; }
    // Idle: a fixed 2 ms sleep (off), or a wait in the window system until the next event or the
    // earliest due timer (on). The environment variable ZUMELI_IDLE_WAIT=block chooses the wait.
    void setBlockingWait(bool blocking) { m_blockingWait = blocking; }
    bool blockingWait() const { return m_blockingWait; }

    // ----- windows -----
    epiWindow* openWindow(epiCode layoutCode);
    epiWindow* showOrOpenWindow(epiCode code, epiCode layoutCode = 0);
    void closeWindow(epiCode code);
    epiWindow* findWindow(epiCode code) const;
    // The window that has the focus; else the first open window; null when none is open.
    epiWindow* frontWindow() const;
    void bringToFront(epiWindow* window);
    int windowCount() const { return childCount(); }
    epiWindow* windowAt(int index) const;
    // Moves `rect` to the next cascade position, keeping its size.
    void nextCascadePosition(epiRect& rect);
    // A menu command: the front window, then the first window, then the application.
    bool dispatchCommand(epiCode code);
    epiText nextWindowClassName();
    const epiRect& desktopRect() const { return m_desktop; }

    // Called by windows.
    void addWindow(epiWindow* window);
    void windowClosed(epiWindow* window);
    // A window got or lost the focus.
    void windowActivation(epiWindow* window, bool active);
    // The application got the focus (one of its windows, after none had it) or lost it (none
    // has it a moment after the last one lost it: moving between our windows is no loss).
    virtual void applicationActivated() {}
    virtual void applicationDeactivated() {}
    bool isApplicationActive() const { return m_applicationActive; }
    static constexpr double kFocusSettle = 0.05;

    // ----- cursors -----
    // Index 0 to 15: a program cursor (nothing while that one is missing); kArrowCursor and
    // kWaitCursor the desktop's; other values a cursor shape by number. Every window shows it.
    void setCursorShape(int index, epiCursorShape shape);
    void setCursor(intptr_t index);
    // Shows the cursor again, and unless `index` is -1 sets it.
    void showCursor(intptr_t index);
    void hideCursor();

    // ----- animation -----
    void startAnimation(epiUiTimered* object, bool restart);
    void stopAnimation(epiUiTimered* object);
    void restartAnimation(epiUiTimered* object);
    bool isAnimating(const epiUiTimered* object) const;
    void timerFired() override;

private:
    struct Animation
    {
        epiUiTimered* object;
        double start;
        int ticks;
    };
    void idle();
    void focusSettled();
    void applyCursor(epiCursorShape shape);

    // Fires once the focus has settled after a window lost it.
    class FocusCheck : public epiUiTimered
    {
    public:
        explicit FocusCheck(epiWindowManager& manager) : m_manager(manager) {}
        void timerFired() override { m_manager.focusSettled(); }

    private:
        epiWindowManager& m_manager;
    };

    bool m_quitWhenLastWindowCloses = true;
    bool m_running = true;
    bool m_blockingWait = false;
    epiPoint m_cascade{64, 64};
    epiRect m_desktop;
    int m_windowClassCounter = 0;
    // The sixteen program cursors; none is shipped, so each stays missing (setCursor then does
    // nothing) until an application sets one with setCursorShape.
    bool m_cursorLoaded[kCursorCount] = {};
    epiCursorShape m_cursors[kCursorCount] = {};
    epiCursorShape m_currentCursor = epiCursorShape::Arrow;
    bool m_cursorHidden = false;
    std::vector<Animation> m_animations;
    bool m_animating = false;
    epiWindow* m_activeWindow = nullptr;
    bool m_applicationActive = false;
    FocusCheck m_focusCheck{*this};
};
