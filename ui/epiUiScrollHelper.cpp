#include "ui/epiUiScrollHelper.h"

#include "ui/epiResources.h"
#include "ui/epiUbo.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr epiCode kItemCode = epiFourCC("cont");

// A made child, counted, added and created; null when the parent refuses it.
epiUbo* makeChild(epiUbo* parent, epiCode kind, epiCode code, const epiRect& frame)
{
    epiUbo* child = parent->createChild(kind, code);
    if (!child)
        return nullptr;
    child->makeCounted();
    child->setCode(code);
    if (!parent->addChild(child)) {
        child->release();
        return nullptr;
    }
    child->setFrame(frame);
    child->setVisible(true, false);
    child->create();
    child->show();
    return child;
}

void setBar(epiUbo* bar, int32_t overflow, int32_t scroll, bool automaticArrows)
{
    if (!bar)
        return;
    if (overflow > 0) {
        bar->setEnabled(true);
        bar->setAttribute(epiFourCC("max_"), overflow);
        if (automaticArrows)
            bar->setAttribute(epiFourCC("arra"), std::abs(overflow) / 10);
        bar->setValue(scroll);
    } else {
        bar->setEnabled(false);
    }
}

} // namespace

epiUiScrollHelper::~epiUiScrollHelper() = default;

bool epiUiScrollHelper::setUp(epiUbo* owner, epiCode viewport, epiCode horizontalBar, epiCode verticalBar,
                              bool centring)
{
    m_owner = owner;
    m_viewport = owner ? owner->findChild(viewport) : nullptr;
    if (!m_viewport)
        return false;
    m_horizontal = horizontalBar ? owner->findChild(horizontalBar) : nullptr;
    m_vertical = verticalBar ? owner->findChild(verticalBar) : nullptr;
    m_centring = centring;
    if (m_viewport->childCount() > 0) {
        epiText layout;
        epiResources* set = m_viewport->resources();
        if (m_viewport->getAttribute(epiFourCC("chil"), layout) && set && set->layoutFileSize(layout, m_itemSize))
            m_itemLayout = layout;
        while (m_viewport->childCount() > 0)
            m_viewport->childAt(m_viewport->childCount() - 1)->shutdown();
        if (m_horizontal)
            m_horizontal->setAttribute(epiFourCC("arra"), m_itemSize.width());
        if (m_vertical)
            m_vertical->setAttribute(epiFourCC("arra"), m_itemSize.height());
    }
    if (!application())
        setApplication(owner->application());
    m_content = makeChild(m_viewport, m_contentKind, kItemCode, {0, 0, 1, 1});
    if (!m_content)
        return false;
    for (epiUbo* bar : {m_horizontal, m_vertical})
        if (bar)
            bar->addObserver(this, epiFourCC("iHit"));
    owner->addObserver(this, epiFourCC("kedo"));
    owner->addObserver(this, epiFourCC("kere"));
    updateBars();
    return true;
}

epiUbo* epiUiScrollHelper::item(int index) const
{
    return index >= 0 && index < itemCount() ? m_items[index] : nullptr;
}

epiUbo* epiUiScrollHelper::addItem(const epiText& layoutFile, int32_t height)
{
    if (!m_content)
        return nullptr;
    int count = itemCount();
    int32_t width = m_stretch ? m_viewport->frame().width() / m_columns : m_itemSize.width();
    int32_t itemHeight = height > 0 ? height : m_itemSize.height();
    int32_t x = (count % m_columns) * width;
    // One column stacks rows of any height; several columns use the item height for a row.
    int32_t y = m_columns == 1 ? (count > 0 ? m_items.back()->frame().bottom : 0) : (count / m_columns) * m_itemSize.height();
    epiUbo* made = makeChild(m_content, epiFourCC("iCon"), kItemCode, epiRect::fromSize(x, y, width, itemHeight));
    if (!made)
        return nullptr;
    made->loadChildLayout(layoutFile.isEmpty() ? m_itemLayout : layoutFile);
    if (m_alternate)
        if (epiUbo* alternate = made->findChild(epiFourCC("alte")))
            alternate->setValue(count % 2);
    made->addObserver(this, epiFourCC("iHit"));
    m_items.push_back(made);
    if (m_fullSelection)
        setItemValue(count, count == m_selected ? 1 : 0);
    resizeContent();
    updateBars();
    return made;
}

void epiUiScrollHelper::setItemCount(int count)
{
    count = std::max(0, count);
    while (itemCount() > count) {
        epiUbo* last = m_items.back();
        m_items.pop_back();
        if (m_selected >= itemCount())
            m_selected = -1;
        last->removeObserver(this);
        last->shutdown();
    }
    while (itemCount() < count)
        if (!addItem())
            break;
    resizeContent();
    updateBars();
}

void epiUiScrollHelper::resizeContent()
{
    if (!m_content)
        return;
    int32_t width = 1, height = 1;
    for (epiUbo* made : m_items) {
        width = std::max(width, made->frame().right);
        height = std::max(height, made->frame().bottom);
    }
    epiRect frame = m_content->frame();
    frame.setSize(width, height);
    m_content->setFrame(frame);
}

void epiUiScrollHelper::updateBars()
{
    if (!m_content || !m_viewport)
        return;
    int32_t overflowX = m_content->frame().width() - m_viewport->frame().width();
    int32_t overflowY = m_content->frame().height() - m_viewport->frame().height();
    m_scroll.x = overflowX > 0 ? std::clamp(m_scroll.x, 0, overflowX) : (m_centring ? overflowX / 2 : 0);
    m_scroll.y = overflowY > 0 ? std::clamp(m_scroll.y, 0, overflowY) : (m_centring ? overflowY / 2 : 0);
    setBar(m_horizontal, overflowX, m_scroll.x, m_automaticArrows);
    setBar(m_vertical, overflowY, m_scroll.y, m_automaticArrows);
    epiRect before = m_content->frame();
    m_content->setOrigin(-m_scroll.x, -m_scroll.y);
    // The strips the content left uncovered, and the content itself, are drawn again.
    m_viewport->invalidate(before.united(m_content->frame()).united(m_viewport->bounds()));
}

void epiUiScrollHelper::scrollTo(int32_t x, int32_t y)
{
    m_scroll = {x, y};
    updateBars();
}

void epiUiScrollHelper::setItemValue(int index, int32_t value)
{
    epiUbo* made = item(index);
    if (!made)
        return;
    epiUbo* carrier = m_valueChild ? made->findChild(m_valueChild) : made;
    if (carrier)
        carrier->setValue(value);
}

void epiUiScrollHelper::select(int index)
{
    if (index < -1 || index >= itemCount())
        return;
    if (m_fullSelection) {
        for (int i = 0; i < itemCount(); ++i)
            setItemValue(i, i == index ? 1 : 0);
    } else {
        setItemValue(m_selected, 0);
        setItemValue(index, 1);
    }
    m_selected = index;
}

void epiUiScrollHelper::moveSelection(int step)
{
    int next = m_selected + step;
    if (itemCount() == 0 || next < 0 || next >= itemCount())
        return;
    select(next);
    m_items[next]->hit();
}

void epiUiScrollHelper::notified(epiCode code, epiUbo* sender, intptr_t value)
{
    if (code == epiFourCC("iHit")) {
        if (sender == m_horizontal || sender == m_vertical) {
            scrollTo(m_horizontal ? m_horizontal->value() : m_scroll.x, m_vertical ? m_vertical->value() : m_scroll.y);
            return;
        }
        auto found = std::find(m_items.begin(), m_items.end(), sender);
        if (found != m_items.end() && found - m_items.begin() != m_selected)
            select(static_cast<int>(found - m_items.begin()));
        return;
    }
    if ((code == epiFourCC("kedo") || code == epiFourCC("kere")) && sender == m_owner) {
        if (value == kKeyUp)
            moveSelection(-1);
        else if (value == kKeyDown)
            moveSelection(1);
    }
}
