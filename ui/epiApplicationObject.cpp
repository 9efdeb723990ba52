#include "ui/epiApplicationObject.h"

#include "ui/epiApplication.h"
#include "ui/epiUbo.h"

void epiApplicationObject::lastReleased()
{
    if (m_application)
        m_application->deferDestroy(this);
    else
        delete this;
}

void epiApplicationObject::notified(epiCode, epiUbo*, intptr_t) {}

epiApplicationObject::~epiApplicationObject()
{
    std::vector<epiUbo*> observed = std::move(m_observed);
    for (epiUbo* object : observed)
        object->forgetObserver(this);
}
