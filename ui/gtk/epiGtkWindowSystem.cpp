#include "ui/gtk/epiGtkWindowSystem.h"

#include "ui/epiBitmap.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {
constexpr int DisplayAttempts = 10;
}

std::unique_ptr<epiWindowSystem> epiMakeGtkWindowSystem()
{
    return epiGtkWindowSystem::create();
}

std::unique_ptr<epiGtkWindowSystem> epiGtkWindowSystem::create()
{
    // A display server that is named but momentarily refuses connections (a busy X server's full
    // listen queue) gets a few more tries before the program gives up on it.
    const bool named = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    for (int attempt = 0; !gtk_init_check(nullptr, nullptr); ++attempt) {
        if (!named || attempt == DisplayAttempts - 1)
            return nullptr;
        std::fprintf(stderr, "The display refused the connection; trying again\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    // A HiDPI screen (GDK_SCALE, or the desktop's scaling setting) gets windows drawn at its
    // scale with the skin's sharper images.
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (!monitor && display && gdk_display_get_n_monitors(display) > 0)
        monitor = gdk_display_get_monitor(display, 0);
    epiSetDisplayScale(monitor ? gdk_monitor_get_scale_factor(monitor) : 1);
    return std::unique_ptr<epiGtkWindowSystem>(new epiGtkWindowSystem);
}

epiGtkWindowSystem::~epiGtkWindowSystem()
{
    while (!m_windows.empty())
        destroyWindow(m_windows.begin()->first);
    // Let GTK finish the destruction it queued.
    while (g_main_context_pending(nullptr))
        g_main_context_iteration(nullptr, FALSE);
}

epiGtkWindowSystem::Window* epiGtkWindowSystem::findWindow(epiWindowHandle window) const
{
    auto found = m_windows.find(window);
    return found == m_windows.end() ? nullptr : found->second.get();
}

epiGtkWindowSystem::Control* epiGtkWindowSystem::findControl(epiControlHandle control) const
{
    auto found = m_controls.find(control);
    return found == m_controls.end() ? nullptr : found->second.get();
}

epiGtkWindowSystem::Control* epiGtkWindowSystem::controlOfWidget(GtkWidget* widget) const
{
    for (GtkWidget* level = widget; level; level = gtk_widget_get_parent(level))
        for (const auto& [handle, record] : m_controls)
            if (record->widget == level || record->inner == level)
                return record.get();
    return nullptr;
}

// ----- windows -----

epiWindowHandle epiGtkWindowSystem::createWindow(epiWindowListener* listener, const epiWindowStyle& style,
                                                 const epiRect& client, const std::string& title)
{
    auto record = std::make_unique<Window>();
    record->system = this;
    record->handle = newHandle();
    record->listener = listener;
    record->style = style;
    record->client = client;

    bool popup = style.plain || style.frameOnly;
    record->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(record->window), title.c_str());
    gtk_window_set_decorated(GTK_WINDOW(record->window), !style.plain);
    if (style.frameOnly)
        gtk_window_set_type_hint(GTK_WINDOW(record->window), GDK_WINDOW_TYPE_HINT_UTILITY);
    gtk_window_set_deletable(GTK_WINDOW(record->window), style.closeBox && !popup);
    gtk_window_set_resizable(GTK_WINDOW(record->window), style.resizable && !style.plain);
    if (Window* owner = findWindow(style.owner ? style.owner : style.parent))
        gtk_window_set_transient_for(GTK_WINDOW(record->window), GTK_WINDOW(owner->window));
    gtk_window_move(GTK_WINDOW(record->window), client.left, client.top);

    record->box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    GtkWidget* overlay = gtk_overlay_new();
    record->area = gtk_drawing_area_new();
    gtk_widget_set_can_focus(record->area, TRUE);
    gtk_widget_add_events(record->area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                            GDK_SCROLL_MASK | GDK_FOCUS_CHANGE_MASK);
    gtk_widget_set_size_request(record->area, std::max(1, client.width()), std::max(1, client.height()));
    record->fixed = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(overlay), record->area);
    gtk_overlay_add_overlay(GTK_OVERLAY(overlay), record->fixed);
    // The controls' layer lets clicks outside the controls through to the drawing area.
    gtk_overlay_set_overlay_pass_through(GTK_OVERLAY(overlay), record->fixed, TRUE);
    gtk_box_pack_end(GTK_BOX(record->box), overlay, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(record->window), record->box);
    gtk_window_set_default_size(GTK_WINDOW(record->window), std::max(1, client.width()),
                                std::max(1, client.height()));

    if (style.acceptsDrops) {
        static GtkTargetEntry uriList = {const_cast<gchar*>("text/uri-list"), 0, 0};
        gtk_drag_dest_set(record->area, GTK_DEST_DEFAULT_ALL, &uriList, 1, GDK_ACTION_COPY);
    }
    if (style.maximised)
        gtk_window_maximize(GTK_WINDOW(record->window));

    epiGtkConnectWindowSignals(*record);
    gtk_widget_show_all(record->box);
    epiWindowHandle handle = record->handle;
    Window& stored = *record;
    m_windows[handle] = std::move(record);
    updateSizeLimits(stored);
    return handle;
}

void epiGtkWindowSystem::updateSizeLimits(Window& record)
{
    if (!record.listener)
        return;
    // The smallest and largest client sizes the window accepts.
    int32_t minWidth = 1, minHeight = 1;
    record.listener->windowSizing(minWidth, minHeight);
    int32_t maxWidth = 1 << 15, maxHeight = 1 << 15;
    record.listener->windowSizing(maxWidth, maxHeight);
    gtk_widget_set_size_request(record.area, std::max(1, minWidth), std::max(1, minHeight));
    int extraHeight = 0;
    if (record.menuBar)
        gtk_widget_get_preferred_height(record.menuBar, nullptr, &extraHeight);
    GdkGeometry hints{};
    hints.min_width = std::max(1, minWidth);
    hints.min_height = std::max(1, minHeight) + extraHeight;
    hints.max_width = maxWidth;
    hints.max_height = maxHeight + extraHeight;
    gtk_window_set_geometry_hints(GTK_WINDOW(record.window), nullptr, &hints,
                                  static_cast<GdkWindowHints>(GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE));
}

void epiGtkWindowSystem::destroyWindow(epiWindowHandle window)
{
    auto found = m_windows.find(window);
    if (found == m_windows.end())
        return;
    // Destroying the widgets emits signals (focus changes): every handler is cut first, and the
    // records go only after the widgets.
    for (auto& [handle, control] : m_controls)
        if (control->window == window)
            epiGtkDisconnectControlSignals(*control);
    std::unique_ptr<Window> record = std::move(found->second);
    m_windows.erase(found);
    record->listener = nullptr;
    epiGtkDisconnectWindowSignals(*record);
    gtk_widget_destroy(record->window);
    for (auto control = m_controls.begin(); control != m_controls.end();)
        control = control->second->window == window ? m_controls.erase(control) : std::next(control);
}

void epiGtkWindowSystem::showWindow(epiWindowHandle window, bool visible)
{
    Window* record = findWindow(window);
    if (!record)
        return;
    if (visible) {
        gtk_widget_show(record->window);
        gtk_window_present(GTK_WINDOW(record->window));
    } else {
        gtk_widget_hide(record->window);
    }
}

bool epiGtkWindowSystem::isWindowVisible(epiWindowHandle window) const
{
    Window* record = findWindow(window);
    return record && gtk_widget_get_visible(record->window);
}

void epiGtkWindowSystem::setWindowTitle(epiWindowHandle window, const std::string& title)
{
    if (Window* record = findWindow(window))
        gtk_window_set_title(GTK_WINDOW(record->window), title.c_str());
}

void epiGtkWindowSystem::setWindowClient(epiWindowHandle window, const epiRect& client)
{
    Window* record = findWindow(window);
    if (!record)
        return;
    bool resized = client.width() != record->client.width() || client.height() != record->client.height();
    record->client = client;
    gtk_window_move(GTK_WINDOW(record->window), client.left, client.top);
    if (resized) {
        updateSizeLimits(*record);
        int extraHeight = 0;
        if (record->menuBar)
            gtk_widget_get_preferred_height(record->menuBar, nullptr, &extraHeight);
        gtk_window_resize(GTK_WINDOW(record->window), std::max(1, client.width()),
                          std::max(1, client.height()) + extraHeight);
    }
}

epiRect epiGtkWindowSystem::windowClient(epiWindowHandle window) const
{
    Window* record = findWindow(window);
    return record ? record->client : epiRect();
}

void epiGtkWindowSystem::enableWindow(epiWindowHandle window, bool enabled)
{
    if (Window* record = findWindow(window)) {
        record->enabled = enabled;
        gtk_widget_set_sensitive(record->box, enabled);
    }
}

bool epiGtkWindowSystem::isWindowEnabled(epiWindowHandle window) const
{
    Window* record = findWindow(window);
    return record && record->enabled;
}

void epiGtkWindowSystem::bringToFront(epiWindowHandle window)
{
    if (Window* record = findWindow(window))
        gtk_window_present(GTK_WINDOW(record->window));
}

epiWindowHandle epiGtkWindowSystem::foregroundWindow() const
{
    for (const auto& [handle, record] : m_windows)
        if (gtk_window_is_active(GTK_WINDOW(record->window)))
            return handle;
    return 0;
}

epiRect epiGtkWindowSystem::desktopRect() const
{
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (!monitor && display)
        monitor = gdk_display_get_monitor(display, 0);
    if (!monitor)
        return {0, 0, 1280, 1024};
    GdkRectangle area;
    gdk_monitor_get_workarea(monitor, &area);
    return epiRect::fromSize(area.x, area.y, area.width, area.height);
}

void epiGtkWindowSystem::setWindowBitmap(epiWindowHandle window, const epiBitmap* bitmap)
{
    if (Window* record = findWindow(window)) {
        record->bitmap = bitmap;
        gtk_widget_queue_draw(record->area);
    }
}

void epiGtkWindowSystem::invalidate(epiWindowHandle window, const epiRect& rect)
{
    Window* record = findWindow(window);
    if (record && !rect.isEmpty())
        gtk_widget_queue_draw_area(record->area, rect.left, rect.top, rect.width(), rect.height());
}

// GTK grabs the pointer for the window that got a button press until the release (the implicit
// grab), which is the mouse capture the toolkit asks for.
void epiGtkWindowSystem::captureMouse(epiWindowHandle) {}
void epiGtkWindowSystem::releaseMouse(epiWindowHandle) {}

void epiGtkWindowSystem::setCursor(epiWindowHandle window, epiCursorShape shape)
{
    Window* record = findWindow(window);
    if (!record || !gtk_widget_get_realized(record->area))
        return;
    static const char* const kNames[] = {"default", "wait", "pointer", "text", "crosshair",
                                         "ew-resize", "ns-resize", "move", "none"};
    GdkDisplay* display = gtk_widget_get_display(record->area);
    GdkCursor* cursor = gdk_cursor_new_from_name(display, kNames[static_cast<int>(shape)]);
    gdk_window_set_cursor(gtk_widget_get_window(record->area), cursor);
    if (cursor)
        g_object_unref(cursor);
    record->cursor = shape;
}

// ----- dialogs and clipboard -----

bool epiGtkWindowSystem::chooseFile(epiWindowHandle owner, bool save, std::string& path)
{
    Window* parent = findWindow(owner);
    GtkFileChooserNative* chooser = gtk_file_chooser_native_new(
        nullptr, parent ? GTK_WINDOW(parent->window) : nullptr,
        save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, nullptr, nullptr);
    if (save) {
        gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser), TRUE);
        if (!path.empty())
            gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), path.c_str());
    }
    bool chosen = false;
    if (gtk_native_dialog_run(GTK_NATIVE_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        if (gchar* file = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser))) {
            path = file;
            chosen = path.size() <= 4096;
            g_free(file);
        }
    }
    g_object_unref(chooser);
    return chosen;
}

void epiGtkWindowSystem::setClipboardText(const std::string& text)
{
    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    gtk_clipboard_set_text(clipboard, text.c_str(), static_cast<gint>(text.size()));
    gtk_clipboard_store(clipboard);
}

bool epiGtkWindowSystem::clipboardText(std::string& text)
{
    gchar* value = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    if (!value)
        return false;
    text = value;
    g_free(value);
    return true;
}

// ----- loop -----

bool epiGtkWindowSystem::eventsPending()
{
    return g_main_context_pending(nullptr);
}

bool epiGtkWindowSystem::dispatchOneEvent()
{
    if (!g_main_context_pending(nullptr))
        return false;
    g_main_context_iteration(nullptr, FALSE);
    return true;
}

void epiGtkWindowSystem::waitForEvents(double seconds)
{
    if (seconds <= 0 || g_main_context_pending(nullptr))
        return;
    // The context's own poll sleeps until a source is ready; the timeout source bounds it.
    guint milliseconds = static_cast<guint>(std::ceil(seconds * 1000.0));
    GSource* deadline = g_timeout_source_new(milliseconds);
    g_source_set_callback(deadline, [](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr, nullptr);
    g_source_attach(deadline, nullptr);
    g_main_context_iteration(nullptr, TRUE);
    g_source_destroy(deadline);
    g_source_unref(deadline);
}

void epiGtkWindowSystem::wakeUp()
{
    g_main_context_wakeup(nullptr);
}
