#pragma once

#include <cstdint>

namespace Zumeli {

// Converts one continuous mono stream between two rates, block after block, as if it were one
// long block: a sample's place in time never depends on where the blocks were cut, and the
// converted side moves exactly n × to / from samples on average (no truncation per block).
// Shrinking averages the input over each output sample's span (fractional edges included);
// growing interpolates linearly between neighbouring inputs, one input sample late.
//
// Allocation-free, no locks; one object serves one stream on one thread (the audio callback).
class StreamResampler {
public:
    // Starts a new stream from `fromRate` to `toRate` (both above 0).
    void init(int32_t fromRate, int32_t toRate);

    int32_t fromRate() const { return m_from; }
    int32_t toRate() const { return m_to; }

    // The most outputs shrink() can write for n inputs.
    int32_t shrinkBound(int32_t n) const;
    // Rates from >= to: takes n inputs and writes the outputs they complete; returns how many.
    int32_t shrink(const float* input, int32_t n, float* output);

    // Rates from <= to: how many inputs the next n outputs need. Call once per block, then
    // grow() with exactly that many inputs.
    int32_t inputsFor(int32_t n);
    // Writes n outputs from the `count` inputs inputsFor(n) asked for.
    void grow(const float* input, int32_t count, float* output, int32_t n);
    // As grow() for a block that plays nothing: the stream keeps its place, the inputs were silence.
    void skip(int32_t count, int32_t n);

private:
    int32_t m_from = 0;
    int32_t m_to = 0;

    // Shrinking: the output sample being summed, in units of 1/(from × to) second.
    double m_sum = 0;
    int64_t m_filled = 0;

    // Growing: the next output's position relative to the block's first input, in units of
    // 1/to input sample (negative while it lies among the previous block's inputs), the inputs
    // taken so far ahead of the outputs, and the last two inputs of the previous block.
    int64_t m_position = 0;
    int64_t m_inputRemainder = 0;
    float m_history[2] = { 0, 0 };
};

} // namespace Zumeli
