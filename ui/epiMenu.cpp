#include "ui/epiMenu.h"

#include "ui/epiApplication.h"
#include "ui/epiResources.h"
#include "ui/epiXmlChunk.h"

namespace {

// At most 999 characters reach the window system, as the native menus took them.
epiText limitLabel(const epiText& label)
{
    return epiText(label.c_str(), std::min<size_t>(label.length(), 999));
}

} // namespace

epiMenu::~epiMenu()
{
    clear();
}

void epiMenu::shutdown()
{
    clear();
    epiApplicationObject::shutdown();
}

void epiMenu::clear()
{
    epiWindowSystem* system = application() ? application()->windowSystem() : nullptr;
    if (m_bar && system)
        system->destroyMenu(m_bar);
    m_bar = 0;
    m_items.clear();
    m_accelerators.clear();
}

bool epiMenu::load(epiCode menuCode)
{
    clear();
    epiApplication* app = application();
    epiWindowSystem* system = app ? app->windowSystem() : nullptr;
    if (system)
        m_bar = system->createMenuBar();
    epiResources* set = app ? app->resources() : nullptr;
    epiText fileName;
    epiText document;
    if (!set || !set->findDocument(epiResources::kMenus, menuCode, fileName) ||
        !set->readResourceText(fileName, epiResources::kMenus, document))
        return false;
    epiXmlChunk root;
    root.parse(document);
    buildList(root.child("epi").child("content").child("menulist"), m_bar, true);
    return true;
}

void epiMenu::buildList(const epiXmlChunk& list, epiMenuHandle menu, bool top)
{
    epiWindowSystem* system = application() ? application()->windowSystem() : nullptr;
    epiXmlChunkEnumerator items(list, "item");
    epiXmlChunk item;
    while (items.next(item)) {
        epiText label = localizeLabel(item.child("text").text());
        epiXmlChunk subList = item.child("menulist");
        if (top) {
            epiMenuHandle dropDown = system ? system->createPopupMenu() : 0;
            buildList(subList, dropDown, false);
            if (system)
                system->appendSubmenu(menu, limitLabel(label).str(), dropDown);
            continue;
        }
        if (item.child("isseparator").text().toInt() == 1) {
            if (system)
                system->appendSeparator(menu);
            continue;
        }
        if (!subList.isEmpty() && !subList.text().isEmpty()) {
            epiMenuHandle subMenu = system ? system->createPopupMenu() : 0;
            buildList(subList, subMenu, false);
            if (system)
                system->appendSubmenu(menu, limitLabel(label).str(), subMenu);
            continue;
        }
        int identifier = kFirstIdentifier + static_cast<int>(m_items.size());
        epiCode code = item.child("name").text().toCode();
        epiWindowSystem::Accelerator accelerator;
        epiXmlChunk shortcut = item.child("shortcut");
        if (!shortcut.isEmpty()) {
            epiXmlChunk ascii = shortcut.child("ascii");
            epiXmlChunk character = shortcut.child("char");
            uint32_t key = 0;
            if (!ascii.isEmpty())
                key = static_cast<uint32_t>(ascii.text().toInt()) & 0xFF;
            else if (!character.isEmpty() && !character.text().isEmpty())
                key = static_cast<unsigned char>(character.text().str()[0]);
            if (key >= 'a' && key <= 'z')
                key = key - 'a' + 'A';
            if (key != 0) {
                epiXmlChunk modifiers = shortcut.child("modifiers");
                accelerator.key = key;
                accelerator.shift = modifiers.child("shift").text().toInt() == 1;
                accelerator.alt = modifiers.child("option").text().toInt() == 1;
                label.append("\tCtrl+");
                if (accelerator.shift)
                    label.append("Shift+");
                if (accelerator.alt)
                    label.append("Alt+");
                label.appendChar(static_cast<char>(key));
                m_accelerators.push_back({key, accelerator.shift, accelerator.alt, identifier});
            }
        }
        m_items.push_back({identifier, code, label});
        if (system)
            system->appendMenuItem(menu, limitLabel(label).str(), identifier, accelerator);
    }
}

epiCode epiMenu::commandForIdentifier(int identifier) const
{
    for (const Item& item : m_items)
        if (item.identifier == identifier)
            return item.code;
    return 0;
}

int epiMenu::acceleratorCommand(uint32_t key, bool shift, bool alt) const
{
    if (key >= 'a' && key <= 'z')
        key = key - 'a' + 'A';
    for (const Accelerator& accelerator : m_accelerators)
        if (accelerator.key == key && accelerator.shift == shift && accelerator.alt == alt)
            return accelerator.identifier;
    return 0;
}
