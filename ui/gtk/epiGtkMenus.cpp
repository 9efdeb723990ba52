// Menus of the GTK window system: the toolkit describes them once; each window that carries the
// bar gets its own GtkMenuBar built from that description.
#include "ui/gtk/epiGtkWindowSystem.h"

#include <gdk/gdkkeysyms.h>

namespace {

struct ItemTarget
{
    epiGtkWindowSystem* system;
    epiWindowHandle window;
    int identifier;
    int* chosen; // popup menus: where the choice goes
};

void onItemActivate(GtkMenuItem*, gpointer data)
{
    auto* target = static_cast<ItemTarget*>(data);
    if (target->chosen) {
        *target->chosen = target->identifier;
        return;
    }
    epiGtkWindowSystem::Window* record = target->system->findWindow(target->window);
    if (record && record->listener && record->enabled)
        record->listener->windowMenuCommand(target->identifier);
}

void freeTarget(gpointer data, GClosure*)
{
    delete static_cast<ItemTarget*>(data);
}

// The label before the tab; the accelerator after it is shown by the accelerator label.
std::string labelOnly(const std::string& label)
{
    return label.substr(0, label.find('\t'));
}

GtkWidget* buildItems(epiGtkWindowSystem& system, const epiMenuRecords& menus, epiMenuHandle menu, GtkWidget* shell,
                      epiWindowHandle window, int* chosen)
{
    const epiMenuRecords::Menu* found = menus.find(menu);
    if (!found)
        return shell;
    for (const epiMenuRecords::Item& item : found->items) {
        GtkWidget* widget;
        if (item.separator) {
            widget = gtk_separator_menu_item_new();
        } else {
            widget = gtk_menu_item_new_with_label(labelOnly(item.label).c_str());
            if (item.submenu) {
                GtkWidget* submenu = buildItems(system, menus, item.submenu, gtk_menu_new(), window, chosen);
                gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), submenu);
            } else {
                if (item.accelerator.key) {
                    auto modifiers = static_cast<GdkModifierType>(
                        GDK_CONTROL_MASK | (item.accelerator.shift ? GDK_SHIFT_MASK : 0) |
                        (item.accelerator.alt ? GDK_MOD1_MASK : 0));
                    GtkWidget* label = gtk_bin_get_child(GTK_BIN(widget));
                    if (GTK_IS_ACCEL_LABEL(label))
                        gtk_accel_label_set_accel(GTK_ACCEL_LABEL(label), gdk_unicode_to_keyval(item.accelerator.key),
                                                  modifiers);
                }
                g_signal_connect_data(widget, "activate", G_CALLBACK(onItemActivate),
                                      new ItemTarget{&system, window, item.identifier, chosen}, freeTarget,
                                      static_cast<GConnectFlags>(0));
            }
        }
        gtk_menu_shell_append(GTK_MENU_SHELL(shell), widget);
    }
    return shell;
}

} // namespace

epiMenuHandle epiGtkWindowSystem::createMenuBar()
{
    epiMenuHandle handle = newHandle();
    m_menus.create(handle, true);
    return handle;
}

epiMenuHandle epiGtkWindowSystem::createPopupMenu()
{
    epiMenuHandle handle = newHandle();
    m_menus.create(handle, false);
    return handle;
}

void epiGtkWindowSystem::appendMenuItem(epiMenuHandle menu, const std::string& label, int identifier,
                                        const Accelerator& accelerator)
{
    m_menus.appendItem(menu, label, identifier, accelerator);
}

void epiGtkWindowSystem::appendSeparator(epiMenuHandle menu)
{
    m_menus.appendSeparator(menu);
}

void epiGtkWindowSystem::appendSubmenu(epiMenuHandle menu, const std::string& label, epiMenuHandle submenu)
{
    m_menus.appendSubmenu(menu, label, submenu);
}

void epiGtkWindowSystem::destroyMenu(epiMenuHandle menu)
{
    m_menus.destroy(menu);
}

GtkWidget* epiGtkWindowSystem::buildMenu(Window& record, epiMenuHandle menu, bool bar)
{
    return buildItems(*this, m_menus, menu, bar ? gtk_menu_bar_new() : gtk_menu_new(), record.handle, nullptr);
}

void epiGtkWindowSystem::setWindowMenuBar(epiWindowHandle window, epiMenuHandle menuBar)
{
    Window* record = findWindow(window);
    if (!record)
        return;
    if (record->menuBar) {
        gtk_widget_destroy(record->menuBar);
        record->menuBar = nullptr;
    }
    if (!m_menus.find(menuBar))
        return;
    record->menuBar = buildMenu(*record, menuBar, true);
    gtk_box_pack_start(GTK_BOX(record->box), record->menuBar, FALSE, FALSE, 0);
    gtk_widget_show_all(record->menuBar);
    // The window grows by the bar; the client area keeps its size.
    int barHeight = 0;
    gtk_widget_get_preferred_height(record->menuBar, nullptr, &barHeight);
    updateSizeLimits(*record);
    gtk_window_resize(GTK_WINDOW(record->window), std::max(1, record->client.width()),
                      std::max(1, record->client.height()) + barHeight);
}

int epiGtkWindowSystem::trackPopupMenu(epiWindowHandle window, epiMenuHandle menu, epiPoint at)
{
    Window* record = findWindow(window);
    if (!record || !m_menus.find(menu) || !gtk_widget_get_realized(record->area))
        return 0;
    int chosen = 0;
    GtkWidget* popup = buildItems(*this, m_menus, menu, gtk_menu_new(), window, &chosen);
    gtk_widget_show_all(popup);
    bool done = false;
    g_signal_connect(popup, "deactivate", G_CALLBACK(+[](GtkMenuShell*, gpointer data) {
                         *static_cast<bool*>(data) = true;
                     }),
                     &done);
    GdkRectangle point{at.x, at.y, 1, 1};
    gtk_menu_popup_at_rect(GTK_MENU(popup), gtk_widget_get_window(record->area), &point, GDK_GRAVITY_NORTH_WEST,
                           GDK_GRAVITY_NORTH_WEST, nullptr);
    // The item's activation follows the menu's deactivation in the same event.
    while (!done)
        g_main_context_iteration(nullptr, TRUE);
    while (g_main_context_pending(nullptr))
        g_main_context_iteration(nullptr, FALSE);
    gtk_widget_destroy(popup);
    return chosen;
}
