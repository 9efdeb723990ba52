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

bool epiUiChildLayout::set(epiUbo& container, epiCode code, const epiText& fileName)
{
    if (code != epiFourCC("chil"))
        return false;
    m_fileName = fileName;
    if (!container.isFirstShow())
        build(container);
    return true;
}

bool epiUiChildLayout::get(epiCode code, epiText& value) const
{
    if (code != epiFourCC("chil"))
        return false;
    value.assign(m_fileName);
    return true;
}

void epiUiContainer::setAttributeText(epiCode code, const epiText& value)
{
    if (!m_childLayout.set(*this, code, value))
        epiUbo::setAttributeText(code, value);
}

void epiUiContainer::setAttribute(epiCode code, int32_t value)
{
    if (code == epiFourCC("prwi"))
        m_preserve = value != 0;
    epiUbo::setAttribute(code, value);
}

bool epiUiContainer::getAttribute(epiCode code, epiText& value) const
{
    return m_childLayout.get(code, value) || epiUbo::getAttribute(code, value);
}

void epiUiContainer::create()
{
    epiUbo::create();
    m_childLayout.build(*this);
}

void epiUiContainer::setValue(int32_t value)
{
    if (value == m_value)
        return;
    m_value = value;
    invalidate();
}
