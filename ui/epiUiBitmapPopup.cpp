#include "ui/epiUiBitmapPopup.h"

#include "ui/epiBitmap.h"
#include "ui/epiFonts.h"
#include "ui/epiResources.h"
#include "ui/epiUiBehave_button.h"

#include <algorithm>

namespace {

// The popup's action opens its menu; the hit comes when an item is chosen.
class epiUiBehave_popup : public epiUiBehave_button
{
public:
    bool toggleOrSelect() override
    {
        auto* popup = dynamic_cast<epiUiBitmapPopup*>(widget());
        if (!popup)
            return false;
        popup->openMenu();
        return true;
    }
};

int leafCount(const epiUiPopupEntry& entry)
{
    if (entry.children.empty())
        return 1;
    int count = 0;
    for (const epiUiPopupEntry& child : entry.children)
        count += leafCount(child);
    return count;
}

epiUbo* rootOf(epiUbo* object)
{
    while (object->parent())
        object = object->parent();
    return object;
}

constexpr uint32_t kMenuFill = epiArgb(255, 246, 245, 244);
constexpr uint32_t kMenuFrame = epiArgb(255, 120, 120, 120);
constexpr uint32_t kMenuText = epiArgb(255, 20, 20, 20);
constexpr uint32_t kHighlight = epiArgb(255, 49, 106, 197);
constexpr uint32_t kHighlightText = epiArgb(255, 255, 255, 255);

// A child made, counted and added with its frame, shown; null when refused.
template<typename Child>
Child* addShown(epiUbo* parent, const epiRect& frame)
{
    auto* child = new Child;
    child->makeCounted();
    if (!parent->addChild(child)) {
        child->release();
        return nullptr;
    }
    child->setFrame(frame);
    child->setVisible(true, false);
    return child;
}

} // namespace

// ----- popup -----

epiUiBitmapPopup::~epiUiBitmapPopup()
{
    closeMenu();
}

epiUiBehaviour* epiUiBitmapPopup::createBehaviour()
{
    return new epiUiBehave_popup;
}

void epiUiBitmapPopup::setText(const epiText& text)
{
    epiUiBitmapButton::setText(text);
    m_entries.clear();
    int count = text.fieldCount('|');
    for (int i = 0; i < count; ++i)
        addItem(text.field(i, '|', '\0').str());
}

void epiUiBitmapPopup::setAttributeText(epiCode code, const epiText& value)
{
    if (code == epiFourCC("teFo"))
        m_font = value.toCode();
    else
        epiUiBitmapButton::setAttributeText(code, value);
}

void epiUiBitmapPopup::addItem(const std::string& label, epiCode code)
{
    m_entries.push_back({label, code, {}});
}

std::vector<epiUiPopupEntry>& epiUiBitmapPopup::addSubmenu(const std::string& label)
{
    m_entries.push_back({label, 0, {}});
    return m_entries.back().children;
}

void epiUiBitmapPopup::openMenu()
{
    closeMenu();
    if (m_entries.empty())
        return;
    epiUbo* root = rootOf(this);
    if (root == this)
        return;
    auto* menu = addShown<epiUiPopupMenu>(root, root->bounds());
    if (!menu)
        return;
    m_menu = menu;
    menu->setOwner(this);
    menu->openList(m_entries, toAncestor(menuCorner(), root), 0, 0);
}

void epiUiBitmapPopup::closeMenu()
{
    epiUiPopupMenu* menu = m_menu;
    if (!menu)
        return;
    m_menu = nullptr;
    menu->setOwner(nullptr);
    if (menu->parent())
        menu->parent()->invalidate(menu->frame());
    menu->shutdown();
}

void epiUiBitmapPopup::close()
{
    closeMenu();
    epiUiBitmapButton::close();
}

void epiUiBitmapPopup::choose(int number, epiCode code)
{
    // The menu goes first: the hit may close or rebuild the popup's window.
    closeMenu();
    m_value = number;
    m_chosenCode = code;
    invalidate();
    hit();
}

// ----- menu -----

epiUiPopupMenuList* epiUiPopupMenu::openList(const std::vector<epiUiPopupEntry>& entries, epiPoint at, int depth,
                                             int firstNumber)
{
    for (int i = childCount() - 1; i >= 0; --i)
        if (auto* list = dynamic_cast<epiUiPopupMenuList*>(childAt(i)); list && list->depth() >= depth) {
            invalidate(list->frame());
            list->shutdown();
        }
    epiResources* set = resources();
    epiCode font = m_owner ? m_owner->menuFont() : 0;
    int32_t width = 60;
    for (const epiUiPopupEntry& entry : entries)
        width = std::max(width, (set ? set->fonts().measure(font, epiText(entry.label)) : 0) + 28);
    int32_t height = static_cast<int32_t>(entries.size()) * epiUiPopupMenuList::kRowHeight + 2;
    // Kept inside the layer: moved left and up when it would leave it.
    int32_t x = std::max(0, std::min(at.x, frame().width() - width));
    int32_t y = std::max(0, std::min(at.y, frame().height() - height));
    auto* list = addShown<epiUiPopupMenuList>(this, epiRect::fromSize(x, y, width, height));
    if (!list)
        return nullptr;
    list->setDepth(depth);
    int number = firstNumber;
    for (size_t i = 0; i < entries.size(); ++i) {
        epiRect row = epiRect::fromSize(1, 1 + static_cast<int32_t>(i) * epiUiPopupMenuList::kRowHeight, width - 2,
                                        epiUiPopupMenuList::kRowHeight);
        if (auto* item = addShown<epiUiPopupMenuItem>(list, row))
            item->setEntry(&entries[i], number);
        number += leafCount(entries[i]);
    }
    invalidate(list->frame());
    return list;
}

bool epiUiPopupMenu::mouseDown(const epiPoint& point)
{
    retain();
    if (!epiUbo::mouseDown(point) && m_owner)
        m_owner->closeMenu();
    release();
    return true;
}

// ----- lists and items -----

void epiUiPopupMenuList::drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    epiRect box = boundsAt(origin);
    epiRect clip = clipAt(origin, rect);
    target.fill(box.intersection(clip), kMenuFrame);
    target.fill(epiRect(box.left + 1, box.top + 1, box.right - 1, box.bottom - 1).intersection(clip), kMenuFill);
}

epiUiPopupMenu* epiUiPopupMenuItem::menu() const
{
    return parent() ? dynamic_cast<epiUiPopupMenu*>(parent()->parent()) : nullptr;
}

bool epiUiPopupMenuItem::isHighlighted() const
{
    return hasMouseCapture() || m_highlighted;
}

bool epiUiPopupMenuItem::mouseMoved(const epiPoint&)
{
    if (parent())
        for (int i = 0; i < parent()->childCount(); ++i)
            if (auto* item = dynamic_cast<epiUiPopupMenuItem*>(parent()->childAt(i)); item && item->m_highlighted) {
                item->m_highlighted = false;
                item->invalidate();
            }
    m_highlighted = true;
    invalidate();
    return true;
}

bool epiUiPopupMenuItem::mouseDown(const epiPoint&)
{
    epiUiPopupMenu* opened = menu();
    if (!m_entry || !opened)
        return false;
    if (!m_entry->children.empty()) {
        auto* list = dynamic_cast<epiUiPopupMenuList*>(parent());
        epiPoint corner = toAncestor(epiPoint(frame().width(), 0), opened);
        opened->openList(m_entry->children, corner, list ? list->depth() + 1 : 1, m_number);
        return true;
    }
    if (epiUiBitmapPopup* owner = opened->owner())
        owner->choose(m_number, m_entry->code);
    return true;
}

void epiUiPopupMenuItem::drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    if (!m_entry)
        return;
    epiRect box = boundsAt(origin);
    epiRect clip = clipAt(origin, rect);
    bool highlighted = isHighlighted();
    if (highlighted)
        target.fill(box.intersection(clip), kHighlight);
    epiResources* set = resources();
    epiUiPopupMenu* opened = menu();
    if (!set)
        return;
    epiCode font = opened && opened->owner() ? opened->owner()->menuFont() : 0;
    uint32_t colour = highlighted ? kHighlightText : kMenuText;
    epiRect textBox = {box.left + 6, box.top + 3, box.right - 12, box.bottom};
    set->fonts().draw(target, font, 0, textBox, clip, epiText(m_entry->label), colour);
    if (!m_entry->children.empty())
        set->fonts().draw(target, font, epiFont::kRight, {box.left, box.top + 3, box.right - 2, box.bottom}, clip,
                          ">", colour);
}
