#pragma once

#include "audio/AudioData.h"

#include <atomic>
#include <cstdint>

namespace Zumeli {

// A peak meter for the level bars and the voice activation: it rises toward 1.5 * ln(1 + peak)
// at `attack` per second, holds a peak for 800 samples and falls at `release` per second.
// update and decay run on one thread (the audio callback); level() may be read from any.
class LevelMeter {
public:
    static constexpr int32_t HoldSamples = 800;

    explicit LevelMeter(int32_t sampleRate = 8000)
        : m_sampleRate(sampleRate)
    {
    }

    void update(const AudioData& block) { update(block.samples(), block.count()); }
    void update(const float* samples, int32_t n);
    // Lets the level fall for n samples of silence.
    void decay(int32_t n);
    void reset();

    float level() const { return m_level.load(std::memory_order_relaxed); }
    float held() const { return m_held; }
    int32_t sampleRate() const { return m_sampleRate; }
    void setSampleRate(int32_t rate) { m_sampleRate = rate; }
    void setAttack(float perSecond) { m_attack = perSecond; }
    void setRelease(float perSecond) { m_release = perSecond; }

private:
    std::atomic<float> m_level { 0 };
    float m_attack = 20;
    float m_release = 1;
    float m_held = 0;
    int32_t m_holdCounter = 0;
    int32_t m_sampleRate = 8000;
};

} // namespace Zumeli
