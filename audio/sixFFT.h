#pragma once

#include <cstdint>
#include <memory>

namespace Zumeli {

// Radix-2 complex FFT of one block of real samples, in double precision. The block is repeated
// to fill the next power of two (a 300-sample block becomes 512 points), the input is divided
// by the size, the butterflies run over the data in natural order and the results are read
// through bit-reversed indices (re(k), im(k)).
//
// The arrays grow to the largest size asked of reserve() or transform() and are never shrunk,
// so a transform of a size already reserved allocates nothing (the audio callback relies on it).
class sixFFT {
public:
    // Makes room for blocks of up to n samples (user interface thread, before the stream runs).
    void reserve(int32_t n);

    // Transforms n samples; false (and nothing computed) when the size would be below 2 or above
    // what is reserved and growing is not allowed.
    bool transform(const float* samples, int32_t n, bool mayGrow = true);

    int32_t size() const { return m_size; }
    int32_t log2Size() const { return m_log2; }
    // Output k, 0 <= k < size().
    double re(int32_t k) const { return m_re[m_reversed[k]]; }
    double im(int32_t k) const { return m_im[m_reversed[k]]; }
    double magnitude(int32_t k) const { return m_magnitude[m_reversed[k]]; }
    // The largest magnitude of the last transform.
    double largestMagnitude() const { return m_largest; }

private:
    bool prepare(int32_t n, bool mayGrow);

    int32_t m_size = 0;
    int32_t m_log2 = 0;
    int32_t m_capacity = 0;
    double m_largest = 0;
    std::unique_ptr<double[]> m_re;
    std::unique_ptr<double[]> m_im;
    std::unique_ptr<double[]> m_magnitude;
    // Twiddle factors for the current size and the bit-reversed index of every output.
    std::unique_ptr<double[]> m_cos;
    std::unique_ptr<double[]> m_sin;
    std::unique_ptr<int32_t[]> m_reversed;
    int32_t m_tableSize = 0;
};

} // namespace Zumeli
