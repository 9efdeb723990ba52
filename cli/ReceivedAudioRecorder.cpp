#include "cli/ReceivedAudioRecorder.h"

#include "platform/Clock.h"

#include <cmath>

namespace Zumeli {

bool ReceivedAudioRecorder::open(const std::string& path, int32_t deviceRate)
{
    if (deviceRate <= 0)
        return false;
    m_deviceRate = deviceRate;
    // 10 ms chunks: the resampler turns each into exactly 441 samples.
    m_chunk = deviceRate / 100;
    m_in.assign(size_t(m_chunk), 0.0f);
    m_out.assign(size_t(FileRate / 100), 0.0f);
    m_resampler.init(m_chunk, FileRate / 100);
    m_ring.setSampleRate(deviceRate);
    return m_writer.open(path, FileRate);
}

void ReceivedAudioRecorder::receivedAudio(const float* samples, int32_t n)
{
    // Reading the monotonic clock neither blocks nor allocates.
    if (m_firstHeard.load(std::memory_order_relaxed) == 0) {
        for (int32_t i = 0; i < n; ++i) {
            if (std::fabs(samples[i]) > AudibleLevel) {
                m_firstHeard.store(Platform::tickMilliseconds() + uint64_t(i) * 1000u / uint64_t(m_deviceRate),
                                   std::memory_order_release);
                break;
            }
        }
    }
    if (!m_ring.writeSamples(samples, n))
        m_lost += n;
}

bool ReceivedAudioRecorder::drain()
{
    if (!m_writer.isOpen() || m_failed)
        return !m_failed;
    while (m_ring.available() >= m_chunk) {
        if (!m_ring.readSamples(m_in.data(), m_chunk, false))
            break;
        const float* out = m_in.data();
        int32_t count = m_chunk;
        if (m_deviceRate != FileRate) {
            m_resampler.process(m_in.data(), m_chunk, m_out.data(), int32_t(m_out.size()));
            out = m_out.data();
            count = int32_t(m_out.size());
        }
        if (!m_writer.append(out, count)) {
            m_failed = true;
            return false;
        }
    }
    return true;
}

bool ReceivedAudioRecorder::finish()
{
    bool drained = drain();
    return m_writer.finish() && drained;
}

} // namespace Zumeli
