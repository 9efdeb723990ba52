#include "ui/epiUiBitmapButton.h"

#include "ui/epiUiBehave_button.h"

epiUiBehaviour* epiUiBitmapButton::createBehaviour()
{
    return new epiUiBehave_button;
}

epiUiBehaviour* epiUiBitmapCheckBox::createBehaviour()
{
    return new epiUiBehave_checkBox;
}

epiUiBehaviour* epiUiBitmapRadio::createBehaviour()
{
    return new epiUiBehave_radio;
}

bool epiUiBitmapButton::isOn() const
{
    return behaviour() && behaviour()->isOn();
}

bool epiUiBitmapButton::isPressed() const
{
    return behaviour() && behaviour()->isPressed();
}

void epiUiBitmapButton::setValue(int32_t value)
{
    if (!behaviour() || behaviour()->isOn() == (value != 0))
        return;
    behaviour()->setOn(value != 0);
    invalidate();
}

void epiUiBitmapButton::click()
{
    if (behaviour())
        behaviour()->click();
}

int epiUiBitmapButton::currentFace() const
{
    if (!isEnabled() && face(4))
        return 4;
    return 2 * (isOn() ? 1 : 0) + (isPressed() ? 1 : 0);
}
