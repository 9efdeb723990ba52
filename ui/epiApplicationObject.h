#pragma once

#include "ui/epiObject.h"

#include <cstdint>
#include <vector>

class epiApplication;
class epiUbo;

// Base of everything an application owns. When its last reference goes, an object that belongs
// to an application is handed to it for deferred destruction (so an object can release itself
// from inside its own event handler); one without an application deletes itself.
//
// The virtual operations below are the hooks every application object shares: life (init,
// shutdown), commands posted to it, timers scheduled for it and notifications from objects it
// observes.
class epiApplicationObject : public epiObject
{
public:
    // An observer that goes away leaves the lists of the objects it observed, and its timers and
    // the animation list are cancelled so that no scan calls it afterwards.
    ~epiApplicationObject() override;

    epiCode typeCode() const override { return epiFourCC("oApp"); }
    void lastReleased() override;
    // Forwards to the application's factory; null without an application, or for the
    // application itself (whose own createObject is the factory).
    epiObject* createObject(epiCode family, epiCode kind, epiCode id) override;

    epiApplication* application() const { return m_application; }
    virtual void setApplication(epiApplication* application) { m_application = application; }
    virtual void copyApplication(const epiApplicationObject& other) { setApplication(other.application()); }

    virtual bool init() { return true; }
    // Cancels every timer of this object.
    virtual void shutdown();
    // A command posted to this object; false when not handled.
    virtual bool receiveCommand(epiCode code, intptr_t value, intptr_t extra);
    // A scheduled timer of this object fired (main thread); the base calls tick().
    virtual void timerFired() { tick(); }
    // Called by timerFired, and by a periodic timer on its own thread (epiUiEventsBase).
    virtual void tick() {}
    // Queues a command for `target`, delivered later by the application (one per 0.1 s).
    void postCommand(epiApplicationObject* target, epiCode code, intptr_t value = 0, intptr_t extra = 0);
    // A notification from an object this one observes.
    virtual void notified(epiCode code, epiUbo* sender, intptr_t value);

private:
    friend class epiUbo;

    epiApplication* m_application = nullptr;
    std::vector<epiUbo*> m_observed;
};
