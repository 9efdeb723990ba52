#pragma once

#include "audio/IAudioBackend.h"

#include <atomic>
#include <functional>
#include <thread>

namespace Zumeli {

// A thread that calls a block function every 512 frames' worth of time at a given rate, on an
// absolute schedule so that the pace does not drift; unpaced, it runs as fast as it can (for
// tools that render offline). The block function returns false to end the stream.
class PacedAudioThread {
public:
    using BlockFunction = std::function<bool()>;

    ~PacedAudioThread() { stop(); }
    bool start(int32_t rate, bool paced, BlockFunction block);
    void stop();
    bool isRunning() const { return m_running.load(std::memory_order_acquire); }

private:
    std::thread m_thread;
    std::atomic<bool> m_stop { false };
    std::atomic<bool> m_running { false };
};

} // namespace Zumeli
