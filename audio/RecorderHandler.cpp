#include "audio/RecorderHandler.h"

#include "audio/AudioTimeText.h"

#include <algorithm>
#include <cstdio>

namespace Zumeli {

RecorderHandler::RecorderHandler()
    : m_ring(std::make_unique<float[]>(size_t(RingSamples)))
{
}

std::string RecorderHandler::nextFileName() const
{
    if (m_filesWritten == 0)
        return m_path;
    // The extension is what follows the last dot of the file's own name.
    const size_t slash = m_path.find_last_of('/');
    const size_t dot = m_path.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string stem = hasExtension ? m_path.substr(0, dot) : m_path;
    return stem + "_" + std::to_string(m_filesWritten) + ".wav";
}

bool RecorderHandler::start()
{
    if (recording())
        stop();
    m_fileName = nextFileName();
    std::printf("Opening write file %s\n", m_fileName.c_str());
    std::fflush(stdout);
    if (!m_writer.open(m_fileName, m_rate)) {
        m_writer.finish();
        m_failed = true;
        return false;
    }
    m_failed = false;
    // The ring starts empty: nothing is appended while the gate is closed.
    m_readCount.store(m_writeCount.load());
    m_dropped.store(0);
    ++m_filesWritten;
    m_gate.open();
    return true;
}

void RecorderHandler::append(const float* samples, int32_t n)
{
    if (n <= 0 || !m_gate.enter())
        return;
    int64_t write = m_writeCount.load(std::memory_order_relaxed);
    const int64_t read = m_readCount.load(std::memory_order_acquire);
    const auto room = int32_t(RingSamples - (write - read));
    const int32_t taken = std::min(n, room);
    for (int32_t i = 0; i < taken; ++i)
        m_ring[size_t((write + i) % RingSamples)] = samples[i];
    m_writeCount.store(write + taken, std::memory_order_release);
    if (taken < n)
        m_dropped.fetch_add(n - taken, std::memory_order_relaxed);
    m_gate.leave();
}

void RecorderHandler::drain()
{
    if (!m_writer.isOpen())
        return;
    const int64_t write = m_writeCount.load(std::memory_order_acquire);
    int64_t read = m_readCount.load(std::memory_order_relaxed);
    const int64_t pending = std::min<int64_t>(write - read, RingSamples);
    for (int64_t done = 0; done < pending;) {
        const auto at = size_t(read % RingSamples);
        const auto span = int32_t(std::min<int64_t>(pending - done, int64_t(RingSamples) - int64_t(at)));
        if (!m_writer.append(m_ring.get() + at, span))
            m_failed = true;
        read += span;
        done += span;
    }
    m_readCount.store(read, std::memory_order_release);
}

bool RecorderHandler::stop()
{
    if (!m_writer.isOpen())
        return false;
    m_gate.close(); // after this no block appends, so the last drain takes everything
    drain();
    const bool ok = m_writer.finish() && !m_failed;
    m_failed = !ok;
    return ok;
}

std::string RecorderHandler::timeText() const
{
    return audioTimeText(samplesWritten(), m_rate);
}

} // namespace Zumeli
