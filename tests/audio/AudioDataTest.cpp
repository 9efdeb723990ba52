#include "audio/AudioData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Zumeli;

TEST(AudioData, FadeTakesAQuarterOfTheBlockAndCarriesTheGain)
{
    AudioData block;
    block.allocate(100);
    for (int i = 0; i < 100; ++i)
        block.samples()[i] = 1;
    float gain = 0;
    block.fade(gain, true);
    EXPECT_FLOAT_EQ(block.samples()[0], 0.04f);
    EXPECT_FLOAT_EQ(block.samples()[23], 0.96f);
    EXPECT_FLOAT_EQ(block.samples()[24], 1.0f);
    EXPECT_FLOAT_EQ(block.samples()[99], 1.0f);
    EXPECT_FLOAT_EQ(gain, 1.0f);

    for (int i = 0; i < 100; ++i)
        block.samples()[i] = 1;
    block.fade(gain, false);
    EXPECT_FLOAT_EQ(block.samples()[0], 0.96f);
    EXPECT_FLOAT_EQ(block.samples()[24], 0.0f);
    EXPECT_FLOAT_EQ(gain, 0.0f);
}

TEST(AudioData, ClampSilencesNaNAndLimitsPeaks)
{
    float samples[4] = { 2.0f, -3.0f, std::numeric_limits<float>::quiet_NaN(), 0.5f };
    AudioData block;
    block.wrap(samples, 4);
    block.clamp(1);
    EXPECT_EQ(samples[0], 1.0f);
    EXPECT_EQ(samples[1], -1.0f);
    EXPECT_EQ(samples[2], 0.0f);
    EXPECT_EQ(samples[3], 0.5f);
    EXPECT_FALSE(block.owned());
}

TEST(AudioData, CopyWithoutResizeStaysWithinCapacityAndAddUsesShorterCount)
{
    AudioData big;
    big.allocateZeroed(10);
    for (int i = 0; i < 10; ++i)
        big.samples()[i] = float(i);
    AudioData small;
    small.allocateZeroed(4);
    small.copyFrom(big, false);
    EXPECT_EQ(small.count(), 4);
    EXPECT_EQ(small.samples()[3], 3.0f);
    small.copyFrom(big, true);
    EXPECT_EQ(small.count(), 10);
    EXPECT_EQ(small.capacity(), 10);

    AudioData four;
    four.allocateZeroed(4);
    big.add(four);
    four.add(big);
    EXPECT_EQ(four.samples()[3], 3.0f);
    big.setCount(50);
    EXPECT_EQ(big.count(), 10) << "setCount never goes past the capacity";
}
