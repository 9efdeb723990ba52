#include "audio/AudioData.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace Zumeli {

AudioData::~AudioData() { release(); }

void AudioData::release()
{
    if (m_owned)
        std::free(m_samples);
    m_owned = false;
    m_samples = nullptr;
    m_count = m_capacity = 0;
}

void AudioData::allocate(int32_t n)
{
    release();
    n = std::max(n, 0);
    m_samples = static_cast<float*>(std::malloc(size_t(std::max(n, 1)) * sizeof(float)));
    if (!m_samples)
        throw std::bad_alloc();
    m_owned = true;
    m_count = m_capacity = n;
}

void AudioData::allocateZeroed(int32_t n)
{
    // calloc hands out large blocks as fresh zero pages: the scratch blocks sized for the longest
    // possible block cost resident memory only for the part that blocks really use.
    release();
    n = std::max(n, 0);
    m_samples = static_cast<float*>(std::calloc(size_t(std::max(n, 1)), sizeof(float)));
    if (!m_samples)
        throw std::bad_alloc();
    m_owned = true;
    m_count = m_capacity = n;
}

void AudioData::wrap(float* samples, int32_t n)
{
    release();
    m_samples = samples;
    m_count = m_capacity = samples ? std::max(n, 0) : 0;
}

void AudioData::setCount(int32_t n) { m_count = std::clamp(n, 0, m_capacity); }

void AudioData::copyFrom(const AudioData& other, bool resize)
{
    if (resize && other.m_count != m_count)
        allocate(other.m_count);
    m_count = std::min(other.m_count, m_capacity);
    if (m_count > 0)
        std::memcpy(m_samples, other.m_samples, size_t(m_count) * sizeof(float));
}

void AudioData::clear()
{
    if (m_count > 0)
        std::memset(m_samples, 0, size_t(m_count) * sizeof(float));
}

void AudioData::scale(float factor)
{
    for (int32_t i = 0; i < m_count; ++i)
        m_samples[i] *= factor;
}

void AudioData::clamp(float limit)
{
    // Written so that a NaN sample (which no comparison catches) also ends up silent.
    for (int32_t i = 0; i < m_count; ++i) {
        float s = m_samples[i];
        if (s > limit)
            s = limit;
        else if (s < -limit)
            s = -limit;
        else if (!(s == s))
            s = 0;
        m_samples[i] = s;
    }
}

void AudioData::add(const AudioData& other)
{
    int32_t n = std::min(m_count, other.m_count);
    for (int32_t i = 0; i < n; ++i)
        m_samples[i] += other.m_samples[i];
}

void AudioData::fade(float& gain, bool up)
{
    if (m_count <= 0)
        return;
    float step = 4.0f / float(m_count);
    float g = gain;
    for (int32_t i = 0; i < m_count; ++i) {
        if (up && g < 1)
            g = std::min(1.0f, g + step);
        else if (!up && g > 0)
            g = std::max(0.0f, g - step);
        m_samples[i] *= g;
    }
    gain = g;
}

} // namespace Zumeli
