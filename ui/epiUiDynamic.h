#pragma once

#include "ui/epiBitmap.h"
#include "ui/epiUiBitmapLevMeter.h"

class epiResources;
class epiUiBehaviourSmoothDragger;

// How a drawn widget looks in one state: attributes 'un..' (normal) and 'pr..' (pressed or on)
// with the suffixes Cc centre colour, Bl bevel light colour, Bd bevel dark colour, Bs bevel size,
// Fs frame size, Fc frame colour, Tc text colour, Tf text font, Tp text offset ("x,y"), Ts text
// shadow (pixels).
struct epiUiDynamicStyle
{
    // True when `suffix` (the low two characters of the code) is one of the style's.
    bool take(uint16_t suffix, const epiText& value);
    // Frame, bevel and centre over `box`, then the text centred; all in the target's coordinates.
    void draw(epiResources* set, epiBitmap& target, const epiRect& box, const epiRect& clip, const epiText& text) const;
    // The part inside the frame and the bevel.
    epiRect inner(const epiRect& box) const;

    uint32_t centre = epiArgb(255, 212, 208, 200);
    uint32_t light = epiArgb(255, 255, 255, 255);
    uint32_t dark = epiArgb(255, 128, 128, 128);
    uint32_t frame = epiArgb(255, 0, 0, 0);
    uint32_t text = epiArgb(255, 0, 0, 0);
    int32_t bevel = 1;
    int32_t frameSize = 0;
    epiCode font = 0;
    epiPoint offset;
    int32_t shadow = 0;
};

// The normal and pressed styles of a drawn widget, read from its attributes.
class epiUiDynamicLook
{
public:
    // True when the code was a style attribute ('un..' or 'pr..').
    bool take(epiCode code, const epiText& value);
    const epiUiDynamicStyle& style(bool pressed) const { return pressed ? m_pressed : m_normal; }

private:
    epiUiDynamicStyle m_normal;
    epiUiDynamicStyle m_pressed;
};

// A drawn image ('iDim'): the normal style with the widget's text.
class epiUiDynamicImage : public epiUbo
{
public:
    static constexpr epiCode kKind = epiFourCC("iDim");

    epiCode typeCode() const override { return kKind; }
    bool acceptsParent(epiCode type) const override;
    void setAttributeText(epiCode code, const epiText& value) override;
    void setText(const epiText& text) override;
    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override;
    const epiUiDynamicLook& look() const { return m_look; }

protected:
    // Drawn in the pressed style.
    virtual bool showsPressed() const { return false; }

private:
    epiUiDynamicLook m_look;
};

// A drawn button ('iDbt'): the button behaviour; the pressed style while pressed or on.
class epiUiDynamicButton : public epiUiDynamicImage
{
public:
    static constexpr epiCode kKind = epiFourCC("iDbt");

    epiCode typeCode() const override { return kKind; }
    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return m_enabled; }
    void setValue(int32_t value) override;
    int32_t value() const override;

protected:
    epiUiBehaviour* createBehaviour() override;
    bool showsPressed() const override;

private:
    bool m_enabled = true;
};

// A drawn check box ('iDck'): the check-box behaviour.
class epiUiDynamicCheckBox : public epiUiDynamicButton
{
public:
    static constexpr epiCode kKind = epiFourCC("iDck");

    epiCode typeCode() const override { return kKind; }

protected:
    epiUiBehaviour* createBehaviour() override;
};

// A drawn knob ('iDkn'): a smooth dragger turns a pointer over 270 degrees (the display range is
// 0 .. 270 unless 'dMin'/'dMax' say otherwise), drawn in the normal style over the pressed
// style's centre colour for the pointer.
class epiUiDynamicKnob : public epiUiDynamicImage
{
public:
    static constexpr epiCode kKind = epiFourCC("iDkn");

    epiCode typeCode() const override { return kKind; }
    epiUiBehaviourSmoothDragger* dragger() const;
    void animationTick(double elapsed, int ticks) override;
    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override;
    // The pointer's end in the widget's coordinates.
    epiPoint pointerEnd() const;

protected:
    epiUiBehaviour* createBehaviour() override;
};

// A drawn level meter ('iDlv'): the level meter's rise and fall; the level is filled with the
// pressed style's centre colour over the normal style.
class epiUiDynamicLevelMeter : public epiUiBitmapLevMeter
{
public:
    static constexpr epiCode kKind = epiFourCC("iDlv");

    epiCode typeCode() const override { return kKind; }
    void setAttributeText(epiCode code, const epiText& value) override;
    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override;

protected:
    int32_t fullLength() const override;

private:
    epiUiDynamicLook m_look;
};
