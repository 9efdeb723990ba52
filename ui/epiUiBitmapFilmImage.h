#pragma once

#include "ui/epiUiBitmapImage.h"

class epiUiBehaviourSmoothDragger;
class epiUiBehaviourTriggeredDragger;

// A film image ('iBfi'): the released-off image is a vertical strip of 'frms' frames of equal
// height (image height ÷ frames); the frame shown is the value modulo the number of frames.
class epiUiBitmapFilmImage : public epiUiBitmapImage
{
public:
    static constexpr epiCode kKind = epiFourCC("iBfi");

    epiCode typeCode() const override { return kKind; }
    void setAttribute(epiCode code, int32_t value) override;
    void setValue(int32_t value) override;
    int32_t value() const override { return m_value; }
    int32_t frames() const { return m_frames; }
    virtual void setFrames(int32_t frames);
    // The frame drawn now.
    virtual int32_t shownFrame() const;

    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override;

protected:
    // The strip drawn now (the disabled image of a knob, for instance).
    virtual epiBitmap* strip() const { return face(0); }

private:
    int32_t m_frames = 1;
    int32_t m_value = 0;
};

// A rotary knob ('iBrt'): a film image turned by a smooth dragger; 'frms' also sets the dragger's
// display range to 0 .. frames − 1, 'Sens' is the drag sensitivity and 'disb' the image shown
// while disabled. A drag that changes the value hits the knob.
class epiUiBitmapRotary : public epiUiBitmapFilmImage
{
public:
    static constexpr epiCode kKind = epiFourCC("iBrt");

    ~epiUiBitmapRotary() override;

    epiCode typeCode() const override { return kKind; }
    void setAttributeText(epiCode code, const epiText& value) override;
    void setFrames(int32_t frames) override;
    int32_t shownFrame() const override;
    // The knob's value in its user range.
    void setKnobValue(float value);
    float knobValue() const;
    epiUiBehaviourSmoothDragger* dragger() const;
    // Animation ticks move the shown frame toward the dragger's position.
    void animationTick(double elapsed, int ticks) override;

protected:
    epiUiBehaviour* createBehaviour() override;
    epiBitmap* strip() const override;

private:
    epiBitmap* m_disabled = nullptr;
};

// A rotary whose dragger also takes ten indexed positions 'FrP0' to 'FrP9'.
class epiUiBitmapTriggeredRotary : public epiUiBitmapRotary
{
public:
    static constexpr epiCode kKind = epiFourCC("iBrr");

    epiCode typeCode() const override { return kKind; }
    // Moves the knob to indexed position `index`.
    bool trigger(int index);

protected:
    epiUiBehaviour* createBehaviour() override;
};
