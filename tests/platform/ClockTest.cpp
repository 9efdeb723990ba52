#include "platform/Clock.h"

#include <gtest/gtest.h>

using namespace Zumeli::Platform;

TEST(Clock, SleepAdvancesTheMonotonicClockAtLeastThatFar)
{
    uint64_t before = tickMilliseconds();
    sleepMilliseconds(30);
    uint64_t after = tickMilliseconds();
    EXPECT_GE(after - before, 30u);
}
