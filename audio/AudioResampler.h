#pragma once

#include "audio/AudioData.h"

#include <cstdint>

namespace Zumeli {

// Changes the sample count of one mono block to another, block after block: a box average when
// the block shrinks, a linear interpolation with one sample of delay when it grows (the last
// input sample carries over to the next block). No filtering beyond that; cheap, allocation-free,
// safe on the audio thread. A stream that grows needs its own resampler for the carried sample.
class AudioResampler {
public:
    AudioResampler() = default;
    virtual ~AudioResampler() = default;

    // Records the ratio the stream is configured for; process takes sizes from its blocks.
    void init(int32_t inputCount, int32_t outputCount);

    // Fills all output.count() samples from input.count() samples.
    void process(const AudioData& input, AudioData& output);
    void process(const float* input, int32_t n, float* output, int32_t m);

    int32_t inputCount() const { return m_inputCount; }
    int32_t outputCount() const { return m_outputCount; }
    float previousSample() const { return m_previous; }

private:
    int32_t m_inputCount = 0;
    int32_t m_outputCount = 0;
    float m_previous = 0;
};

} // namespace Zumeli
