#include "audio/AudioResampler.h"

#include <cstring>

namespace Zumeli {

void AudioResampler::init(int32_t inputCount, int32_t outputCount)
{
    m_inputCount = inputCount;
    m_outputCount = outputCount;
}

void AudioResampler::process(const AudioData& input, AudioData& output)
{
    process(input.samples(), input.count(), output.samples(), output.count());
}

void AudioResampler::process(const float* input, int32_t n, float* output, int32_t m)
{
    if (m <= 0 || !output)
        return;
    if (n <= 0 || !input) {
        // Nothing to convert: an empty block yields silence.
        std::memset(output, 0, size_t(m) * sizeof(float));
        return;
    }
    if (m == n) {
        std::memmove(output, input, size_t(m) * sizeof(float));
        return;
    }
    if (m < n) {
        int64_t start = 0;
        for (int32_t k = 0; k < m; ++k) {
            int64_t end = (int64_t(k + 1) * n) / m;
            float sum = 0;
            for (int64_t j = start; j < end; ++j)
                sum += input[j];
            output[k] = sum / float(end - start);
            start = end;
        }
        return;
    }
    // Growing: output i sits at input position p = n * i / m, between input[j - 1] and input[j].
    // (n * i exactly, then one division, so whole-number positions come out whole.)
    float previous = m_previous;
    for (int32_t i = 0; i < m; ++i) {
        double p = double(n) * i / m;
        int32_t j = int32_t(p);
        float a = j > 0 ? input[j - 1] : previous;
        output[i] = a + float(p - j) * (input[j] - a);
    }
    m_previous = input[n - 1];
}

} // namespace Zumeli
