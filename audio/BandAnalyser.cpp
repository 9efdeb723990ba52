#include "audio/BandAnalyser.h"

#include <algorithm>
#include <cmath>

namespace Zumeli {

void BandAnalyser::configure(int32_t rate, int32_t bands, bool centreMode, float lowest, float highest)
{
    m_rate = rate > 0 ? rate : 44100;
    m_bands = std::max<int32_t>(bands, 0);
    m_centreMode = centreMode;
    m_lowest = lowest;
    m_highest = highest;
    const auto count = size_t(m_bands);
    m_centres = std::make_unique<float[]>(count);
    m_edges = std::make_unique<float[]>(count + 1);
    m_sums = std::make_unique<int32_t[]>(count);
    m_bars = std::make_unique<std::atomic<float>[]>(count);
    m_fallSpeeds = std::make_unique<float[]>(count);
    for (size_t i = 0; i < count; ++i) {
        m_bars[i].store(0, std::memory_order_relaxed);
        m_fallSpeeds[i] = 0;
        m_sums[i] = 0;
    }
    m_fft.reserve(MaxBlock);

    if (m_bands == 1) {
        // One band has no neighbour to space against: it covers the whole range.
        m_centres[0] = lowest;
        m_edges[0] = lowest;
        m_edges[1] = highest;
    } else if (m_bands > 1) {
        const double last = double(m_bands - 1);
        for (int32_t i = 0; i < m_bands; ++i)
            m_centres[size_t(i)] = float(lowest + double(i) * double(i) / (last * last) * (highest - lowest));
        m_edges[0] = m_centres[0] - (m_centres[1] - m_centres[0]) / 2;
        for (size_t j = 1; j < count; ++j)
            m_edges[j] = (m_centres[j - 1] + m_centres[j]) / 2;
        m_edges[count] = m_centres[count - 1];
    }
}

int32_t BandAnalyser::bandOf(float frequency, int32_t from) const
{
    if (!m_centreMode) {
        if (frequency <= m_lowest || m_highest <= m_lowest)
            return 0;
        auto band = int32_t((frequency - m_lowest) / (m_highest - m_lowest) * float(m_bands));
        return std::min(band, m_bands - 1);
    }
    if (frequency < m_edges[0])
        return -1;
    for (int32_t j = from; j < m_bands; ++j)
        if (frequency < m_edges[size_t(j) + 1])
            return j;
    return -1;
}

void BandAnalyser::sumBands()
{
    std::fill(m_sums.get(), m_sums.get() + m_bands, 0);
    const double largest = m_fft.largestMagnitude();
    const int32_t size = m_fft.size();
    int32_t band = 0;
    for (int32_t i = 0; i < size / 2; ++i) {
        // A silent block has no largest magnitude to scale by: every bin counts 0.
        if (!(largest > 0))
            break;
        auto frequency = float(double(i) * m_rate / size);
        int32_t found = bandOf(frequency, std::max(band, 0));
        if (found < 0) {
            if (m_centreMode && frequency >= m_edges[size_t(m_bands)])
                break; // every later bin lies above the last band too
            continue;
        }
        band = found;
        double m = m_fft.magnitude(i) / largest * 100.0;
        if (m >= 0) // not NaN: a damaged sample must not reach the integer conversion
            m_sums[size_t(found)] += int32_t(std::min(m, 100.0));
    }
}

void BandAnalyser::feed(const float* samples, int32_t n)
{
    if (m_bands == 0)
        return;
    if (n > MaxBlock || !m_fft.transform(samples, n, false)) {
        for (int32_t k = 0; k < m_bands; ++k)
            m_bars[size_t(k)].store(0, std::memory_order_relaxed);
        return;
    }
    sumBands();

    int64_t total = 1;
    for (int32_t k = 0; k < m_bands; ++k)
        total += m_sums[size_t(k)];
    float peak = 0;
    for (int32_t i = 0; i < n; ++i)
        peak = std::max(peak, samples[i]);

    for (int32_t k = 0; k < m_bands; ++k) {
        float x = std::min(0.99f, float(double(peak) * m_sums[size_t(k)] / double(total) * 10.0));
        float level = std::min(1.0f, 1.5f * std::log(1.0f + x));
        float bar = m_bars[size_t(k)].load(std::memory_order_relaxed);
        float& speed = m_fallSpeeds[size_t(k)];
        if (level >= bar) {
            bar = level;
            speed = 0;
        } else {
            bar -= float(n) * speed / float(m_rate);
            speed += 0.2f;
            bar = std::max(bar, 0.0f);
        }
        m_bars[size_t(k)].store(bar, std::memory_order_relaxed);
    }
}

} // namespace Zumeli
