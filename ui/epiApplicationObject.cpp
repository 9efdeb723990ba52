#include "ui/epiApplicationObject.h"

#include "ui/epiApplication.h"
#include "ui/epiUbo.h"

void epiApplicationObject::lastReleased()
{
    if (m_application)
        m_application->releaseLater(this);
    else
        delete this;
}

epiObject* epiApplicationObject::createObject(epiCode family, epiCode kind, epiCode id)
{
    if (!m_application || static_cast<epiObject*>(m_application) == this)
        return nullptr;
    return m_application->createObject(family, kind, id);
}

void epiApplicationObject::shutdown()
{
    if (m_application)
        m_application->cancelTimers(this);
}

bool epiApplicationObject::receiveCommand(epiCode, intptr_t, intptr_t)
{
    return false;
}

void epiApplicationObject::postCommand(epiApplicationObject* target, epiCode code, intptr_t value, intptr_t extra)
{
    if (m_application)
        m_application->postCommand(target, code, value, extra);
}

void epiApplicationObject::notified(epiCode, epiUbo*, intptr_t) {}

epiApplicationObject::~epiApplicationObject()
{
    std::vector<epiUbo*> observed = std::move(m_observed);
    for (epiUbo* object : observed)
        object->forgetObserver(this);
    if (m_application && static_cast<epiObject*>(m_application) != this)
        m_application->forgetObject(this);
}
