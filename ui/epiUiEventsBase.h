#pragma once

#include "ui/epiUbo.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// A UI object that can run a periodic timer on a thread of its own: tick() of the target (the
// object itself when none is given) is called every period on that thread, not on the main
// thread, so a target must not touch toolkit objects without its own synchronisation.
class epiUiEventsBase : public epiUbo
{
public:
    ~epiUiEventsBase() override;

    // Starts (or restarts) the periodic timer; false for a period that is not positive.
    bool startPeriodicTimer(double seconds, epiApplicationObject* target = nullptr);
    // Stops it and waits for a tick in progress to end.
    void stopPeriodicTimer();
    bool hasPeriodicTimer() const { return m_thread.joinable(); }

    void shutdown() override;

private:
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
};
