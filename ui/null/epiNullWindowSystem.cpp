#include "ui/null/epiNullWindowSystem.h"

#include <algorithm>
#include <chrono>
#include <sstream>

std::unique_ptr<epiWindowSystem> epiMakeNullWindowSystem()
{
    return std::make_unique<epiNullWindowSystem>();
}

epiNullWindowSystem::epiNullWindowSystem() = default;
epiNullWindowSystem::~epiNullWindowSystem() = default;

epiNullWindowSystem::Window* epiNullWindowSystem::findWindow(epiWindowHandle window)
{
    auto found = m_windows.find(window);
    return found == m_windows.end() ? nullptr : &found->second;
}

epiNullWindowSystem::Control* epiNullWindowSystem::findControl(epiControlHandle control)
{
    auto found = m_controls.find(control);
    return found == m_controls.end() ? nullptr : &found->second;
}

const epiNullWindowSystem::Window* epiNullWindowSystem::window(epiWindowHandle window) const
{
    auto found = m_windows.find(window);
    return found == m_windows.end() ? nullptr : &found->second;
}

const epiNullWindowSystem::Control* epiNullWindowSystem::control(epiControlHandle control) const
{
    auto found = m_controls.find(control);
    return found == m_controls.end() ? nullptr : &found->second;
}

const epiNullWindowSystem::Menu* epiNullWindowSystem::menu(epiMenuHandle menu) const
{
    return m_menus.find(menu);
}

// ----- windows -----

epiWindowHandle epiNullWindowSystem::createWindow(epiWindowListener* listener, const epiWindowStyle& style,
                                                  const epiRect& client, const std::string& title)
{
    epiWindowHandle handle = newHandle();
    Window& record = m_windows[handle];
    record.listener = listener;
    record.style = style;
    record.client = client;
    record.title = title;
    return handle;
}

void epiNullWindowSystem::destroyWindow(epiWindowHandle window)
{
    if (!m_windows.erase(window))
        return;
    for (auto control = m_controls.begin(); control != m_controls.end();)
        control = control->second.window == window ? m_controls.erase(control) : std::next(control);
    m_focus.erase(window);
    if (m_foreground == window) {
        m_foreground = 0;
        // The most recent visible window takes the focus, as a desktop would give it.
        for (auto other = m_windows.rbegin(); other != m_windows.rend(); ++other)
            if (other->second.visible) {
                m_foreground = other->first;
                break;
            }
    }
}

void epiNullWindowSystem::showWindow(epiWindowHandle window, bool visible)
{
    if (Window* record = findWindow(window)) {
        record->visible = visible;
        if (visible && record->enabled)
            m_foreground = window;
    }
}

bool epiNullWindowSystem::isWindowVisible(epiWindowHandle window) const
{
    const Window* record = this->window(window);
    return record && record->visible;
}

void epiNullWindowSystem::setWindowTitle(epiWindowHandle window, const std::string& title)
{
    if (Window* record = findWindow(window))
        record->title = title;
}

void epiNullWindowSystem::setWindowClient(epiWindowHandle window, const epiRect& client)
{
    if (Window* record = findWindow(window))
        record->client = client;
}

epiRect epiNullWindowSystem::windowClient(epiWindowHandle window) const
{
    const Window* record = this->window(window);
    return record ? record->client : epiRect();
}

void epiNullWindowSystem::enableWindow(epiWindowHandle window, bool enabled)
{
    if (Window* record = findWindow(window))
        record->enabled = enabled;
}

bool epiNullWindowSystem::isWindowEnabled(epiWindowHandle window) const
{
    const Window* record = this->window(window);
    return record && record->enabled;
}

void epiNullWindowSystem::bringToFront(epiWindowHandle window)
{
    if (findWindow(window))
        m_foreground = window;
}

void epiNullWindowSystem::setWindowBitmap(epiWindowHandle window, const epiBitmap* bitmap)
{
    if (Window* record = findWindow(window))
        record->bitmap = bitmap;
}

void epiNullWindowSystem::invalidate(epiWindowHandle window, const epiRect& rect)
{
    if (Window* record = findWindow(window))
        record->dirty = record->dirty.united(rect);
}

void epiNullWindowSystem::captureMouse(epiWindowHandle window)
{
    if (Window* record = findWindow(window))
        record->captured = true;
}

void epiNullWindowSystem::releaseMouse(epiWindowHandle window)
{
    if (Window* record = findWindow(window))
        record->captured = false;
}

void epiNullWindowSystem::setCursor(epiWindowHandle window, epiCursorShape shape)
{
    if (Window* record = findWindow(window))
        record->cursor = shape;
}

// ----- controls -----

epiControlHandle epiNullWindowSystem::createControl(epiWindowHandle window, const epiControlDesc& desc)
{
    if (!findWindow(window))
        return 0;
    epiControlHandle handle = newHandle();
    Control& record = m_controls[handle];
    record.window = window;
    record.desc = desc;
    if (desc.kind == epiControlKind::PopupList) {
        std::stringstream items(desc.text);
        std::string item;
        while (std::getline(items, item, '|'))
            record.items.push_back(item);
        record.value = -1;
    } else {
        record.text = desc.text;
    }
    return handle;
}

void epiNullWindowSystem::destroyControl(epiControlHandle control)
{
    auto found = m_controls.find(control);
    if (found == m_controls.end())
        return;
    if (auto focus = m_focus.find(found->second.window); focus != m_focus.end() && focus->second == control)
        m_focus.erase(focus);
    m_controls.erase(found);
}

void epiNullWindowSystem::moveControl(epiControlHandle control, const epiRect& frame)
{
    if (Control* record = findControl(control))
        record->desc.frame = frame;
}

void epiNullWindowSystem::showControl(epiControlHandle control, bool visible)
{
    if (Control* record = findControl(control))
        record->visible = visible;
}

void epiNullWindowSystem::enableControl(epiControlHandle control, bool enabled)
{
    if (Control* record = findControl(control))
        record->enabled = enabled;
}

void epiNullWindowSystem::setControlText(epiControlHandle control, const std::string& text)
{
    if (Control* record = findControl(control))
        record->text = text;
}

std::string epiNullWindowSystem::controlText(epiControlHandle control) const
{
    const Control* record = this->control(control);
    if (!record)
        return {};
    if (record->desc.kind == epiControlKind::PopupList)
        return record->value >= 0 && record->value < static_cast<int32_t>(record->items.size())
                   ? record->items[record->value]
                   : std::string();
    return record->text;
}

void epiNullWindowSystem::setControlValue(epiControlHandle control, int32_t value)
{
    Control* record = findControl(control);
    if (!record)
        return;
    if (record->desc.kind == epiControlKind::ScrollBar)
        value = std::clamp(value, record->minimum, std::max(record->minimum, record->maximum - record->page));
    if (record->desc.kind == epiControlKind::RadioButton && value != 0) {
        // The other radios of its group go off.
        epiControlHandle group = record->desc.radioGroup ? record->desc.radioGroup : control;
        for (auto& [handle, other] : m_controls)
            if (handle != control && other.desc.kind == epiControlKind::RadioButton &&
                (handle == group || other.desc.radioGroup == group))
                other.value = 0;
    }
    record->value = value;
}

int32_t epiNullWindowSystem::controlValue(epiControlHandle control) const
{
    const Control* record = this->control(control);
    return record ? record->value : 0;
}

void epiNullWindowSystem::setControlRange(epiControlHandle control, int32_t minimum, int32_t maximum, int32_t page)
{
    if (Control* record = findControl(control)) {
        record->minimum = minimum;
        record->maximum = maximum;
        record->page = page;
    }
}

void epiNullWindowSystem::setControlItems(epiControlHandle control, const std::vector<std::string>& items)
{
    if (Control* record = findControl(control)) {
        record->items = items;
        record->value = -1;
    }
}

void epiNullWindowSystem::focusControl(epiControlHandle control)
{
    Control* record = findControl(control);
    if (!record)
        return;
    epiControlHandle previous = focusedControl(record->window);
    if (previous == control)
        return;
    m_focus[record->window] = control;
    if (Control* old = findControl(previous); old && old->desc.listener)
        old->desc.listener->controlEvent(previous, epiControlEvent::FocusOut, 0);
    if (record->desc.listener)
        record->desc.listener->controlEvent(control, epiControlEvent::FocusIn, 0);
}

epiControlHandle epiNullWindowSystem::focusedControl(epiWindowHandle window) const
{
    auto found = m_focus.find(window);
    return found == m_focus.end() ? 0 : found->second;
}

void epiNullWindowSystem::selectControlText(epiControlHandle control)
{
    if (Control* record = findControl(control)) {
        record->selectionStart = 0;
        record->selectionEnd = static_cast<int>(record->text.size());
    }
}

// ----- menus -----

epiMenuHandle epiNullWindowSystem::createMenuBar()
{
    epiMenuHandle handle = newHandle();
    m_menus.create(handle, true);
    return handle;
}

epiMenuHandle epiNullWindowSystem::createPopupMenu()
{
    epiMenuHandle handle = newHandle();
    m_menus.create(handle, false);
    return handle;
}

void epiNullWindowSystem::appendMenuItem(epiMenuHandle menu, const std::string& label, int identifier,
                                         const Accelerator& accelerator)
{
    m_menus.appendItem(menu, label, identifier, accelerator);
}

void epiNullWindowSystem::appendSeparator(epiMenuHandle menu)
{
    m_menus.appendSeparator(menu);
}

void epiNullWindowSystem::appendSubmenu(epiMenuHandle menu, const std::string& label, epiMenuHandle submenu)
{
    m_menus.appendSubmenu(menu, label, submenu);
}

void epiNullWindowSystem::destroyMenu(epiMenuHandle menu)
{
    if (!m_menus.destroy(menu))
        return;
    for (auto& [handle, record] : m_windows)
        if (record.menuBar == menu)
            record.menuBar = 0;
}

void epiNullWindowSystem::setWindowMenuBar(epiWindowHandle window, epiMenuHandle menuBar)
{
    if (Window* record = findWindow(window))
        record->menuBar = menuBar;
}

int epiNullWindowSystem::trackPopupMenu(epiWindowHandle, epiMenuHandle menu, epiPoint)
{
    int choice = m_nextPopupChoice;
    m_nextPopupChoice = 0;
    return m_menus.find(menu) ? choice : 0;
}

// ----- dialogs and clipboard -----

bool epiNullWindowSystem::chooseFile(epiWindowHandle, bool save, std::string& path)
{
    m_lastProposal = save ? path : std::string();
    if (m_nextFile.empty())
        return false;
    path = m_nextFile;
    m_nextFile.clear();
    return true;
}

void epiNullWindowSystem::setClipboardText(const std::string& text)
{
    m_clipboard = text;
    m_hasClipboard = true;
}

bool epiNullWindowSystem::clipboardText(std::string& text)
{
    if (!m_hasClipboard)
        return false;
    text = m_clipboard;
    return true;
}

// ----- loop -----

bool epiNullWindowSystem::eventsPending()
{
    if (!m_events.empty())
        return true;
    return std::any_of(m_windows.begin(), m_windows.end(), [](const auto& entry) {
        return entry.second.visible && !entry.second.dirty.isEmpty();
    });
}

bool epiNullWindowSystem::paintOne()
{
    for (auto& [handle, record] : m_windows) {
        if (!record.visible || record.dirty.isEmpty())
            continue;
        epiRect rect = record.dirty;
        record.dirty = {};
        if (record.listener)
            record.listener->windowPaint(rect);
        // The window may be gone after its paint hook; look it up again.
        Window* still = findWindow(handle);
        if (still && still->bitmap) {
            const epiBitmap& source = *still->bitmap;
            if (still->shown.width() != source.width() || still->shown.height() != source.height())
                still->shown.create(source.width(), source.height());
            still->shown.copyFrom(source, rect, {rect.left, rect.top}, still->shown.bounds());
        }
        return true;
    }
    return false;
}

bool epiNullWindowSystem::dispatchOneEvent()
{
    if (!m_events.empty()) {
        std::function<void()> event = std::move(m_events.front());
        m_events.pop_front();
        event();
        return true;
    }
    return paintOne();
}

void epiNullWindowSystem::waitForEvents(double seconds)
{
    if (eventsPending() || seconds <= 0)
        return;
    std::unique_lock<std::mutex> lock(m_wakeMutex);
    m_wake.wait_for(lock, std::chrono::duration<double>(seconds), [this] { return m_woken; });
    m_woken = false;
}

void epiNullWindowSystem::wakeUp()
{
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        m_woken = true;
    }
    m_wake.notify_all();
}

void epiNullWindowSystem::flush()
{
    while (dispatchOneEvent()) {
    }
}

// ----- injected input -----

void epiNullWindowSystem::queue(std::function<void()> event)
{
    m_events.push_back(std::move(event));
}

void epiNullWindowSystem::mouseDown(epiWindowHandle window, epiPoint at, epiMouseButton button)
{
    queue([this, window, at, button] {
        Window* record = findWindow(window);
        if (!record || !record->enabled || !record->listener)
            return;
        m_foreground = window;
        epiMouseEvent event;
        event.action = epiMouseAction::Down;
        event.button = button;
        event.point = at;
        event.buttons = epiMouseEvent::maskOf(button);
        record->listener->windowMouse(event);
    });
}

void epiNullWindowSystem::mouseMove(epiWindowHandle window, epiPoint at)
{
    queue([this, window, at] {
        Window* record = findWindow(window);
        if (!record || !record->enabled || !record->listener)
            return;
        epiMouseEvent event;
        event.action = epiMouseAction::Move;
        event.point = at;
        event.buttons = record->captured ? epiMouseEvent::kLeft : 0;
        record->listener->windowMouse(event);
    });
}

void epiNullWindowSystem::mouseUp(epiWindowHandle window, epiPoint at, epiMouseButton button)
{
    queue([this, window, at, button] {
        Window* record = findWindow(window);
        if (!record || !record->enabled || !record->listener)
            return;
        epiMouseEvent event;
        event.action = epiMouseAction::Up;
        event.button = button;
        event.point = at;
        record->listener->windowMouse(event);
    });
}

void epiNullWindowSystem::wheel(epiWindowHandle window, epiPoint at, int steps)
{
    queue([this, window, at, steps] {
        Window* record = findWindow(window);
        if (!record || !record->enabled || !record->listener)
            return;
        epiMouseEvent event;
        event.action = epiMouseAction::Wheel;
        event.point = at;
        event.wheelSteps = steps;
        record->listener->windowMouse(event);
    });
}

void epiNullWindowSystem::key(const epiKeyEvent& event)
{
    queue([this, event] {
        Window* record = findWindow(m_foreground);
        if (!record || !record->enabled || !record->listener)
            return;
        epiKeyEvent delivered = event;
        delivered.focusedControl = focusedControl(m_foreground);
        bool taken = record->listener->windowKey(delivered);
        // Not taken by the window: a focused edit field gets the typed character.
        Control* focused = findControl(delivered.focusedControl);
        if (!taken && focused && delivered.down && delivered.character >= 32 &&
            focused->desc.kind == epiControlKind::EditField && !focused->desc.readOnly && !delivered.control)
            deliverText(*focused, delivered.focusedControl, std::string(1, static_cast<char>(delivered.character)));
    });
}

void epiNullWindowSystem::pressKey(epiPlatformKey platformKey, int scanCode, bool repeat)
{
    epiKeyEvent event;
    event.down = true;
    event.repeat = repeat;
    event.key = platformKey;
    event.scanCode = scanCode;
    key(event);
}

void epiNullWindowSystem::releaseKey(int scanCode)
{
    epiKeyEvent event;
    event.down = false;
    event.scanCode = scanCode;
    key(event);
}

void epiNullWindowSystem::typeText(const std::string& text, bool control)
{
    for (unsigned char c : text) {
        epiKeyEvent event;
        event.character = c;
        event.virtualKey = (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
        event.control = control;
        event.scanCode = c; // one scan code per character is enough for the table
        event.down = true;
        key(event);
        event.down = false;
        key(event);
    }
}

void epiNullWindowSystem::deliverText(Control& control, epiControlHandle handle, const std::string& text)
{
    std::string inserted = text;
    int position = static_cast<int>(control.text.size());
    if (control.selectionEnd > control.selectionStart) {
        // Typing replaces the selection.
        control.text.erase(control.selectionStart, control.selectionEnd - control.selectionStart);
        position = control.selectionStart;
        control.selectionStart = control.selectionEnd = 0;
    }
    if (control.desc.listener)
        control.desc.listener->controlFilterText(handle, control.text, position, inserted);
    if (inserted.empty())
        return;
    control.text.insert(static_cast<size_t>(position), inserted);
    if (control.desc.listener)
        control.desc.listener->controlEvent(handle, epiControlEvent::TextChanged, 0);
}

void epiNullWindowSystem::sizeWindow(epiWindowHandle window, int32_t width, int32_t height)
{
    queue([this, window, width, height] {
        Window* record = findWindow(window);
        if (!record || !record->listener)
            return;
        int32_t w = width, h = height;
        record->listener->windowSizing(w, h);
        record->client.setSize(w, h);
        record->listener->windowResized(w, h);
    });
}

void epiNullWindowSystem::requestClose(epiWindowHandle window)
{
    queue([this, window] {
        if (Window* record = findWindow(window); record && record->enabled && record->listener)
            record->listener->windowCloseRequested();
    });
}

void epiNullWindowSystem::activate(epiWindowHandle window)
{
    queue([this, window] {
        // Window 0: the focus goes to another program.
        if ((window && !findWindow(window)) || window == m_foreground)
            return;
        epiWindowHandle previous = m_foreground;
        m_foreground = window;
        if (Window* old = findWindow(previous); old && old->listener)
            old->listener->windowActivated(false);
        if (Window* current = findWindow(window); current && current->listener)
            current->listener->windowActivated(true);
    });
}

void epiNullWindowSystem::chooseMenuItem(epiWindowHandle window, int identifier)
{
    queue([this, window, identifier] {
        if (Window* record = findWindow(window); record && record->enabled && record->listener && record->menuBar)
            record->listener->windowMenuCommand(identifier);
    });
}

void epiNullWindowSystem::clickControl(epiControlHandle control)
{
    queue([this, control] {
        Control* record = findControl(control);
        Window* window = record ? findWindow(record->window) : nullptr;
        if (!record || !window || !window->enabled || !record->enabled || !record->visible)
            return;
        epiControlEvent event = epiControlEvent::Clicked;
        switch (record->desc.kind) {
        case epiControlKind::CheckBox:
            record->value = record->value ? 0 : 1;
            event = epiControlEvent::Toggled;
            break;
        case epiControlKind::RadioButton:
            setControlValue(control, 1);
            event = epiControlEvent::Toggled;
            break;
        default: break;
        }
        if (record->desc.listener)
            record->desc.listener->controlEvent(control, event, record->value);
    });
}

void epiNullWindowSystem::selectItem(epiControlHandle control, int index)
{
    queue([this, control, index] {
        Control* record = findControl(control);
        if (!record || !record->enabled || index < -1 || index >= static_cast<int>(record->items.size()))
            return;
        record->value = index;
        if (record->desc.listener)
            record->desc.listener->controlEvent(control, epiControlEvent::SelectionChanged, index);
    });
}

void epiNullWindowSystem::dropFiles(epiWindowHandle window, const std::vector<std::string>& paths, epiPoint at)
{
    queue([this, window, paths, at] {
        if (Window* record = findWindow(window); record && record->style.acceptsDrops && record->listener)
            record->listener->windowFilesDropped(paths, at);
    });
}

std::vector<epiControlHandle> epiNullWindowSystem::controlsOf(epiWindowHandle window) const
{
    std::vector<epiControlHandle> handles;
    for (const auto& [handle, record] : m_controls)
        if (record.window == window)
            handles.push_back(handle);
    return handles;
}
