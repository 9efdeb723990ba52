#include "audio/AudioResampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Zumeli;

TEST(AudioResampler, ShrinkingAveragesConsecutiveRunsOfFiveOrSix)
{
    // Feed one impulse at a time: the output that sees it is the run holding that input sample,
    // and its value is 1 / run length.
    const int n = 441, m = 80;
    AudioResampler resampler;
    resampler.init(n, m);
    std::vector<float> in(n), out(m);
    std::vector<int> runOf(n, -1);
    std::vector<int> runLength(m, 0);
    for (int j = 0; j < n; ++j) {
        std::fill(in.begin(), in.end(), 0.0f);
        in[size_t(j)] = 1;
        resampler.process(in.data(), n, out.data(), m);
        int hits = 0;
        for (int k = 0; k < m; ++k) {
            if (out[size_t(k)] != 0) {
                ++hits;
                runOf[size_t(j)] = k;
                runLength[size_t(k)] = int(std::lround(1.0f / out[size_t(k)]));
            }
        }
        ASSERT_EQ(hits, 1) << "input " << j << " belongs to exactly one run";
    }
    int total = 0;
    for (int k = 0; k < m; ++k) {
        EXPECT_TRUE(runLength[size_t(k)] == 5 || runLength[size_t(k)] == 6) << k;
        total += runLength[size_t(k)];
    }
    EXPECT_EQ(total, n);
    for (int j = 1; j < n; ++j)
        ASSERT_TRUE(runOf[size_t(j)] == runOf[size_t(j - 1)] || runOf[size_t(j)] == runOf[size_t(j - 1)] + 1) << "runs are consecutive";
    EXPECT_EQ(runOf[0], 0);
    EXPECT_EQ(runOf[n - 1], m - 1) << "the last run ends at the last input sample";
}

TEST(AudioResampler, DoublingInterpolatesWithOneSampleOfDelay)
{
    AudioResampler resampler;
    resampler.init(160, 320);
    std::vector<float> in(160), out(320);
    for (int j = 0; j < 160; ++j)
        in[size_t(j)] = float(j + 1);
    resampler.process(in.data(), 160, out.data(), 320);
    EXPECT_EQ(out[0], 0.0f) << "the previous sample starts at 0";
    EXPECT_EQ(out[1], 0.5f);
    EXPECT_EQ(out[2], 1.0f);
    EXPECT_EQ(out[3], 1.5f);
    EXPECT_EQ(out[319], 159.5f);
    EXPECT_EQ(resampler.previousSample(), 160.0f);

    resampler.process(in.data(), 160, out.data(), 320);
    EXPECT_EQ(out[0], 160.0f) << "the next block starts from the carried sample";
    EXPECT_EQ(out[1], 80.5f);
    for (int i = 2; i < 320; i += 2)
        ASSERT_EQ(out[size_t(i)], in[size_t(i / 2 - 1)]) << "whole positions reproduce input[j - 1]";
}

TEST(AudioResampler, GrowingByAnOddRatioStartsAtThePreviousSample)
{
    AudioResampler resampler;
    std::vector<float> in(80, 0.0f), out(441);
    for (int j = 0; j < 80; ++j)
        in[size_t(j)] = float(j);
    resampler.process(in.data(), 80, out.data(), 441);
    resampler.process(in.data(), 80, out.data(), 441);
    EXPECT_EQ(out[0], 79.0f);
    for (int i = 1; i < 441; ++i) {
        ASSERT_LE(out[size_t(i)], 79.0f);
        ASSERT_GE(out[size_t(i)], 0.0f);
    }
    EXPECT_EQ(resampler.previousSample(), 79.0f);
}

TEST(AudioResampler, ConstantStaysConstantAndEqualSizesCopy)
{
    AudioResampler resampler;
    std::vector<float> in(441, 0.25f), small(80), big(441);
    resampler.process(in.data(), 441, small.data(), 80);
    for (float s : small)
        ASSERT_FLOAT_EQ(s, 0.25f);
    resampler.process(small.data(), 80, big.data(), 441);
    EXPECT_LT(big[0], 0.25f) << "the first growing block leans toward the initial 0";
    resampler.process(small.data(), 80, big.data(), 441);
    for (float s : big)
        ASSERT_FLOAT_EQ(s, 0.25f);

    std::vector<float> ramp(64), copy(64);
    for (int i = 0; i < 64; ++i)
        ramp[size_t(i)] = float(i) * 0.01f;
    resampler.process(ramp.data(), 64, copy.data(), 64);
    EXPECT_EQ(copy, ramp);
    EXPECT_EQ(resampler.previousSample(), 0.25f) << "a copy leaves the carried sample alone";
}
