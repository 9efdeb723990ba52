#pragma once

#include "ui/epiApplicationObject.h"
#include "ui/epiRect.h"
#include "ui/epiText.h"

#include <vector>

class epiUbo;

// Fills a viewport with rows built from an item layout and keeps its scroll bars in step: the
// scrolling list of the list windows.
//
// The viewport, found among the owner's children by code, names the item layout with 'chil'; the
// layout's size is the item size. Items are containers (code 'cont') in one content container
// (code 'cont') inside the viewport, laid out in rows and columns. The helper observes the bars
// and the items (a hit in an item selects it; a bar hit scrolls) and the owner's keys (Up and
// Down move the selection and hit the newly selected item).
class epiUiScrollHelper : public epiApplicationObject
{
public:
    static constexpr int kKeyUp = 30;
    static constexpr int kKeyDown = 31;

    ~epiUiScrollHelper() override;

    // False when the owner has no viewport of that code. Bar codes of 0 mean no bar.
    bool setUp(epiUbo* owner, epiCode viewport, epiCode horizontalBar, epiCode verticalBar, bool centring);

    // Options, set before items are added.
    void setColumns(int columns) { m_columns = columns > 0 ? columns : 1; }
    void setStretch(bool stretch) { m_stretch = stretch; }
    void setAlternateRows(bool alternate) { m_alternate = alternate; }
    // Every item gets a value (1 for the selected one, 0 for the others) instead of only the
    // newly selected and the previously selected items.
    void setFullSelection(bool full) { m_fullSelection = full; }
    // The child of each item (by code) that carries the selection value; 0: the item itself.
    void setValueChild(epiCode code) { m_valueChild = code; }
    // The bars' 'arra' follows the overflow (a tenth of it) instead of the item size.
    void setAutomaticArrows(bool automatic) { m_automaticArrows = automatic; }
    // The kind of the content container ('iSco' by default).
    void setContentKind(epiCode kind) { m_contentKind = kind; }

    // Adds an item built from `layoutFile` (the item layout when empty); `height` > 0 gives the
    // item that height in place of the layout's. Returns the item, null when it could not be made.
    epiUbo* addItem(const epiText& layoutFile = {}, int32_t height = 0);
    // Closes surplus items from the end, or adds missing ones with the item layout.
    void setItemCount(int count);
    int itemCount() const { return static_cast<int>(m_items.size()); }
    epiUbo* item(int index) const;

    void select(int index);
    int selected() const { return m_selected; }

    // Content size and scroll are re-read; bars enabled, ranged and set; the content moved.
    void updateBars();
    epiPoint scroll() const { return m_scroll; }
    void scrollTo(int32_t x, int32_t y);

    epiUbo* viewport() const { return m_viewport; }
    epiUbo* content() const { return m_content; }
    epiRect itemSize() const { return m_itemSize; }

    void notified(epiCode code, epiUbo* sender, intptr_t value) override;

private:
    void resizeContent();
    void setItemValue(int index, int32_t value);
    void moveSelection(int step);

    epiUbo* m_owner = nullptr;
    epiUbo* m_viewport = nullptr;
    epiUbo* m_horizontal = nullptr;
    epiUbo* m_vertical = nullptr;
    epiUbo* m_content = nullptr;
    bool m_centring = false;
    epiText m_itemLayout;
    epiRect m_itemSize;
    std::vector<epiUbo*> m_items;
    int m_columns = 1;
    bool m_stretch = false;
    bool m_alternate = false;
    bool m_fullSelection = false;
    bool m_automaticArrows = false;
    epiCode m_valueChild = 0;
    epiCode m_contentKind = epiFourCC("iSco");
    int m_selected = -1;
    epiPoint m_scroll;
};
