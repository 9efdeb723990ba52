#include "voice/SecondsTimer.h"

#include <gtest/gtest.h>

using namespace Zumeli;

TEST(SecondsTimer, ExpiresOnceStrictlyAfterTheDeadline)
{
    AudioClock clock { 10.0 };
    SecondsTimer timer(&clock);
    EXPECT_FALSE(timer.isRunning());
    EXPECT_FALSE(timer.expired());
    EXPECT_EQ(timer.overdue(), 0.0f);
    EXPECT_EQ(timer.sinceStart(), 0.0f);

    timer.start(2.0f);
    EXPECT_TRUE(timer.isRunning());
    clock.set(12.0);
    EXPECT_FALSE(timer.expired()) << "exactly at the deadline is not past it";
    EXPECT_FLOAT_EQ(timer.sinceStart(), 2.0f);
    clock.set(12.5);
    EXPECT_FLOAT_EQ(timer.overdue(), 0.5f);
    EXPECT_TRUE(timer.expired());
    EXPECT_FALSE(timer.isRunning());
    EXPECT_FALSE(timer.expired()) << "a one-shot timer fires once";
}

TEST(SecondsTimer, StopAndRestart)
{
    AudioClock clock { 0.0 };
    SecondsTimer timer;
    timer.setTimeSource(&clock);
    timer.start(1.0f);
    timer.stop();
    clock.set(5.0);
    EXPECT_FALSE(timer.expired());
    timer.start(1.0f);
    clock.set(6.5);
    EXPECT_TRUE(timer.expired());
}

TEST(SecondsTimer, SystemClockAdvances)
{
    SecondsTimer timer;
    timer.start(0.0f);
    double first = timer.now();
    while (timer.now() == first) { }
    EXPECT_TRUE(timer.expired());
}
