// GDK events of a window, turned into the toolkit's window events.
#include "ui/epiBitmap.h"
#include "ui/gtk/epiGtkWindowSystem.h"

#include <gdk/gdkkeysyms.h>

namespace {

using Window = epiGtkWindowSystem::Window;

int buttonsOf(guint state)
{
    int buttons = 0;
    if (state & GDK_BUTTON1_MASK)
        buttons |= epiMouseEvent::kLeft;
    if (state & GDK_BUTTON2_MASK)
        buttons |= epiMouseEvent::kMiddle;
    if (state & GDK_BUTTON3_MASK)
        buttons |= epiMouseEvent::kRight;
    return buttons;
}

epiMouseButton buttonOf(guint button)
{
    switch (button) {
    case 1: return epiMouseButton::Left;
    case 2: return epiMouseButton::Middle;
    case 3: return epiMouseButton::Right;
    default: return epiMouseButton::None;
    }
}

gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data)
{
    auto* record = static_cast<Window*>(data);
    if (record->listener && record->enabled)
        record->listener->windowCloseRequested();
    return TRUE; // the toolkit destroys the window itself when it closes
}

gboolean onDraw(GtkWidget*, cairo_t* cr, gpointer data)
{
    auto* record = static_cast<Window*>(data);
    double x1, y1, x2, y2;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    epiRect rect(static_cast<int32_t>(x1), static_cast<int32_t>(y1), static_cast<int32_t>(x2 + 0.999),
                 static_cast<int32_t>(y2 + 0.999));
    epiWindowHandle handle = record->handle;
    epiGtkWindowSystem* system = record->system;
    if (record->listener)
        record->listener->windowPaint(rect);
    // The paint hook may have closed the window.
    record = system->findWindow(handle);
    if (!record || !record->bitmap || record->bitmap->isEmpty())
        return TRUE;
    const epiBitmap& bitmap = *record->bitmap;
    // The bitmap's pixels are 0xAARRGGBB words, as Cairo's; RGB24 ignores the (unpremultiplied)
    // alpha, so every pixel shows opaque.
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(bitmap.pixels())), CAIRO_FORMAT_RGB24,
        bitmap.pixelWidth(), bitmap.pixelHeight(), bitmap.pixelWidth() * 4);
    // A bitmap drawn at the screen's scale maps its pixels one to one onto the device's.
    cairo_surface_set_device_scale(surface, bitmap.scale(), bitmap.scale());
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(surface);
    return TRUE;
}

void onSizeAllocate(GtkWidget*, GdkRectangle* allocation, gpointer data)
{
    auto* record = static_cast<Window*>(data);
    if (allocation->width == record->client.width() && allocation->height == record->client.height())
        return;
    record->client.setSize(allocation->width, allocation->height);
    if (record->listener)
        record->listener->windowResized(allocation->width, allocation->height);
}

gboolean onConfigure(GtkWidget*, GdkEventConfigure*, gpointer data)
{
    auto* record = static_cast<Window*>(data);
    GdkWindow* surface = gtk_widget_get_window(record->area);
    if (!surface)
        return FALSE;
    int x = 0, y = 0;
    gdk_window_get_origin(surface, &x, &y);
    if (x != record->client.left || y != record->client.top) {
        record->client.moveTo(x, y);
        if (record->listener)
            record->listener->windowMoved({x, y});
    }
    return FALSE;
}

void onActive(GObject*, GParamSpec*, gpointer data)
{
    auto* record = static_cast<Window*>(data);
    bool active = gtk_window_is_active(GTK_WINDOW(record->window));
    if (active == record->active)
        return;
    record->active = active;
    if (record->listener)
        record->listener->windowActivated(active);
}

// A mouse event at (x, y) with the buttons and modifiers of a GDK state.
epiMouseEvent mouseEvent(epiMouseAction action, gdouble x, gdouble y, guint state)
{
    epiMouseEvent mouse;
    mouse.action = action;
    mouse.point = {static_cast<int32_t>(x), static_cast<int32_t>(y)};
    mouse.buttons = buttonsOf(state);
    mouse.shift = state & GDK_SHIFT_MASK;
    mouse.control = state & GDK_CONTROL_MASK;
    return mouse;
}

gboolean onButton(GtkWidget* widget, GdkEventButton* event, gpointer data)
{
    auto* record = static_cast<Window*>(data);
    if (event->type != GDK_BUTTON_PRESS && event->type != GDK_BUTTON_RELEASE)
        return TRUE; // double and triple clicks arrive as their single presses too
    if (!record->listener || !record->enabled)
        return TRUE;
    if (event->type == GDK_BUTTON_PRESS)
        gtk_widget_grab_focus(widget);
    bool down = event->type == GDK_BUTTON_PRESS;
    epiMouseEvent mouse =
        mouseEvent(down ? epiMouseAction::Down : epiMouseAction::Up, event->x, event->y, event->state);
    mouse.button = buttonOf(event->button);
    // The state holds the buttons before the event.
    if (down)
        mouse.buttons |= epiMouseEvent::maskOf(mouse.button);
    else
        mouse.buttons &= ~epiMouseEvent::maskOf(mouse.button);
    record->listener->windowMouse(mouse);
    return TRUE;
}

gboolean onMotion(GtkWidget*, GdkEventMotion* event, gpointer data)
{
    auto* record = static_cast<Window*>(data);
    if (!record->listener || !record->enabled)
        return TRUE;
    record->listener->windowMouse(mouseEvent(epiMouseAction::Move, event->x, event->y, event->state));
    return TRUE;
}

gboolean onScroll(GtkWidget*, GdkEventScroll* event, gpointer data)
{
    auto* record = static_cast<Window*>(data);
    if (!record->listener || !record->enabled)
        return TRUE;
    int steps = event->direction == GDK_SCROLL_UP ? 1 : event->direction == GDK_SCROLL_DOWN ? -1 : 0;
    if (steps == 0)
        return TRUE;
    epiMouseEvent mouse = mouseEvent(epiMouseAction::Wheel, event->x, event->y, event->state);
    mouse.wheelSteps = steps;
    record->listener->windowMouse(mouse);
    return TRUE;
}

epiPlatformKey platformKey(guint keyval)
{
    switch (keyval) {
    case GDK_KEY_Page_Up: case GDK_KEY_KP_Page_Up: return epiPlatformKey::PageUp;
    case GDK_KEY_Page_Down: case GDK_KEY_KP_Page_Down: return epiPlatformKey::PageDown;
    case GDK_KEY_Home: case GDK_KEY_KP_Home: return epiPlatformKey::Home;
    case GDK_KEY_End: case GDK_KEY_KP_End: return epiPlatformKey::End;
    case GDK_KEY_Left: case GDK_KEY_KP_Left: return epiPlatformKey::Left;
    case GDK_KEY_Right: case GDK_KEY_KP_Right: return epiPlatformKey::Right;
    case GDK_KEY_Up: case GDK_KEY_KP_Up: return epiPlatformKey::Up;
    case GDK_KEY_Down: case GDK_KEY_KP_Down: return epiPlatformKey::Down;
    case GDK_KEY_Delete: case GDK_KEY_KP_Delete: return epiPlatformKey::Delete;
    default: return epiPlatformKey::None;
    }
}

gboolean onKey(GtkWidget*, GdkEventKey* event, gpointer data)
{
    auto* record = static_cast<Window*>(data);
    if (!record->listener || !record->enabled)
        return FALSE;
    epiKeyEvent key;
    key.down = event->type == GDK_KEY_PRESS;
    key.scanCode = event->hardware_keycode & 0xFF;
    std::set<int>& held = record->system->keysDown();
    if (key.down) {
        key.repeat = !held.insert(key.scanCode).second;
    } else {
        held.erase(key.scanCode);
    }
    key.key = platformKey(event->keyval);
    guint keyval = event->keyval == GDK_KEY_ISO_Left_Tab ? GDK_KEY_Tab : event->keyval;
    key.character = key.key == epiPlatformKey::None ? gdk_keyval_to_unicode(keyval) : 0;
    guint upper = gdk_keyval_to_upper(keyval);
    key.virtualKey = upper < 128 ? upper : key.character;
    key.shift = event->state & GDK_SHIFT_MASK;
    key.control = event->state & GDK_CONTROL_MASK;
    key.alt = event->state & GDK_MOD1_MASK;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(record->window));
    if (epiGtkWindowSystem::Control* control = focus ? record->system->controlOfWidget(focus) : nullptr)
        key.focusedControl = control->handle;
    return record->listener->windowKey(key) ? TRUE : FALSE;
}

void onDragReceived(GtkWidget*, GdkDragContext* context, gint x, gint y, GtkSelectionData* data, guint, guint time,
                    gpointer user)
{
    auto* record = static_cast<Window*>(user);
    std::vector<std::string> paths;
    if (gchar** uris = gtk_selection_data_get_uris(data)) {
        for (gchar** uri = uris; *uri; ++uri) {
            if (gchar* file = g_filename_from_uri(*uri, nullptr, nullptr)) {
                paths.emplace_back(file);
                g_free(file);
            }
        }
        g_strfreev(uris);
    }
    gtk_drag_finish(context, !paths.empty(), FALSE, time);
    if (!paths.empty() && record->listener)
        record->listener->windowFilesDropped(paths, {x, y});
}

} // namespace

void epiGtkConnectWindowSignals(Window& record)
{
    g_signal_connect(record.window, "delete-event", G_CALLBACK(onDelete), &record);
    g_signal_connect(record.window, "configure-event", G_CALLBACK(onConfigure), &record);
    g_signal_connect(record.window, "notify::is-active", G_CALLBACK(onActive), &record);
    g_signal_connect(record.window, "key-press-event", G_CALLBACK(onKey), &record);
    g_signal_connect(record.window, "key-release-event", G_CALLBACK(onKey), &record);
    g_signal_connect(record.area, "draw", G_CALLBACK(onDraw), &record);
    g_signal_connect(record.area, "size-allocate", G_CALLBACK(onSizeAllocate), &record);
    g_signal_connect(record.area, "button-press-event", G_CALLBACK(onButton), &record);
    g_signal_connect(record.area, "button-release-event", G_CALLBACK(onButton), &record);
    g_signal_connect(record.area, "motion-notify-event", G_CALLBACK(onMotion), &record);
    g_signal_connect(record.area, "scroll-event", G_CALLBACK(onScroll), &record);
    g_signal_connect(record.area, "drag-data-received", G_CALLBACK(onDragReceived), &record);
}

void epiGtkDisconnectWindowSignals(Window& record)
{
    g_signal_handlers_disconnect_by_data(record.window, &record);
    g_signal_handlers_disconnect_by_data(record.area, &record);
}
