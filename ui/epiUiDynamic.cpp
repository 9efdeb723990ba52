#include "ui/epiUiDynamic.h"

#include "ui/epiBitmap.h"
#include "ui/epiFont.h"
#include "ui/epiFonts.h"
#include "ui/epiResources.h"
#include "ui/epiUiBehave_button.h"
#include "ui/epiUiBehaviourDragger.h"
#include "ui/epiUiBitmapImage.h"
#include "ui/epiUiBitmapText.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint16_t suffix(const char (&text)[3])
{
    return static_cast<uint16_t>((static_cast<uint8_t>(text[0]) << 8) | static_cast<uint8_t>(text[1]));
}

} // namespace

// ----- style -----

bool epiUiDynamicStyle::take(uint16_t code, const epiText& value)
{
    switch (code) {
    case suffix("Cc"): centre = epiUiBitmapText::parseColour(value); return true;
    case suffix("Bl"): light = epiUiBitmapText::parseColour(value); return true;
    case suffix("Bd"): dark = epiUiBitmapText::parseColour(value); return true;
    case suffix("Bs"): bevel = std::clamp(value.toInt(), 0, 64); return true;
    case suffix("Fs"): frameSize = std::clamp(value.toInt(), 0, 64); return true;
    case suffix("Fc"): frame = epiUiBitmapText::parseColour(value); return true;
    case suffix("Tc"): text = epiUiBitmapText::parseColour(value); return true;
    case suffix("Tf"): font = value.toCode(); return true;
    case suffix("Tp"):
        offset = {value.field(0, ',').toInt(), value.field(1, ',').toInt()};
        return true;
    case suffix("Ts"): shadow = std::clamp(value.toInt(), 0, 16); return true;
    default: return false;
    }
}

epiRect epiUiDynamicStyle::inner(const epiRect& box) const
{
    int32_t inset = frameSize + bevel;
    return {box.left + inset, box.top + inset, box.right - inset, box.bottom - inset};
}

void epiUiDynamicStyle::draw(epiResources* set, epiBitmap& target, const epiRect& box, const epiRect& clip,
                             const epiText& label) const
{
    auto band = [&](int32_t l, int32_t t, int32_t r, int32_t b, uint32_t colour) {
        target.fill(epiRect(l, t, r, b).intersection(clip), colour);
    };
    epiRect in = box;
    if (frameSize > 0) {
        band(in.left, in.top, in.right, in.top + frameSize, frame);
        band(in.left, in.bottom - frameSize, in.right, in.bottom, frame);
        band(in.left, in.top, in.left + frameSize, in.bottom, frame);
        band(in.right - frameSize, in.top, in.right, in.bottom, frame);
        in = {in.left + frameSize, in.top + frameSize, in.right - frameSize, in.bottom - frameSize};
    }
    if (bevel > 0) {
        band(in.left, in.top, in.right, in.top + bevel, light);
        band(in.left, in.top, in.left + bevel, in.bottom, light);
        band(in.left, in.bottom - bevel, in.right, in.bottom, dark);
        band(in.right - bevel, in.top, in.right, in.bottom, dark);
    }
    band(in.left + bevel, in.top + bevel, in.right - bevel, in.bottom - bevel, centre);
    if (!set || label.isEmpty())
        return;
    epiFont* shape = set->fonts().font(font);
    if (!shape)
        return;
    // Centred vertically by the height of a capital, as near as a font without metrics allows.
    epiRect textBox = box;
    textBox.offset(offset.x, offset.y + std::max(0, (box.height() - 12) / 2));
    epiRect textClip = clip.intersection(box);
    if (shadow > 0) {
        epiRect shadowBox = textBox;
        shadowBox.offset(shadow, shadow);
        shape->drawToBitmap(target, epiFont::kCentred, shadowBox, textClip, label, dark);
    }
    shape->drawToBitmap(target, epiFont::kCentred, textBox, textClip, label, text);
}

bool epiUiDynamicLook::take(epiCode code, const epiText& value)
{
    epiCode prefix = code >> 16;
    auto rest = static_cast<uint16_t>(code & 0xFFFF);
    if (prefix == (epiFourCC("un__") >> 16))
        return m_normal.take(rest, value);
    if (prefix == (epiFourCC("pr__") >> 16))
        return m_pressed.take(rest, value);
    return false;
}

// ----- image, button, check box -----

bool epiUiDynamicImage::acceptsParent(epiCode type) const
{
    return epiUiBitmapImage::isWidgetParent(type) || type == epiFourCC("ubob");
}

void epiUiDynamicImage::setAttributeText(epiCode code, const epiText& value)
{
    if (m_look.take(code, value))
        invalidate();
    else
        epiUbo::setAttributeText(code, value);
}

void epiUiDynamicImage::setText(const epiText& text)
{
    epiUbo::setText(text);
    invalidate();
}

void epiUiDynamicImage::drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    epiRect box = boundsAt(origin);
    epiRect clip = clipAt(origin, rect);
    m_look.style(showsPressed()).draw(resources(), target, box, clip, text());
}

epiUiBehaviour* epiUiDynamicButton::createBehaviour()
{
    return new epiUiBehave_button;
}

epiUiBehaviour* epiUiDynamicCheckBox::createBehaviour()
{
    return new epiUiBehave_checkBox;
}

bool epiUiDynamicButton::showsPressed() const
{
    return behaviour() && (behaviour()->isPressed() || behaviour()->isOn());
}

void epiUiDynamicButton::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (behaviour())
        behaviour()->setActive(enabled);
    invalidate();
}

void epiUiDynamicButton::setValue(int32_t value)
{
    if (!behaviour() || behaviour()->isOn() == (value != 0))
        return;
    behaviour()->setOn(value != 0);
    invalidate();
}

int32_t epiUiDynamicButton::value() const
{
    return behaviour() && behaviour()->isOn() ? 1 : 0;
}

// ----- knob -----

epiUiBehaviour* epiUiDynamicKnob::createBehaviour()
{
    auto* dragger = new epiUiBehaviourSmoothDragger;
    dragger->setDisplayRange(0, 270);
    return dragger;
}

epiUiBehaviourSmoothDragger* epiUiDynamicKnob::dragger() const
{
    return dynamic_cast<epiUiBehaviourSmoothDragger*>(behaviour());
}

void epiUiDynamicKnob::animationTick(double elapsed, int)
{
    if (auto* knob = dragger())
        knob->advance(static_cast<float>(elapsed));
}

epiPoint epiUiDynamicKnob::pointerEnd() const
{
    auto* knob = dragger();
    double span = knob ? std::max(1, knob->displayMaximum() - knob->displayMinimum()) : 1;
    double share = knob ? (knob->shownPosition() - knob->displayMinimum()) / span : 0;
    // From lower left (225 degrees) clockwise over 270 degrees to lower right.
    double angle = (225.0 - 270.0 * share) * M_PI / 180.0;
    epiPoint centre = bounds().referencePoint(8);
    double radius = std::min(bounds().width(), bounds().height()) / 2.0 - 2;
    return {centre.x + static_cast<int32_t>(std::lround(radius * std::cos(angle))),
            centre.y - static_cast<int32_t>(std::lround(radius * std::sin(angle)))};
}

void epiUiDynamicKnob::drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    epiUiDynamicImage::drawSelf(target, origin, rect);
    epiRect clip = clipAt(origin, rect);
    epiPoint from = bounds().referencePoint(8);
    epiPoint to = pointerEnd();
    int steps = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
    uint32_t colour = look().style(true).centre;
    for (int i = 0; i <= steps; ++i) {
        int32_t x = from.x + (steps ? (to.x - from.x) * i / steps : 0) + origin.x;
        int32_t y = from.y + (steps ? (to.y - from.y) * i / steps : 0) + origin.y;
        target.fill(epiRect(x - 1, y - 1, x + 1, y + 1).intersection(clip), colour);
    }
}

// ----- level meter -----

void epiUiDynamicLevelMeter::setAttributeText(epiCode code, const epiText& value)
{
    if (m_look.take(code, value))
        invalidate();
    else
        epiUiBitmapLevMeter::setAttributeText(code, value);
}

int32_t epiUiDynamicLevelMeter::fullLength() const
{
    return isVertical() ? frame().height() : frame().width();
}

void epiUiDynamicLevelMeter::drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    epiRect box = boundsAt(origin);
    epiRect clip = clipAt(origin, rect);
    m_look.style(false).draw(nullptr, target, box, clip, {});
    int32_t length = shownLength();
    epiRect level = isVertical() ? epiRect(box.left, box.bottom - length, box.right, box.bottom)
                                 : epiRect(box.left, box.top, box.left + length, box.bottom);
    target.fill(level.intersection(clip), m_look.style(true).centre);
}
