#include "ui/epiWindow.h"

#include "ui/epiApplication.h"
#include "ui/epiKeyboard.h"
#include "ui/epiMenu.h"
#include "ui/epiWindowManager.h"

#include <algorithm>

namespace {

constexpr uint32_t kWindowColour = 0xFFFFFFFF;
constexpr uint32_t kButtonFaceColour = 0xFFEFEFEF;
constexpr uint32_t kBlack = 0xFF000000;

} // namespace

epiWindow::epiWindow()
{
    // Windows are visible unless their layout says 'visi' 0.
    setVisible(true, false);
    epiUbo::setFrame({100, 100, 300, 200});
}

epiWindow::~epiWindow()
{
    if (m_handle && windowSystem())
        windowSystem()->destroyWindow(m_handle);
}

epiWindowSystem* epiWindow::windowSystem() const
{
    return application() ? application()->windowSystem() : nullptr;
}

epiWindowManager* epiWindow::windowManager() const
{
    return application() ? application()->windowManager() : nullptr;
}

// ----- life -----

void epiWindow::create()
{
    epiWindowManager* manager = windowManager();
    if (manager)
        manager->addWindow(this);
    if (frame().isEmpty())
        epiUbo::setFrame({50, 50, 250, 150});
    if (manager)
        m_className = manager->nextWindowClassName(); // every window a class name of its own
    epiRect client = frame();
    if (m_autoPosition && manager)
        manager->nextCascadePosition(client);
    epiUbo::setFrame(client);

    epiWindowStyle style;
    style.closeBox = m_closeBox;
    style.maximiseBox = m_maximiseBox;
    style.minimiseBox = m_minimiseBox;
    style.resizable = m_resizeX || m_resizeY;
    style.acceptsDrops = m_acceptsDrops;
    style.background = m_noBackground ? 0 : backgroundColour();
    if (m_parentCode && manager) {
        if (epiWindow* parentWindow = manager->findWindow(m_parentCode); parentWindow && parentWindow != this)
            style.parent = parentWindow->handle();
    }
    if (m_modal && manager) {
        // The owner is the front window, or failing that another open window.
        m_owner = manager->frontWindow();
        for (int i = 0; m_owner == this && i < manager->windowCount(); ++i)
            m_owner = manager->windowAt(i) != this ? manager->windowAt(i) : this;
        if (m_owner == this)
            m_owner = nullptr;
        if (m_owner)
            m_owner->retain();
        style.owner = m_owner ? m_owner->handle() : 0;
        style.parent = 0;
    }
    if (m_plain)
        style.plain = true;
    else if (m_frameOnly)
        style.frameOnly = true;
    style.maximised = m_openZoomed;

    makeBitmap();
    if (epiWindowSystem* system = windowSystem()) {
        m_handle = system->createWindow(this, style, frame(), nativeTitle());
        if (m_handle) {
            system->setWindowBitmap(m_handle, &m_bitmap);
            if (m_menuBar && application()->menu() && application()->menu()->menuBar())
                system->setWindowMenuBar(m_handle, application()->menu()->menuBar());
        }
    }
    epiUbo::create();
}

void epiWindow::show()
{
    epiUbo::show();
    epiWindowSystem* system = windowSystem();
    if (m_handle && system && isVisible()) {
        system->showWindow(m_handle, true);
        system->invalidate(m_handle, bounds());
    }
    if (m_modal)
        enableOthers(false);
}

void epiWindow::shutdown()
{
    if (m_inManager) {
        // close() gives up the window manager's reference; this one is what the base's
        // shutdown releases at its end.
        retain();
        close();
    }
    epiUiEventsBase::shutdown();
}

void epiWindow::close()
{
    if (m_closed)
        return;
    m_closed = true;
    retain(); // alive until the end, whatever the window manager releases
    closing();
    if (m_handle) {
        if (epiWindowSystem* system = windowSystem()) {
            system->setWindowBitmap(m_handle, nullptr);
            system->destroyWindow(m_handle);
        }
        m_handle = 0;
    }
    if (epiWindowManager* manager = windowManager())
        manager->windowClosed(this);
    epiUbo::close();
    if (m_modal) {
        enableOthers(true);
        if (m_owner && windowManager())
            windowManager()->bringToFront(m_owner);
    }
    if (m_owner) {
        m_owner->release();
        m_owner = nullptr;
    }
    release();
}

void epiWindow::enableOthers(bool enable)
{
    epiWindowManager* manager = windowManager();
    if (!manager)
        return;
    for (int i = 0; i < manager->windowCount(); ++i)
        if (epiWindow* other = manager->windowAt(i); other && other != this)
            other->setEnabledByOthers(enable);
}

void epiWindow::setEnabledByOthers(bool enable)
{
    if (enable) {
        if (m_disableCount == 0)
            return;
        if (--m_disableCount == 0 && m_handle && windowSystem())
            windowSystem()->enableWindow(m_handle, true);
    } else if (m_disableCount++ == 0 && m_handle && windowSystem()) {
        windowSystem()->enableWindow(m_handle, false);
    }
}

// ----- attributes -----

void epiWindow::setAttribute(epiCode code, int32_t value)
{
    bool on = value != 0;
    switch (code) {
    case epiFourCC("Clsa"): m_closeBox = on; return;
    case epiFourCC("Zoma"): m_maximiseBox = on; return;
    case epiFourCC("Mini"): m_minimiseBox = on; return;
    case epiFourCC("RszX"): m_resizeX = on; return;
    case epiFourCC("RszY"): m_resizeY = on; return;
    case epiFourCC("MszX"): m_minWidth = std::max(0, value); return;
    case epiFourCC("MszY"): m_minHeight = std::max(0, value); return;
    case epiFourCC("XszX"): m_maxWidth = std::max(0, value); return;
    case epiFourCC("XszY"): m_maxHeight = std::max(0, value); return;
    case epiFourCC("aupo"): m_autoPosition = on; return;
    case epiFourCC("Modl"): m_modal = on; return;
    case epiFourCC("Pare"): m_parentCode = static_cast<epiCode>(value); return;
    case epiFourCC("MdiF"): m_mdiFrame = on; return;
    case epiFourCC("Plai"): m_plain = on; return;
    case epiFourCC("Fram"): m_frameOnly = on; return;
    case epiFourCC("OZoo"): m_openZoomed = on; return;
    case epiFourCC("mBar"): m_menuBar = on; return;
    case epiFourCC("ReDr"): m_acceptsDrops = on; return;
    case epiFourCC("noBk"): m_noBackground = on; return;
    case epiFourCC("grBk"): m_greyBackground = on; return;
    case epiFourCC("grBl"): m_blackBackground = on; return;
    case epiFourCC("Wcom"): m_wcom = on; return;
    case epiFourCC("Shet"): m_shet = on; return;
    case epiFourCC("isFl"): m_isFl = on; return;
    case epiFourCC("isUt"): m_isUt = on; return;
    case epiFourCC("metl"): m_metl = on; return;
    default: epiUiEventsBase::setAttribute(code, value);
    }
}

bool epiWindow::getAttribute(epiCode code, epiText& value) const
{
    auto flag = [&value](bool on) { return value.format("%d", on ? 1 : 0), true; };
    auto number = [&value](int32_t n) { return value.format("%d", n), true; };
    switch (code) {
    case epiFourCC("Clsa"): return flag(m_closeBox);
    case epiFourCC("Zoma"): return flag(m_maximiseBox);
    case epiFourCC("Mini"): return flag(m_minimiseBox);
    case epiFourCC("RszX"): return flag(m_resizeX);
    case epiFourCC("RszY"): return flag(m_resizeY);
    case epiFourCC("MszX"): return number(m_minWidth);
    case epiFourCC("MszY"): return number(m_minHeight);
    case epiFourCC("XszX"): return number(m_maxWidth);
    case epiFourCC("XszY"): return number(m_maxHeight);
    case epiFourCC("aupo"): return flag(m_autoPosition);
    case epiFourCC("Modl"): return flag(m_modal);
    case epiFourCC("Pare"): return number(static_cast<int32_t>(m_parentCode));
    case epiFourCC("MdiF"): return flag(m_mdiFrame);
    case epiFourCC("Plai"): return flag(m_plain);
    case epiFourCC("Fram"): return flag(m_frameOnly);
    case epiFourCC("OZoo"): return flag(m_openZoomed);
    case epiFourCC("mBar"): return flag(m_menuBar);
    case epiFourCC("ReDr"): return flag(m_acceptsDrops);
    case epiFourCC("noBk"): return flag(m_noBackground);
    case epiFourCC("grBk"): return flag(m_greyBackground);
    case epiFourCC("grBl"): return flag(m_blackBackground);
    case epiFourCC("Wcom"): return flag(m_wcom);
    case epiFourCC("Shet"): return flag(m_shet);
    case epiFourCC("isFl"): return flag(m_isFl);
    case epiFourCC("isUt"): return flag(m_isUt);
    case epiFourCC("metl"): return flag(m_metl);
    default: return epiUiEventsBase::getAttribute(code, value);
    }
}

void epiWindow::setTitle(const epiText& title)
{
    epiUbo::setTitle(title);
    if (m_handle && windowSystem())
        windowSystem()->setWindowTitle(m_handle, nativeTitle());
}

std::string epiWindow::nativeTitle() const
{
    // The title ('titl'), or the layout's text when the layout gives no title. At most 999
    // characters, as the native title took them.
    const epiText& shown = title().isEmpty() ? text() : title();
    return shown.str().substr(0, 999);
}

void epiWindow::setFrame(const epiRect& frame)
{
    bool resized = frame.width() != this->frame().width() || frame.height() != this->frame().height();
    epiUbo::setFrame(frame);
    if (m_handle && windowSystem()) {
        windowSystem()->setWindowClient(m_handle, frame);
        if (resized) {
            makeBitmap();
            relayout();
            invalidate(bounds());
        }
    }
}

void epiWindow::invalidate(const epiRect& rect)
{
    if (m_handle && windowSystem())
        windowSystem()->invalidate(m_handle, rect.intersection(bounds()));
    else
        epiUbo::invalidate(rect);
}

void epiWindow::limitSize(int32_t& width, int32_t& height) const
{
    if (!m_resizeX && width != frame().width())
        width = frame().width();
    if (!m_resizeY && height != frame().height())
        height = frame().height();
    if (m_minWidth > 0 && width < m_minWidth)
        width = m_minWidth;
    if (m_minHeight > 0 && height < m_minHeight)
        height = m_minHeight;
    if (m_maxWidth > 0 && width > m_maxWidth)
        width = m_maxWidth;
    if (m_maxHeight > 0 && height > m_maxHeight)
        height = m_maxHeight;
}

void epiWindow::focusNextEditField()
{
    epiWindowSystem* system = windowSystem();
    if (!system || childCount() == 0)
        return;
    epiControlHandle focused = system->focusedControl(m_handle);
    int start = 0;
    for (int i = 0; i < childCount(); ++i) {
        auto* owner = dynamic_cast<epiNativeControlOwner*>(childAt(i));
        if (owner && focused && owner->nativeControl() == focused) {
            start = i + 1;
            break;
        }
    }
    for (int step = 0; step < childCount(); ++step) {
        epiUbo* child = childAt((start + step) % childCount());
        if (child->typeCode() != kEditFieldType)
            continue;
        auto* owner = dynamic_cast<epiNativeControlOwner*>(child);
        if (!owner || !owner->nativeControl())
            continue;
        system->focusControl(owner->nativeControl());
        system->selectControlText(owner->nativeControl());
        return;
    }
}

bool epiWindow::offerCommand(epiCode code)
{
    return receiveCommand(code, 0, 0);
}

// ----- drawing -----

uint32_t epiWindow::backgroundColour() const
{
    if (m_greyBackground)
        return kButtonFaceColour;
    if (m_blackBackground)
        return kBlack;
    return kWindowColour;
}

void epiWindow::makeBitmap()
{
    int32_t width = std::max(1, frame().width());
    int32_t height = std::max(1, frame().height());
    if (m_bitmap.width() == width && m_bitmap.height() == height && m_bitmap.scale() == epiDisplayScale())
        return;
    m_bitmap.create(width, height, epiDisplayScale());
    if (m_handle && windowSystem())
        windowSystem()->setWindowBitmap(m_handle, &m_bitmap);
}

void epiWindow::drawToBitmap(const epiRect& rect)
{
    epiRect part = rect.intersection(m_bitmap.bounds());
    if (part.isEmpty())
        return;
    if (!m_noBackground)
        m_bitmap.fill(part, backgroundColour());
    draw(m_bitmap, {0, 0}, part);
}

// ----- window-system events -----

void epiWindow::windowMoved(epiPoint topLeft)
{
    epiUbo::setFrame(epiRect::fromSize(topLeft.x, topLeft.y, frame().width(), frame().height()));
    moved();
}

void epiWindow::windowResized(int32_t width, int32_t height)
{
    if (width == frame().width() && height == frame().height())
        return;
    epiUbo::setFrame(epiRect::fromSize(frame().left, frame().top, width, height));
    makeBitmap();
    relayout();
    moved();
    resized();
    invalidate(bounds());
}

void epiWindow::windowSizing(int32_t& width, int32_t& height)
{
    limitSize(width, height);
}

void epiWindow::windowActivated(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    retain();
    if (active)
        activated();
    else
        deactivated();
    if (epiWindowManager* manager = windowManager(); manager && m_inManager)
        manager->windowActivation(this, active);
    release();
}

void epiWindow::windowCloseRequested()
{
    if (canClose())
        close();
}

void epiWindow::windowPaint(const epiRect& rect)
{
    retain();
    drawToBitmap(rect);
    release();
}

void epiWindow::windowMouse(const epiMouseEvent& event)
{
    retain();
    if (application() && application()->keyboard())
        application()->keyboard()->updateFromMouse(event);
    epiWindowSystem* system = windowSystem();
    switch (event.action) {
    case epiMouseAction::Down:
        if (system)
            system->captureMouse(m_handle);
        mouseDown(event.point);
        break;
    case epiMouseAction::Up:
        mouseUp(event.point);
        if (system && m_handle)
            system->releaseMouse(m_handle);
        break;
    case epiMouseAction::Move:
        if (event.buttons != 0)
            mouseDragged(event.point);
        else
            mouseMoved(event.point);
        break;
    case epiMouseAction::Wheel:
        mouseWheel(event.point, event.wheelSteps);
        break;
    }
    release();
}

bool epiWindow::windowKey(const epiKeyEvent& event)
{
    epiApplication* app = application();
    if (!app)
        return false;
    retain();
    bool taken = false;
    // Menu accelerators come first, whoever has the focus.
    if (event.down && event.control && app->menu()) {
        int identifier = app->menu()->acceleratorCommand(event.virtualKey, event.shift, event.alt);
        if (identifier != 0) {
            windowMenuCommand(identifier);
            taken = true;
        }
    }
    if (!taken && event.focusedControl) {
        if (event.down && event.character == '\t') {
            focusNextEditField();
            taken = true;
        }
    } else if (!taken && app->keyboard()) {
        epiKeyboard::Delivery delivery = app->keyboard()->translate(event);
        switch (delivery.kind) {
        case epiKeyboard::Delivery::Down: keyDown(delivery.key); break;
        case epiKeyboard::Delivery::Repeat: keyRepeat(delivery.key); break;
        case epiKeyboard::Delivery::Up: keyUp(delivery.key); break;
        case epiKeyboard::Delivery::None: break;
        }
        taken = delivery.kind != epiKeyboard::Delivery::None;
    }
    release();
    return taken;
}

void epiWindow::windowFilesDropped(const std::vector<std::string>& paths, epiPoint at)
{
    retain();
    for (const std::string& path : paths)
        filesDropped(epiPath::fromNative(epiText(path.substr(0, 2047).c_str())), at);
    release();
}

void epiWindow::windowMenuCommand(int identifier)
{
    epiApplication* app = application();
    if (!app || !app->menu() || !app->windowManager())
        return;
    epiCode code = app->menu()->commandForIdentifier(identifier);
    if (code)
        app->windowManager()->dispatchCommand(code);
}
