#include "voice/SecondsTimer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

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

// Without a time source the timer runs on the system clock, in seconds. The wait for the clock
// to move is bounded: a clock that stands still fails the test instead of hanging it.
TEST(SecondsTimer, SystemClockAdvances)
{
    SecondsTimer timer;
    timer.start(0.0f);
    const auto first = timer.now();
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (timer.now() == first && std::chrono::steady_clock::now() < giveUp) { }
    ASSERT_NE(timer.now(), first) << "the system clock did not move in 2 s";
    EXPECT_TRUE(timer.expired());

    // In seconds: 50 ms of sleep moves it by about 0.05 (generously bounded for a busy machine).
    const auto before = timer.now();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const double moved = double(timer.now() - before);
    EXPECT_GE(moved, 0.045);
    EXPECT_LT(moved, 5.0);
}
