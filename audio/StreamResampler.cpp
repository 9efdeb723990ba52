#include "audio/StreamResampler.h"

#include <cstring>

namespace Zumeli {

void StreamResampler::init(int32_t fromRate, int32_t toRate)
{
    m_from = fromRate > 0 ? fromRate : 1;
    m_to = toRate > 0 ? toRate : 1;
    m_sum = 0;
    m_filled = 0;
    m_position = 0;
    // Inputs are taken rounding up, so every output finds both its neighbours present.
    m_inputRemainder = m_to - 1;
    m_history[0] = m_history[1] = 0;
}

int32_t StreamResampler::shrinkBound(int32_t n) const
{
    if (n <= 0 || m_from <= 0)
        return 0;
    return int32_t((int64_t(n) * m_to + m_filled) / m_from);
}

int32_t StreamResampler::shrink(const float* input, int32_t n, float* output)
{
    if (n <= 0 || !input || !output)
        return 0;
    if (m_from == m_to) {
        std::memmove(output, input, size_t(n) * sizeof(float));
        return n;
    }
    // Each input covers `to` units and each output `from` units (from > to), so one input
    // completes at most one output.
    int32_t written = 0;
    for (int32_t i = 0; i < n; ++i) {
        float x = input[i];
        if (m_filled + m_to < m_from) {
            m_sum += double(x) * m_to;
            m_filled += m_to;
            continue;
        }
        int64_t part = m_from - m_filled;
        output[written++] = float((m_sum + double(x) * double(part)) / m_from);
        int64_t rest = m_to - part;
        m_sum = double(x) * double(rest);
        m_filled = rest;
    }
    return written;
}

int32_t StreamResampler::inputsFor(int32_t n)
{
    if (n <= 0 || m_to <= 0)
        return 0;
    int64_t scaled = int64_t(n) * m_from + m_inputRemainder;
    m_inputRemainder = scaled % m_to;
    return int32_t(scaled / m_to);
}

void StreamResampler::grow(const float* input, int32_t count, float* output, int32_t n)
{
    if (n <= 0 || !output)
        return;
    if (count <= 0 || !input) {
        std::memset(output, 0, size_t(n) * sizeof(float));
        m_position += int64_t(n) * m_from;
        return;
    }
    if (m_from == m_to && count == n) {
        std::memmove(output, input, size_t(n) * sizeof(float));
        return;
    }
    // Input k of this block for k >= -2 (the previous block's last two for -2 and -1).
    auto sample = [&](int64_t k) -> float {
        if (k >= 0)
            return input[k < count ? k : count - 1];
        return m_history[k == -1 ? 1 : 0];
    };
    int64_t position = m_position;
    for (int32_t i = 0; i < n; ++i, position += m_from) {
        int64_t j = position >= 0 ? position / m_to : -((-position + m_to - 1) / m_to);
        float fraction = float(position - j * m_to) / float(m_to);
        float a = sample(j - 1);
        output[i] = a + fraction * (sample(j) - a);
    }
    m_position = position - int64_t(count) * m_to;
    m_history[0] = count >= 2 ? input[count - 2] : m_history[1];
    m_history[1] = input[count - 1];
}

void StreamResampler::skip(int32_t count, int32_t n)
{
    m_position += int64_t(n) * m_from - int64_t(count) * m_to;
    m_history[0] = m_history[1] = 0;
}

} // namespace Zumeli
