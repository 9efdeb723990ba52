#include "cli/EchoCapture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Zumeli {

EchoCapture::EchoCapture(int32_t deviceRate, double maxSeconds, IClientAudioDelegate* next)
    : m_samples(size_t(std::max(1.0, double(deviceRate) * maxSeconds)), 0.0f)
    , m_next(next)
{
}

void EchoCapture::begin()
{
    m_capturing.store(false, std::memory_order_release);
    m_count.store(0, std::memory_order_release);
    m_capturing.store(true, std::memory_order_release);
}

std::vector<float> EchoCapture::take(size_t margin)
{
    m_capturing.store(false, std::memory_order_release);
    size_t count = m_count.load(std::memory_order_acquire);
    // About -34 dBFS: above the codec's noise floor, below any speech.
    constexpr float Audible = 0.02f;
    size_t first = 0;
    while (first < count && std::fabs(m_samples[first]) < Audible)
        ++first;
    if (first == count)
        return {};
    size_t last = count - 1;
    while (last > first && std::fabs(m_samples[last]) < Audible)
        --last;
    first = first > margin ? first - margin : 0;
    last = std::min(count - 1, last + margin);
    return std::vector<float>(m_samples.begin() + long(first), m_samples.begin() + long(last) + 1);
}

void EchoCapture::microphoneAudio(const float* samples, int32_t n)
{
    if (m_next)
        m_next->microphoneAudio(samples, n);
}

void EchoCapture::receivedAudio(const float* samples, int32_t n)
{
    if (m_next)
        m_next->receivedAudio(samples, n);
    if (!m_capturing.load(std::memory_order_acquire) || n <= 0)
        return;
    size_t count = m_count.load(std::memory_order_relaxed);
    size_t room = m_samples.size() - count;
    size_t take = std::min(room, size_t(n));
    std::memcpy(m_samples.data() + count, samples, take * sizeof(float));
    m_count.store(count + take, std::memory_order_release);
}

} // namespace Zumeli
