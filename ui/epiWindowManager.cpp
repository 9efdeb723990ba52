#include "ui/epiWindowManager.h"

#include "platform/Clock.h"
#include "ui/epiApplication.h"
#include "ui/epiResources.h"
#include "ui/epiWindow.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

epiWindowManager::epiWindowManager()
{
    const char* idle = std::getenv("ZUMELI_IDLE_WAIT");
    m_blockingWait = idle && std::strcmp(idle, "block") == 0;
}

epiWindowManager::~epiWindowManager() = default;

bool epiWindowManager::init()
{
    epiUbo::init();
    epiWindowSystem* system = application() ? application()->windowSystem() : nullptr;
    m_desktop = system ? system->desktopRect() : epiRect(0, 0, 1280, 1024);
    // The usable area leaves room for a task bar at the bottom.
    m_desktop.bottom = std::max(m_desktop.top, m_desktop.bottom - 50);
    m_focusCheck.setApplication(application());
    return true;
}

void epiWindowManager::shutdown()
{
    // Close what is still open, last first.
    while (windowCount() > 0) {
        epiWindow* window = windowAt(windowCount() - 1);
        bool quitFlag = m_quitWhenLastWindowCloses;
        m_quitWhenLastWindowCloses = false;
        window->close();
        m_quitWhenLastWindowCloses = quitFlag;
    }
    m_animations.clear();
    m_animating = false;
    m_focusCheck.cancelAllTimers();
    epiUiTimered::shutdown();
}

// ----- the loop -----

void epiWindowManager::runLoop()
{
    while (m_running)
        runPass();
}

bool epiWindowManager::runPass()
{
    epiApplication* app = application();
    epiWindowSystem* system = app ? app->windowSystem() : nullptr;
    bool handled = system && system->dispatchOneEvent();
    if (!handled)
        idle();
    if (app)
        app->scanTimers();
    return handled;
}

void epiWindowManager::idle()
{
    epiApplication* app = application();
    epiWindowSystem* system = app ? app->windowSystem() : nullptr;
    if (!m_blockingWait || !system) {
        Zumeli::Platform::sleepMilliseconds(2);
        return;
    }
    // Until the next event or the earliest due timer. Without timers the wait is still bounded,
    // so a quit() from another path is seen within a second.
    double wait = 1.0;
    double due = app->nextTimerDue();
    if (due >= 0)
        wait = std::clamp(due - app->now(), 0.0, wait);
    system->waitForEvents(wait);
}

void epiWindowManager::quit()
{
    m_running = false;
    if (application() && application()->windowSystem())
        application()->windowSystem()->wakeUp();
}

// ----- windows -----

epiWindow* epiWindowManager::openWindow(epiCode layoutCode)
{
    epiApplication* app = application();
    epiResources* set = app ? app->resources() : nullptr;
    epiText fileName;
    if (!set || !set->findDocument(epiResources::kLayouts, layoutCode, fileName))
        return nullptr;
    return app->openWindowFromLayoutFile(fileName);
}

epiWindow* epiWindowManager::showOrOpenWindow(epiCode code, epiCode layoutCode)
{
    if (epiWindow* open = findWindow(code)) {
        bringToFront(open);
        return open;
    }
    return openWindow(layoutCode ? layoutCode : code);
}

void epiWindowManager::closeWindow(epiCode code)
{
    if (epiWindow* window = findWindow(code))
        window->close();
}

epiWindow* epiWindowManager::findWindow(epiCode code) const
{
    return dynamic_cast<epiWindow*>(findChild(code));
}

epiWindow* epiWindowManager::windowAt(int index) const
{
    return dynamic_cast<epiWindow*>(childAt(index));
}

epiWindow* epiWindowManager::frontWindow() const
{
    epiWindowSystem* system = application() ? application()->windowSystem() : nullptr;
    epiWindowHandle foreground = system ? system->foregroundWindow() : 0;
    if (foreground) {
        for (int i = 0; i < windowCount(); ++i)
            if (epiWindow* window = windowAt(i); window && window->handle() == foreground)
                return window;
    }
    return windowCount() > 0 ? windowAt(0) : nullptr;
}

void epiWindowManager::bringToFront(epiWindow* window)
{
    epiWindowSystem* system = application() ? application()->windowSystem() : nullptr;
    if (window && system && window->handle())
        system->bringToFront(window->handle());
}

void epiWindowManager::nextCascadePosition(epiRect& rect)
{
    rect.moveTo(m_cascade.x, m_cascade.y);
    m_cascade.offset(32, 16);
    if (m_cascade.x > 640)
        m_cascade.set(64, 64);
}

bool epiWindowManager::dispatchCommand(epiCode code)
{
    epiWindow* front = frontWindow();
    if (front && front->offerCommand(code))
        return true;
    epiWindow* first = windowCount() > 0 ? windowAt(0) : nullptr;
    if (first && first != front && first->offerCommand(code))
        return true;
    return application() && application()->handleCommand(code);
}

epiText epiWindowManager::nextWindowClassName()
{
    epiText name;
    name.format("epiWndClass_%04d", m_windowClassCounter++);
    return name;
}

void epiWindowManager::addWindow(epiWindow* window)
{
    if (!window || window->m_inManager)
        return;
    if (window->parent())
        window->parent()->removeChild(window);
    if (addChild(window))
        window->m_inManager = true;
}

void epiWindowManager::windowClosed(epiWindow* window)
{
    if (!window || !window->m_inManager)
        return;
    window->m_inManager = false;
    if (m_activeWindow == window)
        windowActivation(window, false);
    removeChild(window);
    window->release();
    if (m_quitWhenLastWindowCloses && windowCount() == 0)
        quit();
}

void epiWindowManager::windowActivation(epiWindow* window, bool active)
{
    if (active) {
        m_activeWindow = window;
        m_focusCheck.cancelAllTimers();
        if (!m_applicationActive) {
            m_applicationActive = true;
            applicationActivated();
        }
        return;
    }
    if (m_activeWindow != window)
        return;
    m_activeWindow = nullptr;
    m_focusCheck.cancelAllTimers();
    m_focusCheck.startOneShotTimer(kFocusSettle);
}

void epiWindowManager::focusSettled()
{
    if (m_activeWindow || !m_applicationActive)
        return;
    m_applicationActive = false;
    applicationDeactivated();
}

// ----- cursors -----

void epiWindowManager::setCursorShape(int index, epiCursorShape shape)
{
    if (index < 0 || index >= kCursorCount)
        return;
    m_cursors[index] = shape;
    m_cursorLoaded[index] = true;
}

void epiWindowManager::setCursor(intptr_t index)
{
    epiCursorShape shape;
    if (index >= 0 && index < kCursorCount) {
        if (!m_cursorLoaded[index])
            return;
        shape = m_cursors[index];
    } else if (index == kArrowCursor) {
        shape = epiCursorShape::Arrow;
    } else if (index == kWaitCursor) {
        shape = epiCursorShape::Wait;
    } else {
        // Any other value names a cursor shape by its number.
        if (index < 0 || index >= static_cast<intptr_t>(epiCursorShape::Hidden))
            return;
        shape = static_cast<epiCursorShape>(index);
    }
    m_currentCursor = shape;
    if (!m_cursorHidden)
        applyCursor(shape);
}

void epiWindowManager::applyCursor(epiCursorShape shape)
{
    epiWindowSystem* system = application() ? application()->windowSystem() : nullptr;
    if (!system)
        return;
    for (int i = 0; i < windowCount(); ++i)
        if (epiWindow* window = windowAt(i); window && window->handle())
            system->setCursor(window->handle(), shape);
}

void epiWindowManager::showCursor(intptr_t index)
{
    m_cursorHidden = false;
    if (index != -1)
        setCursor(index);
    applyCursor(m_currentCursor);
}

void epiWindowManager::hideCursor()
{
    m_cursorHidden = true;
    applyCursor(epiCursorShape::Hidden);
}

// ----- animation -----

void epiWindowManager::startAnimation(epiUiTimered* object, bool restart)
{
    if (!object || !application())
        return;
    double time = application()->now();
    auto found = std::find_if(m_animations.begin(), m_animations.end(),
                              [object](const Animation& entry) { return entry.object == object; });
    if (found == m_animations.end())
        m_animations.push_back({object, time, 0});
    else if (restart)
        *found = {object, time, 0};
    if (!m_animating) {
        m_animating = true;
        startTimer(kAnimationInterval, false, true);
    }
}

void epiWindowManager::stopAnimation(epiUiTimered* object)
{
    auto found = std::find_if(m_animations.begin(), m_animations.end(),
                              [object](const Animation& entry) { return entry.object == object; });
    if (found == m_animations.end())
        return;
    m_animations.erase(found);
    if (m_animations.empty() && m_animating) {
        m_animating = false;
        cancelTimer();
    }
}

void epiWindowManager::restartAnimation(epiUiTimered* object)
{
    for (Animation& entry : m_animations)
        if (entry.object == object && application())
            entry = {object, application()->now(), 0};
}

bool epiWindowManager::isAnimating(const epiUiTimered* object) const
{
    return std::any_of(m_animations.begin(), m_animations.end(),
                       [object](const Animation& entry) { return entry.object == object; });
}

void epiWindowManager::timerFired()
{
    if (!application())
        return;
    double time = application()->now();
    // Copy: a hook may stop its own or another animation.
    std::vector<Animation> entries = m_animations;
    for (const Animation& entry : entries) {
        auto current = std::find_if(m_animations.begin(), m_animations.end(),
                                    [&entry](const Animation& a) { return a.object == entry.object; });
        if (current == m_animations.end())
            continue;
        int ticks = ++current->ticks;
        entry.object->animationTick(time - current->start, ticks);
    }
}
