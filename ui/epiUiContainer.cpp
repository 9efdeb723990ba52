#include "ui/epiUiContainer.h"

bool epiUiContainer::acceptsParent(epiCode type) const
{
    switch (type) {
    case epiFourCC("iWin"):
    case epiFourCC("iSco"):
    case epiFourCC("iBco"):
    case epiFourCC("iCon"):
    case epiFourCC("iCos"):
    case epiFourCC("iBde"):
    case epiFourCC("ubob"):
        return true;
    default:
        return false;
    }
}

void epiUiContainer::setAttributeText(epiCode code, const epiText& value)
{
    if (code != epiFourCC("chil"))
        return epiUbo::setAttributeText(code, value);
    m_childLayout = value;
    if (!isFirstShow())
        loadChildLayout(m_childLayout);
}

void epiUiContainer::setAttribute(epiCode code, int32_t value)
{
    if (code == epiFourCC("prwi"))
        m_preserve = value != 0;
    epiUbo::setAttribute(code, value);
}

bool epiUiContainer::getAttribute(epiCode code, epiText& value) const
{
    if (code == epiFourCC("chil")) {
        value.assign(m_childLayout);
        return true;
    }
    return epiUbo::getAttribute(code, value);
}

void epiUiContainer::create()
{
    epiUbo::create();
    loadChildLayout(m_childLayout);
}

void epiUiContainer::setValue(int32_t value)
{
    if (value == m_value)
        return;
    m_value = value;
    invalidate();
}
