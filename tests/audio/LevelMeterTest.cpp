#include "audio/LevelMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Zumeli;

TEST(LevelMeter, AttackHoldAndRelease)
{
    LevelMeter meter(8000);
    std::vector<float> loud(80, 0.0f), quiet(80, 0.0f);
    loud[40] = -0.5f;
    const float target = 1.5f * std::log(1.5f);
    ASSERT_NEAR(target, 0.608f, 0.001f);

    meter.update(loud.data(), 80);
    EXPECT_FLOAT_EQ(meter.level(), 0.2f) << "20 per second x 80 / 8000";
    meter.update(loud.data(), 80);
    meter.update(loud.data(), 80);
    EXPECT_FLOAT_EQ(meter.level(), 0.6f);
    meter.update(loud.data(), 80);
    EXPECT_FLOAT_EQ(meter.level(), target) << "never above the held value";

    // 800 samples of hold: ten silent blocks keep the held value.
    for (int i = 0; i < 10; ++i) {
        meter.update(quiet.data(), 80);
        ASSERT_FLOAT_EQ(meter.level(), target) << "block " << i;
    }
    meter.update(quiet.data(), 80);
    EXPECT_FLOAT_EQ(meter.held(), 0.0f);
    EXPECT_NEAR(meter.level(), target - 0.01f, 1e-6f) << "then it falls at 1 per second";

    meter.decay(8000);
    EXPECT_EQ(meter.level(), 0.0f) << "decay never goes below 0";
}

TEST(LevelMeter, FullScaleReachesOneAndNoMore)
{
    LevelMeter meter(8000);
    std::vector<float> clip(8000, 1.5f);
    meter.update(clip.data(), 8000);
    EXPECT_FLOAT_EQ(meter.level(), 1.0f);
}
