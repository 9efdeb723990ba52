#include "voice/AudioClock.h"
#include "voice/SecondsTimer.h"

#include <gtest/gtest.h>

using namespace Zumeli;

// After 100 hours a float of seconds moves in steps of 7.8 ms (and stops at 72 h): a 512-frame
// block is 11.6 ms, so timers went wrong by a third. The clock must stay exact.
TEST(AudioClock, TimersStayExactAfter100Hours)
{
    AudioClock clock;
    clock.set(100.0 * 3600);
    SecondsTimer guard(&clock);
    guard.start(1.5f);
    int blocks = 0;
    double start = clock.seconds();
    while (!guard.expired()) {
        clock.advance(512, 44100);
        ASSERT_LT(++blocks, 1000) << "the timer never expired";
    }
    EXPECT_EQ(blocks, 130) << "1.5 s is 129.2 blocks of 512 frames at 44100 Hz";
    EXPECT_NEAR(clock.seconds() - start, 130 * 512 / 44100.0, 1e-6);
}

TEST(AudioClock, BlocksAddUpWithoutDrift)
{
    AudioClock clock;
    // 5.4 hours of 512-frame blocks at 44100 Hz: 1,687,500 blocks of 11.609977... ms each.
    for (int i = 0; i < 1'687'500; ++i)
        clock.advance(512, 44100);
    EXPECT_EQ(clock.nanoseconds(), int64_t(19'591'836'734'693)) << "512 × 1,687,500 / 44100 s to the nanosecond";
    clock.advance(0, 44100);
    clock.advance(-5, 44100);
    clock.advance(512, 0);
    EXPECT_EQ(clock.nanoseconds(), int64_t(19'591'836'734'693)) << "nothing moves it but audio";
}
