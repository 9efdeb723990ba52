#pragma once

#include "ui/epiUiBitmapImage.h"
#include "ui/epiUiFaceDecor.h"

// A bitmap button ('iBbt'): the face drawn is the disabled one when the widget is disabled and has
// it, else 2 × on + pressed (released-off, pressed-off, released-on, pressed-on). The input logic
// is the button behaviour; the value is the on state.
class epiUiBitmapButton : public epiUiBitmapImage
{
public:
    static constexpr epiCode kKind = epiFourCC("iBbt");

    epiCode typeCode() const override { return kKind; }
    void setValue(int32_t value) override;
    int32_t value() const override { return isOn() ? 1 : 0; }
    bool isOn() const;
    void setOn(bool on) { setValue(on ? 1 : 0); }
    bool isPressed() const;
    // A click from code, as if the user had clicked.
    void click();

protected:
    epiUiBehaviour* createBehaviour() override;
    int currentFace() const override;
};

// Adds the face text to a button class.
template<typename Button>
class epiUiWithFaceText : public Button
{
public:
    void setAttributeText(epiCode code, const epiText& value) override
    {
        if (m_text.take(code, value))
            this->invalidate();
        else
            Button::setAttributeText(code, value);
    }
    void setAttribute(epiCode code, int32_t value) override
    {
        if (m_text.take(code, value))
            this->invalidate();
        else
            Button::setAttribute(code, value);
    }
    void setText(const epiText& text) override
    {
        Button::setText(text);
        this->invalidate();
    }
    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override
    {
        Button::drawSelf(target, origin, rect);
        epiRect box = this->boundsAt(origin);
        epiRect clip = this->clipAt(origin, rect);
        auto state = !this->isEnabled() ? epiUiFaceText::kDisabled
                     : this->isOn()     ? epiUiFaceText::kOn
                                        : epiUiFaceText::kOff;
        m_text.draw(this->resources(), target, box, clip, this->text(), state);
    }
    const epiUiFaceText& faceText() const { return m_text; }

private:
    epiUiFaceText m_text;
};

// Adds the face icon to a button class.
template<typename Button>
class epiUiWithFaceIcon : public Button
{
public:
    void setAttributeText(epiCode code, const epiText& value) override
    {
        if (m_icon.take(this->resources(), code, value))
            this->invalidate();
        else
            Button::setAttributeText(code, value);
    }
    void drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect) override
    {
        Button::drawSelf(target, origin, rect);
        epiRect box = this->boundsAt(origin);
        epiRect clip = this->clipAt(origin, rect);
        m_icon.draw(target, box, clip, this->isOn());
    }
    const epiUiFaceIcon& faceIcon() const { return m_icon; }

private:
    epiUiFaceIcon m_icon;
};

class epiUiBitmapButtonWithText : public epiUiWithFaceText<epiUiBitmapButton>
{
public:
    static constexpr epiCode kKind = epiFourCC("iBwt");
    epiCode typeCode() const override { return kKind; }
};

class epiUiBitmapButtonWithIcon : public epiUiWithFaceIcon<epiUiBitmapButton>
{
public:
    static constexpr epiCode kKind = epiFourCC("iBbi");
    epiCode typeCode() const override { return kKind; }
};

// A check box ('iBck'): a button whose action toggles on.
class epiUiBitmapCheckBox : public epiUiBitmapButton
{
public:
    static constexpr epiCode kKind = epiFourCC("iBck");

    epiCode typeCode() const override { return kKind; }

protected:
    epiUiBehaviour* createBehaviour() override;
};

class epiUiBitmapCheckBoxWithText : public epiUiWithFaceText<epiUiBitmapCheckBox>
{
public:
    static constexpr epiCode kKind = epiFourCC("iBct");
    epiCode typeCode() const override { return kKind; }
};

class epiUiBitmapCheckWithIcon : public epiUiWithFaceIcon<epiUiBitmapCheckBox>
{
public:
    static constexpr epiCode kKind = epiFourCC("iBci");
    epiCode typeCode() const override { return kKind; }
};

// A radio ('iBrd'): a button whose action selects its index 'fain' in its group 'fagr'.
class epiUiBitmapRadio : public epiUiBitmapButton
{
public:
    static constexpr epiCode kKind = epiFourCC("iBrd");

    epiCode typeCode() const override { return kKind; }

protected:
    epiUiBehaviour* createBehaviour() override;
};

class epiUiBitmapRadioWithText : public epiUiWithFaceText<epiUiBitmapRadio>
{
public:
    static constexpr epiCode kKind = epiFourCC("iBrs");
    epiCode typeCode() const override { return kKind; }
};
