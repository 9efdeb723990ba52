#pragma once

#include "ui/epiUbo.h"

// A widget that draws its text with a font of the resources ('iBst'): font 'teFo' (a font code
// such as "AN12" or "sr12"), colour 'teCl' ("red,green,blue"), alignment 'txAl' (the font's
// alignment flags); 'Clik' is stored.
class epiUiBitmapText : public epiUbo
{
public:
    static constexpr epiCode kKind = epiFourCC("iBst");

    epiCode typeCode() const override { return kKind; }
    void setAttributeText(epiCode code, const epiText& value) override;
    void setAttribute(epiCode code, int32_t value) override;
    void setText(const epiText& text) override;

    epiCode font() const { return m_font; }
    uint32_t colour() const { return m_colour; }
    int alignment() const { return m_alignment; }
    bool clickable() const { return m_clickable; }

    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override;
    // A mouse down on the text hits it.
    bool mouseDown(const epiPoint& point) override;

    // "r,g,b" as an opaque 0xAARRGGBB colour; components are clamped to 0..255.
    static uint32_t parseColour(const epiText& value);

protected:
    virtual const epiText& drawnText() const { return text(); }

private:
    epiCode m_font = 0;
    uint32_t m_colour = 0xFF000000u;
    int m_alignment = 0;
    bool m_clickable = false;
};
