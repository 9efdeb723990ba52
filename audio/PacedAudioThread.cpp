#include "audio/PacedAudioThread.h"

#include <cerrno>
#include <ctime>

namespace Zumeli {

bool PacedAudioThread::start(int32_t rate, bool paced, BlockFunction block)
{
    stop();
    if (rate <= 0)
        return false;
    m_stop.store(false, std::memory_order_release);
    m_running.store(true, std::memory_order_release);
    m_thread = std::thread([this, rate, paced, block = std::move(block)] {
        const long blockNanos = long(1e9 * IAudioBackend::BlockFrames / rate);
        timespec next {};
        clock_gettime(CLOCK_MONOTONIC, &next);
        while (!m_stop.load(std::memory_order_acquire)) {
            if (!block())
                break;
            if (!paced)
                continue;
            next.tv_nsec += blockNanos;
            while (next.tv_nsec >= 1000000000L) {
                next.tv_nsec -= 1000000000L;
                ++next.tv_sec;
            }
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) == EINTR) { }
        }
        m_running.store(false, std::memory_order_release);
    });
    return true;
}

void PacedAudioThread::stop()
{
    m_stop.store(true, std::memory_order_release);
    if (m_thread.joinable())
        m_thread.join();
    m_running.store(false, std::memory_order_release);
}

} // namespace Zumeli
