#include "ui/epiMenuRecords.h"

void epiMenuRecords::appendItem(epiMenuHandle menu, const std::string& label, int identifier,
                                const epiWindowSystem::Accelerator& accelerator)
{
    if (auto found = m_menus.find(menu); found != m_menus.end())
        found->second.items.push_back({label, identifier, accelerator, 0, false});
}

void epiMenuRecords::appendSeparator(epiMenuHandle menu)
{
    if (auto found = m_menus.find(menu); found != m_menus.end())
        found->second.items.push_back({{}, 0, {}, 0, true});
}

void epiMenuRecords::appendSubmenu(epiMenuHandle menu, const std::string& label, epiMenuHandle submenu)
{
    if (auto found = m_menus.find(menu); found != m_menus.end())
        found->second.items.push_back({label, 0, {}, submenu, false});
}

bool epiMenuRecords::destroy(epiMenuHandle menu)
{
    auto found = m_menus.find(menu);
    if (found == m_menus.end())
        return false;
    std::vector<Item> items = std::move(found->second.items);
    m_menus.erase(found);
    for (const Item& item : items)
        if (item.submenu)
            destroy(item.submenu);
    return true;
}

const epiMenuRecords::Menu* epiMenuRecords::find(epiMenuHandle menu) const
{
    auto found = m_menus.find(menu);
    return found == m_menus.end() ? nullptr : &found->second;
}
