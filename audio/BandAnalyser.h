#pragma once

#include "audio/sixFFT.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace Zumeli {

// Turns each block of a stream into bar levels for a number of frequency bands (the spectrum
// view): the block's spectrum is summed per band, the sums are scaled by the block's peak into
// levels from 0 to 1, and each bar jumps up to a higher level at once but falls with a speed that
// grows by 0.2 every block, like a weight.
//
// configure() runs on the user interface thread while no feed() runs and allocates everything;
// feed() runs on the audio thread and allocates nothing. The bars are atomics, so the user
// interface thread reads them at any time without a lock (the bars of one read may come from
// two consecutive blocks, which only shows in one frame of the display).
class BandAnalyser {
public:
    static constexpr int32_t MaxBlock = 512;

    // Band centres in centre mode: band i at lowest + i² / (bands − 1)² × (highest − lowest),
    // dense at the low end. Without centre mode the bins map linearly onto the bands.
    void configure(int32_t rate, int32_t bands, bool centreMode, float lowest, float highest);
    // One block of n samples (at most MaxBlock); a block the transform cannot take (n < 2)
    // drops every bar to 0.
    void feed(const float* samples, int32_t n);

    int32_t bandCount() const { return m_bands; }
    int32_t rate() const { return m_rate; }
    float centre(int32_t band) const { return m_centres[size_t(band)]; }
    // Bar level of a band, 0 to 1 (any thread).
    float bar(int32_t band) const { return m_bars[size_t(band)].load(std::memory_order_relaxed); }
    float fallSpeed(int32_t band) const { return m_fallSpeeds[size_t(band)]; }
    // The integer band sums of the last block (audio thread, or tests).
    int32_t bandSum(int32_t band) const { return m_sums[size_t(band)]; }
    const sixFFT& transform() const { return m_fft; }

private:
    void sumBands();
    int32_t bandOf(float frequency, int32_t from) const;

    int32_t m_rate = 44100;
    int32_t m_bands = 0;
    bool m_centreMode = true;
    float m_lowest = 500;
    float m_highest = 5000;
    std::unique_ptr<float[]> m_centres;
    // Band j takes frequencies from m_edges[j] up to, not including, m_edges[j + 1].
    std::unique_ptr<float[]> m_edges;
    std::unique_ptr<int32_t[]> m_sums;
    std::unique_ptr<std::atomic<float>[]> m_bars;
    std::unique_ptr<float[]> m_fallSpeeds;
    sixFFT m_fft;
};

} // namespace Zumeli
