#include "audio/AudioBuffer.h"
#include "audio/AudioBufferTrail.h"
#include "audio/AudioBufferTrigStream.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <thread>
#include <vector>

using namespace Zumeli;

namespace {

std::vector<float> ramp(int n, float start = 1)
{
    std::vector<float> v(static_cast<size_t>(n));
    std::iota(v.begin(), v.end(), start);
    return v;
}

} // namespace

TEST(AudioBuffer, ShortReadsPartialOrNotAndMarkedEnd)
{
    struct Case {
        const char* name;
        bool allowPartial;
        bool markEnd;
        bool consumes;
    };
    const Case cases[] = {
        { "partial allowed", true, false, true },
        { "no partial, no end", false, false, false },
        { "no partial, end marked", false, true, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AudioBuffer buffer;
        std::vector<float> in = ramp(100);
        ASSERT_TRUE(buffer.writeSamples(in.data(), 100));
        if (c.markEnd)
            buffer.markEnd();
        std::vector<float> out(160, -5.0f);
        EXPECT_FALSE(buffer.readSamples(out.data(), 160, c.allowPartial)) << "a short read never counts as read";
        if (c.consumes) {
            EXPECT_EQ(buffer.available(), 0);
            EXPECT_EQ(buffer.readCount(), 100);
            for (int i = 0; i < 100; ++i)
                ASSERT_EQ(out[size_t(i)], in[size_t(i)]);
            for (int i = 100; i < 160; ++i)
                ASSERT_EQ(out[size_t(i)], 0.0f) << "the rest is zero-filled";
            EXPECT_FALSE(buffer.endOfStream()) << "the end mark is used up";
        } else {
            EXPECT_EQ(buffer.available(), 100);
            EXPECT_EQ(out[0], -5.0f) << "nothing copied";
        }
    }
}

TEST(AudioBuffer, EmptyReadIsFalseAndFullReadIsTrue)
{
    AudioBuffer buffer;
    float out[4] = {};
    EXPECT_FALSE(buffer.readSamples(out, 4, true));
    buffer.markEnd();
    EXPECT_FALSE(buffer.readSamples(out, 4, false));
    std::vector<float> in = ramp(6);
    buffer.writeSamples(in.data(), 6);
    EXPECT_TRUE(buffer.readSamples(out, 4, false));
    EXPECT_EQ(out[3], 4.0f);
    EXPECT_EQ(buffer.available(), 2);
}

TEST(AudioBuffer, CapacityRuleDropsWholeBlocks)
{
    AudioBuffer buffer;
    ASSERT_TRUE(buffer.writeSilence(440991));
    std::vector<float> ten = ramp(10);
    EXPECT_FALSE(buffer.writeSamples(ten.data(), 10)) << "10 + 440991 >= 441000";
    EXPECT_EQ(buffer.writeCount(), 440991);
    EXPECT_TRUE(buffer.writeSamples(ten.data(), 8)) << "8 + 440991 < 441000 fits";
    EXPECT_FALSE(buffer.writeSilence(1));
    float out[1];
    ASSERT_TRUE(buffer.readSamples(out, 1, false));
    EXPECT_TRUE(buffer.writeSilence(1)) << "room again after a read";
}

TEST(AudioBuffer, WrapsAroundTheRingInOrder)
{
    AudioBuffer buffer;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> size(1, 60000);
    std::vector<float> block;
    std::vector<float> out;
    float nextIn = 0;
    float nextOut = 0;
    for (int round = 0; round < 60; ++round) {
        int n = size(random);
        block.resize(size_t(n));
        for (float& s : block)
            s = nextIn++;
        ASSERT_TRUE(buffer.writeSamples(block.data(), n));
        int m = int(buffer.available());
        out.resize(size_t(m));
        ASSERT_TRUE(buffer.readSamples(out.data(), m, false));
        for (float s : out)
            ASSERT_EQ(s, nextOut++);
    }
    EXPECT_GT(buffer.writeCount(), 3 * AudioBuffer::Capacity) << "the test went round the ring";
}

TEST(AudioBuffer, OneWriterThreadOneReaderThreadKeepOrder)
{
    AudioBuffer buffer;
    const int total = 2000000;
    std::thread writer([&] {
        std::mt19937 random(1);
        std::uniform_int_distribution<int> size(1, 700);
        std::vector<float> block(700);
        int next = 0;
        while (next < total) {
            int n = std::min(size(random), total - next);
            for (int i = 0; i < n; ++i)
                block[size_t(i)] = float(next + i);
            if (buffer.writeSamples(block.data(), n))
                next += n;
            else
                std::this_thread::yield();
        }
    });
    std::mt19937 random(2);
    std::uniform_int_distribution<int> size(1, 900);
    std::vector<float> out(900);
    int expected = 0;
    bool inOrder = true;
    while (expected < total && inOrder) {
        int n = std::min(size(random), total - expected);
        if (!buffer.readSamples(out.data(), n, false)) {
            std::this_thread::yield();
            continue;
        }
        for (int i = 0; i < n; ++i)
            inOrder = inOrder && out[size_t(i)] == float(expected + i);
        expected += n;
    }
    writer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(expected, total);
}

TEST(AudioBuffer, SkipAllAndReset)
{
    AudioBuffer buffer;
    buffer.writeSilence(500);
    buffer.skipAll();
    EXPECT_EQ(buffer.available(), 0);
    EXPECT_EQ(buffer.readCount(), 500);
    buffer.reset();
    EXPECT_EQ(buffer.writeCount(), 0);
    EXPECT_EQ(buffer.readCount(), 0);
}

TEST(AudioBufferTrigStream, WaitsForMoreThanTheThresholdThenPlaysOut)
{
    AudioBufferTrigStream buffer;
    ASSERT_EQ(buffer.threshold(), 4000);
    float out[100];
    // Fresh buffer: the first read of an empty buffer starts the wait.
    EXPECT_FALSE(buffer.readSamples(out, 100, true));
    EXPECT_TRUE(buffer.waiting());

    buffer.writeSilence(4000);
    EXPECT_FALSE(buffer.readSamples(out, 100, true)) << "4000 pending is not more than the threshold";
    EXPECT_EQ(buffer.available(), 4000) << "nothing consumed while waiting";
    EXPECT_FLOAT_EQ(buffer.fillLevel(), 1.0f);

    buffer.writeSilence(1);
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(buffer.readSamples(out, 100, true)) << i;
    EXPECT_FALSE(buffer.readSamples(out, 100, true)) << "the last single sample comes as a partial block";
    EXPECT_EQ(buffer.available(), 0);
    EXPECT_FALSE(buffer.readSamples(out, 100, true));
    EXPECT_TRUE(buffer.waiting()) << "a read of the empty buffer starts the wait again";
    buffer.writeSilence(1000);
    EXPECT_FALSE(buffer.readSamples(out, 100, true));
    EXPECT_FLOAT_EQ(buffer.fillLevel(), 0.25f);

    buffer.clearWaiting();
    std::vector<float> all(1000);
    EXPECT_TRUE(buffer.readSamples(all.data(), 1000, true)) << "after clearWaiting 1000 pending are read at once";
}

TEST(AudioBufferTrail, ReadsTheLatestSamplesWithoutConsuming)
{
    AudioBufferTrail trail;
    std::vector<float> in = ramp(250, 0);
    AudioData block;
    for (int i = 0; i < 4; ++i) {
        for (int k = 0; k < 250; ++k)
            in[size_t(k)] = float(i * 250 + k);
        block.wrap(in.data(), 250);
        trail.write(block);
    }
    EXPECT_EQ(trail.available(), 250) << "each write makes the earlier samples count as read";
    std::vector<float> out(1000);
    ASSERT_TRUE(trail.readSamples(out.data(), 400, false));
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ(out[size_t(i)], float(600 + i));
    EXPECT_EQ(trail.writeCount(), 1000);
    EXPECT_EQ(trail.readCount(), 750) << "counts unchanged by the read";
    EXPECT_FALSE(trail.readSamples(out.data(), 1000, false)) << "needs more than n samples written";
    EXPECT_TRUE(trail.readSamples(out.data(), 999, false));
}
