#pragma once

#include "ui/epiUiBitmapImage.h"

class epiUiBehaviourSmoothDragger;

// A bitmap scroll bar ('iBsc'): a smooth dragger ('Sens', 'Smoo', 'uMin', 'uMax') moves a thumb
// (the 'ipOf' image while dragged, otherwise 'irOf') along the bar: to the right in a horizontal
// bar (wider than tall), up from the bottom in a vertical one. The shown position is the thumb's
// offset in pixels; without 'dMin'/'dMax' it spans the bar's length minus the thumb's. The
// integer value ('min_', 'max_' give its range, as for the native scroll bar) is what lists
// scroll by; 'arra' is the step of one arrow or wheel notch.
class epiUiBitmapScroll : public epiUiBitmapImage
{
public:
    static constexpr epiCode kKind = epiFourCC("iBsc");

    epiCode typeCode() const override { return kKind; }
    void setAttribute(epiCode code, int32_t value) override;
    void setAttributeText(epiCode code, const epiText& value) override;
    bool getAttribute(epiCode code, epiText& value) const override;
    void setValue(int32_t value) override;
    int32_t value() const override;
    bool isHorizontal() const { return frame().width() > frame().height(); }
    epiUiBehaviourSmoothDragger* dragger() const;
    // The thumb's rectangle in the widget's coordinates.
    epiRect thumbRect() const;
    int32_t arrowStep() const { return m_arrowStep; }

    bool mouseWheel(const epiPoint& point, int steps) override;
    void animationTick(double elapsed, int ticks) override;
    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override;

protected:
    epiUiBehaviour* createBehaviour() override;
    void frameChanged() override;

private:
    void fitDisplayRange();

    int32_t m_arrowStep = 1;
    bool m_displayFitted = false;
};
