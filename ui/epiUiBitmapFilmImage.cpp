#include "ui/epiUiBitmapFilmImage.h"

#include "ui/epiBitmap.h"
#include "ui/epiResources.h"
#include "ui/epiUiBehaviourDragger.h"

void epiUiBitmapFilmImage::setAttribute(epiCode code, int32_t value)
{
    if (code == epiFourCC("frms"))
        setFrames(value);
    epiUiBitmapImage::setAttribute(code, value);
}

void epiUiBitmapFilmImage::setFrames(int32_t frames)
{
    m_frames = frames > 0 ? frames : 1;
    invalidate();
}

void epiUiBitmapFilmImage::setValue(int32_t value)
{
    if (value == m_value)
        return;
    m_value = value;
    invalidate();
}

int32_t epiUiBitmapFilmImage::shownFrame() const
{
    int32_t frame = m_value % m_frames;
    return frame < 0 ? frame + m_frames : frame;
}

void epiUiBitmapFilmImage::drawSelf(epiBitmap& target, epiPoint origin, const epiRect& rect)
{
    epiBitmap* image = strip();
    if (!image)
        return;
    int32_t frameHeight = image->height() / m_frames;
    if (frameHeight <= 0)
        return;
    epiRect source = epiRect::fromSize(0, shownFrame() * frameHeight, image->width(), frameHeight);
    epiRect destination = boundsAt(origin);
    epiRect clip = clipAt(origin, rect);
    drawImagePart(target, *image, source, destination, clip);
}

// ----- rotary -----

epiUiBitmapRotary::~epiUiBitmapRotary()
{
    if (m_disabled)
        if (epiResources* set = resources())
            set->unuseBitmap(m_disabled);
}

epiUiBehaviour* epiUiBitmapRotary::createBehaviour()
{
    auto* dragger = new epiUiBehaviourSmoothDragger;
    dragger->setDisplayRange(0, frames() - 1);
    return dragger;
}

epiUiBehaviourSmoothDragger* epiUiBitmapRotary::dragger() const
{
    return dynamic_cast<epiUiBehaviourSmoothDragger*>(behaviour());
}

void epiUiBitmapRotary::setAttributeText(epiCode code, const epiText& value)
{
    if (code != epiFourCC("disb"))
        return epiUiBitmapFilmImage::setAttributeText(code, value);
    epiResources* set = resources();
    if (value.isEmpty() || !set)
        return;
    if (m_disabled)
        set->unuseBitmap(m_disabled);
    m_disabled = set->bitmap(value, epiResources::kImages);
    invalidate();
}

void epiUiBitmapRotary::setFrames(int32_t frames)
{
    epiUiBitmapFilmImage::setFrames(frames);
    if (auto* knob = dragger())
        knob->setDisplayRange(0, this->frames() - 1);
}

int32_t epiUiBitmapRotary::shownFrame() const
{
    auto* knob = dragger();
    return knob ? knob->shownPosition() : epiUiBitmapFilmImage::shownFrame();
}

void epiUiBitmapRotary::setKnobValue(float value)
{
    if (auto* knob = dragger())
        knob->setValue(value);
}

float epiUiBitmapRotary::knobValue() const
{
    auto* knob = dragger();
    return knob ? knob->value() : 0;
}

void epiUiBitmapRotary::animationTick(double elapsed, int)
{
    if (auto* knob = dragger())
        knob->advance(static_cast<float>(elapsed));
}

epiBitmap* epiUiBitmapRotary::strip() const
{
    return !isEnabled() && m_disabled ? m_disabled : face(0);
}

epiUiBehaviour* epiUiBitmapTriggeredRotary::createBehaviour()
{
    auto* dragger = new epiUiBehaviourTriggeredDragger;
    dragger->setDisplayRange(0, frames() - 1);
    return dragger;
}

bool epiUiBitmapTriggeredRotary::trigger(int index)
{
    auto* knob = dynamic_cast<epiUiBehaviourTriggeredDragger*>(behaviour());
    return knob && knob->trigger(index);
}
