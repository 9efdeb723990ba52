#include "audio/sixFFT.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Zumeli {

namespace {

// The smallest power of two not below n, and its logarithm.
int32_t powerOfTwoFor(int32_t n, int32_t& log2)
{
    int32_t size = 1;
    log2 = 0;
    while (size < n && size < (1 << 30)) {
        size <<= 1;
        ++log2;
    }
    return size;
}

} // namespace

void sixFFT::reserve(int32_t n)
{
    int32_t log2;
    int32_t size = powerOfTwoFor(n, log2);
    if (size <= m_capacity)
        return;
    m_re = std::make_unique<double[]>(size_t(size));
    m_im = std::make_unique<double[]>(size_t(size));
    m_magnitude = std::make_unique<double[]>(size_t(size));
    m_cos = std::make_unique<double[]>(size_t(size / 2 + 1));
    m_sin = std::make_unique<double[]>(size_t(size / 2 + 1));
    m_reversed = std::make_unique<int32_t[]>(size_t(size));
    m_capacity = size;
    m_tableSize = 0;
}

bool sixFFT::prepare(int32_t n, bool mayGrow)
{
    if (n < 1)
        return false;
    int32_t log2;
    int32_t size = powerOfTwoFor(n, log2);
    if (size < 2)
        return false;
    if (size > m_capacity) {
        if (!mayGrow)
            return false;
        reserve(size);
    }
    m_size = size;
    m_log2 = log2;
    if (m_tableSize != size) {
        for (int32_t k = 0; k < size / 2; ++k) {
            double angle = 2.0 * std::numbers::pi * double(k) / double(size);
            m_cos[size_t(k)] = std::cos(angle);
            m_sin[size_t(k)] = -std::sin(angle);
        }
        for (int32_t i = 0; i < size; ++i) {
            int32_t r = 0;
            for (int32_t b = 0; b < log2; ++b)
                r |= ((i >> b) & 1) << (log2 - 1 - b);
            m_reversed[size_t(i)] = r;
        }
        m_tableSize = size;
    }
    return true;
}

bool sixFFT::transform(const float* samples, int32_t n, bool mayGrow)
{
    if (!samples || !prepare(n, mayGrow))
        return false;
    const int32_t size = m_size;
    const double scale = 1.0 / double(size);
    for (int32_t i = 0, from = 0; i < size; ++i, from = from + 1 == n ? 0 : from + 1) {
        m_re[size_t(i)] = double(samples[from]) * scale;
        m_im[size_t(i)] = 0.0;
    }

    // Decimation in frequency: natural order in, bit-reversed order out.
    for (int32_t half = size / 2, step = 1; half >= 1; half /= 2, step *= 2) {
        for (int32_t start = 0; start < size; start += 2 * half) {
            for (int32_t j = 0; j < half; ++j) {
                size_t a = size_t(start + j), b = size_t(start + j + half);
                double wr = m_cos[size_t(j * step)], wi = m_sin[size_t(j * step)];
                double dr = m_re[a] - m_re[b], di = m_im[a] - m_im[b];
                m_re[a] += m_re[b];
                m_im[a] += m_im[b];
                m_re[b] = dr * wr - di * wi;
                m_im[b] = dr * wi + di * wr;
            }
        }
    }

    m_largest = 0;
    for (size_t k = 0; k < size_t(size); ++k) {
        m_magnitude[k] = std::sqrt(m_re[k] * m_re[k] + m_im[k] * m_im[k]);
        m_largest = std::max(m_largest, m_magnitude[k]);
    }
    return true;
}

} // namespace Zumeli
