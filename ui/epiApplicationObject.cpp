#include "ui/epiApplicationObject.h"

#include "ui/epiApplication.h"

void epiApplicationObject::lastReleased()
{
    if (m_application)
        m_application->deferDestroy(this);
    else
        delete this;
}

void epiApplicationObject::notified(epiCode, epiUbo*, intptr_t) {}
