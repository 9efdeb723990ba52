#pragma once

#include "ui/epiUiContainer.h"

// A decoration ('iBde'): a container that draws a fill and a frame under its children, in the
// "on" colours while its value is non-zero (a selected row) and the "off" colours otherwise.
//   'Fion', 'Fiof'  fill colours on and off        'fron', 'frof'  frame colours on and off
//   'fdim'          frame thickness (default 1)     'fdon'          draw the frame (default 1)
//   'fres'          draw the fill (default 1)       'frnd'          corner cut, in pixels
//   'frov'          frame drawn over the children   'frsd'          shadow width right and below
// 'teSi', 'teBo' and 'txAl' are stored for the text of derived decorations.
class epiUiDecorate : public epiUiContainer
{
public:
    static constexpr epiCode kKind = epiFourCC("iBde");

    epiCode typeCode() const override { return kKind; }
    void setAttributeText(epiCode code, const epiText& value) override;
    void setAttribute(epiCode code, int32_t value) override;
    void setValue(int32_t value) override;
    int32_t value() const override { return m_on ? 1 : 0; }

    void draw(epiBitmap& target, epiPoint origin, const epiRect& rect) override;
    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override;

private:
    void drawFrame(epiBitmap& target, const epiRect& box, const epiRect& clip) const;

    uint32_t m_fill[2] = {0, 0};
    uint32_t m_frameColour[2] = {0, 0};
    bool m_fillGiven[2] = {false, false};
    bool m_frameGiven[2] = {false, false};
    int32_t m_thickness = 1;
    bool m_drawFrame = true;
    bool m_drawFill = true;
    int32_t m_corner = 0;
    bool m_frameOver = false;
    int32_t m_shadow = 0;
    int32_t m_textSize = 0;
    bool m_textBold = false;
    int32_t m_alignment = 0;
    bool m_on = false;
};
