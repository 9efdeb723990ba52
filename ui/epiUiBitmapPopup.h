#pragma once

#include "ui/epiUiBitmapButton.h"

#include <string>
#include <vector>

class epiUiPopupMenu;

// One entry of a pop-up menu: a label, an optional command code, and entries of a sub-menu.
struct epiUiPopupEntry
{
    std::string label;
    epiCode code = 0;
    std::vector<epiUiPopupEntry> children;
};

// A bitmap button that pops up a menu ('iBpu'): its items come from its text, separated by "|",
// or from addItem/addSubmenu. A click opens the menu below the button (a sub-popup opens it to
// the right); choosing an item closes the menu, makes the item's number (counted over the items
// that can be chosen, sub-menus unfolded in order) the popup's value and hits the popup. A click
// outside the menu closes it with no choice. 'teFo' is the font of the menu.
class epiUiBitmapPopup : public epiUiBitmapButton
{
public:
    static constexpr epiCode kKind = epiFourCC("iBpu");

    ~epiUiBitmapPopup() override;

    epiCode typeCode() const override { return kKind; }
    void setText(const epiText& text) override;
    void setAttributeText(epiCode code, const epiText& value) override;
    void setValue(int32_t value) override { m_value = value; }
    int32_t value() const override { return m_value; }
    void close() override;

    std::vector<epiUiPopupEntry>& entries() { return m_entries; }
    void addItem(const std::string& label, epiCode code = 0);
    // A sub-menu entry; its items are added to the result.
    std::vector<epiUiPopupEntry>& addSubmenu(const std::string& label);
    epiCode menuFont() const { return m_font; }
    // The code of the last chosen item (0 when it has none).
    epiCode chosenCode() const { return m_chosenCode; }

    void openMenu();
    void closeMenu();
    epiUiPopupMenu* openedMenu() const { return m_menu; }
    // Called by the menu: the item numbered `number` was chosen.
    void choose(int number, epiCode code);

protected:
    epiUiBehaviour* createBehaviour() override;
    // Where the menu's top-left corner goes, in the widget's coordinates.
    virtual epiPoint menuCorner() const { return {0, frame().height()}; }

private:
    std::vector<epiUiPopupEntry> m_entries;
    epiUiPopupMenu* m_menu = nullptr;
    epiCode m_font = 0;
    epiCode m_chosenCode = 0;
    int32_t m_value = -1;
};

// A popup whose menu opens to the right of the button (inside other menus and side bars).
class epiUiBitmapSubPopup : public epiUiBitmapPopup
{
protected:
    epiPoint menuCorner() const override { return {frame().width(), 0}; }
};

class epiUiPopupMenuList;

// The opened menu ('iPmu'): a transparent layer over the whole root of the widget tree that
// holds the menu's lists; a click on the layer outside every list closes the menu.
class epiUiPopupMenu : public epiUbo
{
public:
    static constexpr epiCode kKind = epiFourCC("iPmu");

    epiCode typeCode() const override { return kKind; }
    bool acceptsParent(epiCode) const override { return true; }
    void setOwner(epiUiBitmapPopup* owner) { m_owner = owner; }
    epiUiBitmapPopup* owner() const { return m_owner; }
    // Opens a list of entries with its corner at `at` (the menu's coordinates); `depth` 0 is the
    // first list, deeper lists are sub-menus (opening one closes those at its depth and deeper).
    epiUiPopupMenuList* openList(const std::vector<epiUiPopupEntry>& entries, epiPoint at, int depth, int firstNumber);
    bool mouseDown(const epiPoint& point) override;

private:
    epiUiBitmapPopup* m_owner = nullptr;
};

// One list of a menu: rows of items, a frame around them.
class epiUiPopupMenuList : public epiUbo
{
public:
    static constexpr int32_t kRowHeight = 18;

    epiCode typeCode() const override { return epiFourCC("iPml"); }
    bool acceptsParent(epiCode) const override { return true; }
    int depth() const { return m_depth; }
    void setDepth(int depth) { m_depth = depth; }
    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override;

private:
    int m_depth = 0;
};

// One row of a list: chosen on click, or, with a sub-menu, opens it to its right.
class epiUiPopupMenuItem : public epiUbo
{
public:
    epiCode typeCode() const override { return epiFourCC("iPmi"); }
    bool acceptsParent(epiCode) const override { return true; }
    void setEntry(const epiUiPopupEntry* entry, int number) { m_entry = entry, m_number = number; }
    int number() const { return m_number; }
    bool mouseDown(const epiPoint& point) override;
    bool mouseMoved(const epiPoint& point) override;
    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override;
    bool isHighlighted() const;

private:
    epiUiPopupMenu* menu() const;

    const epiUiPopupEntry* m_entry = nullptr;
    int m_number = -1;
    bool m_highlighted = false;
};
