#pragma once

#include "ui/epiObject.h"

#include <cstdint>
#include <vector>

class epiApplication;
class epiUbo;

// Base of everything an application owns. When its last reference goes, an object that belongs
// to an application is handed to it for deferred destruction (so an object can release itself
// from inside its own event handler); one without an application deletes itself.
class epiApplicationObject : public epiObject
{
public:
    epiCode typeCode() const override { return epiFourCC("oApp"); }
    void lastReleased() override;

    epiApplication* application() const { return m_application; }
    virtual void setApplication(epiApplication* application) { m_application = application; }

    // A notification from an object this one observes.
    virtual void notified(epiCode code, epiUbo* sender, intptr_t value);

    // An observer that goes away leaves the lists of the objects it observed.
    ~epiApplicationObject() override;

private:
    friend class epiUbo;

    epiApplication* m_application = nullptr;
    std::vector<epiUbo*> m_observed;
};
