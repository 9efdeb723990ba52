#pragma once

#include "ui/epiWindowSystem.h"

#include <map>
#include <string>
#include <vector>

// The menus a window system was asked to build, kept as plain records: the null window system
// shows them to tests, the GTK one builds a GtkMenuBar from them for every window that carries
// the bar.
class epiMenuRecords
{
public:
    struct Item
    {
        std::string label; // with the accelerator after a tab
        int identifier = 0; // 0: separator or sub-menu
        epiWindowSystem::Accelerator accelerator;
        epiMenuHandle submenu = 0;
        bool separator = false;
    };
    struct Menu
    {
        bool bar = false;
        std::vector<Item> items;
    };

    void create(epiMenuHandle handle, bool bar) { m_menus[handle].bar = bar; }
    void appendItem(epiMenuHandle menu, const std::string& label, int identifier,
                    const epiWindowSystem::Accelerator& accelerator);
    void appendSeparator(epiMenuHandle menu);
    void appendSubmenu(epiMenuHandle menu, const std::string& label, epiMenuHandle submenu);
    // Removes the menu and its sub-menus; false when there was no such menu.
    bool destroy(epiMenuHandle menu);
    const Menu* find(epiMenuHandle menu) const;

private:
    std::map<epiMenuHandle, Menu> m_menus;
};
