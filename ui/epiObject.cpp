#include "ui/epiObject.h"

void epiObject::makeCounted()
{
    if (!isCounted())
        m_referenceCount = 1;
}

void epiObject::retain()
{
    if (isCounted())
        ++m_referenceCount;
}

void epiObject::release()
{
    if (!isCounted() || m_referenceCount <= 0)
        return;
    if (--m_referenceCount == 0) {
        willRelease();
        lastReleased();
    }
}

void epiObject::lastReleased()
{
    delete this;
}

epiObject* epiObject::createObject(epiCode, epiCode, epiCode)
{
    return nullptr;
}
