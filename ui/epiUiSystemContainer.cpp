#include "ui/epiUiSystemContainer.h"

void epiUiSystemContainer::setAttribute(epiCode code, int32_t value)
{
    if (code == epiFourCC("Grup"))
        m_group = value;
    epiUiContainer::setAttribute(code, value);
}

void epiUiSystemDecorate::setAttribute(epiCode code, int32_t value)
{
    if (code == epiFourCC("Grup"))
        m_group = value;
    epiUiDecorate::setAttribute(code, value);
}
