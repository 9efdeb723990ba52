#pragma once

#include "ui/epiApplicationObject.h"
#include "ui/epiText.h"
#include "ui/epiWindowSystem.h"

#include <vector>

class epiXmlChunk;

// The application's menu bar, built from a menu document of the resources' "menus/" folder, with
// its accelerators and the list of (command identifier, command code) pairs. Identifiers are
// 10000 plus the number of commands already listed.
class epiMenu : public epiApplicationObject
{
public:
    static constexpr int kFirstIdentifier = 10000;

    struct Item
    {
        int identifier;
        epiCode code;
        epiText label; // as shown, with the accelerator after a tab
    };

    ~epiMenu() override;

    // Builds the bar from the menu document named `menuCode`; false (and an empty bar) when
    // there is no such document.
    bool load(epiCode menuCode);
    // Each item's text before it is shown; the base keeps it as it is.
    virtual epiText localizeLabel(const epiText& text) { return text; }

    epiCode commandForIdentifier(int identifier) const;
    // The command identifier of the accelerator Ctrl (+ Shift, + Alt) + `key`, 0 for none.
    int acceleratorCommand(uint32_t key, bool shift, bool alt) const;
    const std::vector<Item>& items() const { return m_items; }
    epiMenuHandle menuBar() const { return m_bar; }
    void shutdown() override;

private:
    struct Accelerator
    {
        uint32_t key;
        bool shift;
        bool alt;
        int identifier;
    };
    void buildList(const epiXmlChunk& list, epiMenuHandle menu, bool top);
    void clear();

    epiMenuHandle m_bar = 0;
    std::vector<Item> m_items;
    std::vector<Accelerator> m_accelerators;
};
