#pragma once

#include <atomic>
#include <chrono>
#include <thread>

namespace Zumeli {

// Lets the user interface thread take something away from the audio thread without a lock:
// the audio thread enters before it touches the guarded data and leaves when it is done; the
// user interface thread closes the gate and, on return, knows the audio thread is not inside
// and will not enter until the gate opens again. Closing waits only while a block is inside
// (a fraction of a block period); with no stream running it returns at once.
//
// Both sides use sequentially consistent operations: the audio thread marks itself inside
// before it reads the gate, the closer shuts the gate before it reads the mark, so at least one
// of them sees the other.
class AudioThreadGate {
public:
    // Audio thread. True when entered; then leave() must follow in the same block.
    bool enter()
    {
        m_inside.store(true);
        if (m_open.load())
            return true;
        m_inside.store(false);
        return false;
    }
    void leave() { m_inside.store(false); }

    // User interface thread.
    void open() { m_open.store(true); }
    void close()
    {
        m_open.store(false);
        // Bounded: an audio thread that entered and never left (a caller that broke the
        // contract) must not hang the user interface.
        for (int i = 0; i < 10000 && m_inside.load(); ++i)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    bool isOpen() const { return m_open.load(); }

private:
    std::atomic<bool> m_open { false };
    std::atomic<bool> m_inside { false };
};

} // namespace Zumeli
