#include "audio/LevelMeter.h"

#include <algorithm>
#include <cmath>

namespace Zumeli {

void LevelMeter::update(const float* samples, int32_t n)
{
    if (m_sampleRate <= 0)
        return;
    float peak = 0;
    for (int32_t i = 0; i < n; ++i)
        peak = std::max(peak, std::fabs(samples[i]));
    peak = std::min(peak, 0.99f);
    float target = std::min(1.0f, 1.5f * std::log(1.0f + peak));

    if (target < m_held) {
        if (m_holdCounter <= 0)
            m_held = target;
        else
            m_holdCounter -= n;
    } else {
        m_holdCounter = HoldSamples;
        m_held = target;
    }

    float level = m_level.load(std::memory_order_relaxed);
    float seconds = float(std::max(n, 0)) / float(m_sampleRate);
    if (level < m_held)
        level = std::min(m_held, level + m_attack * seconds);
    else if (level > m_held)
        level = std::max(m_held, level - m_release * seconds);
    m_level.store(level, std::memory_order_relaxed);
}

void LevelMeter::decay(int32_t n)
{
    float level = m_level.load(std::memory_order_relaxed);
    if (level > 0 && m_sampleRate > 0 && n > 0)
        m_level.store(std::max(0.0f, level - m_release * float(n) / float(m_sampleRate)), std::memory_order_relaxed);
}

void LevelMeter::reset()
{
    m_level.store(0, std::memory_order_relaxed);
    m_held = 0;
    m_holdCounter = 0;
}

} // namespace Zumeli
