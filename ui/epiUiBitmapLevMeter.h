#pragma once

#include "ui/epiUiBitmapImage.h"

// A level meter ('iBlm'): 'min_' and 'max_' are the value range, 'lmSp' the fall step and 'lmBx'
// the segment size. A value above the shown level raises it at once (capped at the maximum);
// while the level is above the minimum, a fixed-rate 0.1 s timer lowers it by the fall step per
// firing and stops at the minimum. The released-off image is shown from the bottom up (taller
// than wide) or from the left, over the level's share of its height or width.
class epiUiBitmapLevMeter : public epiUiBitmapImage
{
public:
    static constexpr epiCode kKind = epiFourCC("iBlm");
    static constexpr float kFallSeconds = 0.1f;

    epiCode typeCode() const override { return kKind; }
    void setAttribute(epiCode code, int32_t value) override;
    void setValue(int32_t value) override;
    int32_t value() const override { return m_level; }
    int32_t level() const { return m_level; }
    bool isFalling() const { return m_falling; }
    // One step of the fall (a firing of the fall timer).
    void fall();
    void timerFired() override { fall(); }
    // The length of the image shown, in pixels along the meter.
    int32_t shownLength() const;

    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override;

protected:
    bool isVertical() const { return frame().height() > frame().width(); }
    // The length of a full level: the image's height or width.
    virtual int32_t fullLength() const;

private:
    int32_t m_minimum = 0;
    int32_t m_maximum = 100;
    int32_t m_fallStep = 1;
    int32_t m_segment = 0;
    int32_t m_level = 0;
    bool m_falling = false;
};
