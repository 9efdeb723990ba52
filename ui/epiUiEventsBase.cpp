#include "ui/epiUiEventsBase.h"

#include <chrono>

epiUiEventsBase::~epiUiEventsBase()
{
    stopPeriodicTimer();
}

bool epiUiEventsBase::startPeriodicTimer(double seconds, epiApplicationObject* target)
{
    if (!(seconds > 0))
        return false;
    stopPeriodicTimer();
    epiApplicationObject* receiver = target ? target : this;
    auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
    m_stop = false;
    m_thread = std::thread([this, receiver, period] {
        // Fixed rate: each tick is due one period after the previous due time.
        auto due = std::chrono::steady_clock::now() + period;
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_stop) {
            if (m_wake.wait_until(lock, due, [this] { return m_stop; }))
                break;
            lock.unlock();
            receiver->tick();
            lock.lock();
            due += period;
        }
    });
    return true;
}

void epiUiEventsBase::stopPeriodicTimer()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void epiUiEventsBase::shutdown()
{
    stopPeriodicTimer();
    epiUbo::shutdown();
}
