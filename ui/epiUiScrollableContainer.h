#pragma once

#include "ui/epiUiContainer.h"

// A container that scrolls its content ('iCos'): the children are moved together by the scroll
// offset, which stays within the extent of the children; the mouse wheel scrolls by 'arra'
// pixels per notch (16 by default).
class epiUiScrollableContainer : public epiUiContainer
{
public:
    static constexpr epiCode kKind = epiFourCC("iCos");

    epiCode typeCode() const override { return kKind; }
    void setAttribute(epiCode code, int32_t value) override;
    // Scrolls so that content point (x, y) is at the container's top-left corner.
    void scrollTo(int32_t x, int32_t y);
    epiPoint scroll() const { return m_scroll; }
    // The children's extent at scroll (0, 0).
    epiRect contentExtent() const;
    bool mouseWheel(const epiPoint& point, int steps) override;

private:
    epiPoint m_scroll;
    int32_t m_step = 16;
};
