#include "voice/ClientMessages.h"

#include <gtest/gtest.h>
#include <random>
#include <thread>

using namespace Zumeli;

TEST(ClientMessages, EmptyAndFullEdges)
{
    ToAudioMessages queue;
    ClientMessage entry;
    EXPECT_FALSE(queue.take(entry));
    EXPECT_TRUE(queue.isEmpty());

    for (int i = 0; i < ClientMessages::Capacity; ++i)
        ASSERT_TRUE(queue.postPair(i, i * 2, i * 3));
    EXPECT_EQ(queue.pending(), 200);
    EXPECT_FALSE(queue.post(999, 1)) << "the 201st post to a full ring is dropped";

    ASSERT_TRUE(queue.take(entry));
    EXPECT_EQ(entry.code, 0);
    EXPECT_TRUE(queue.post(200, 7)) << "after one take the next post succeeds";

    for (int i = 1; i <= 200; ++i) {
        ASSERT_TRUE(queue.take(entry));
        EXPECT_EQ(entry.code, i);
        if (i < 200) {
            EXPECT_EQ(entry.value, i * 2);
            EXPECT_EQ(entry.extra, i * 3);
        } else {
            EXPECT_EQ(entry.value, 7);
            EXPECT_EQ(entry.extra, 0) << "post stores extra 0";
        }
    }
    EXPECT_FALSE(queue.take(entry));
}

TEST(ClientMessages, WrapsAroundManyTimesInOrder)
{
    ResponseMessages queue;
    ClientMessage entry;
    int next = 0;
    for (int round = 0; round < 1000; ++round) {
        for (int i = 0; i < 7; ++i)
            ASSERT_TRUE(queue.post(round * 7 + i));
        for (int i = 0; i < 7; ++i) {
            ASSERT_TRUE(queue.take(entry));
            ASSERT_EQ(entry.code, next++);
        }
    }
}

// One producer thread and one consumer thread with seeded random burst sizes: every entry
// arrives once, in order, with its fields intact.
TEST(ClientMessages, OneProducerOneConsumerKeepOrder)
{
    ToAudioMessages queue;
    constexpr int total = 200000;
    std::thread producer([&] {
        std::mt19937 random(1234);
        int sent = 0;
        while (sent < total) {
            int burst = int(random() % 50) + 1;
            for (int i = 0; i < burst && sent < total;) {
                if (queue.postPair(sent, ~sent, sent ^ 0x5a5a)) {
                    ++sent;
                    ++i;
                } else {
                    std::this_thread::yield();
                }
            }
        }
    });
    int expected = 0;
    bool ordered = true;
    ClientMessage entry;
    while (expected < total) {
        if (!queue.take(entry)) {
            std::this_thread::yield();
            continue;
        }
        if (entry.code != expected || entry.value != ~expected || entry.extra != (expected ^ 0x5a5a))
            ordered = false;
        ++expected;
    }
    producer.join();
    EXPECT_TRUE(ordered);
    EXPECT_TRUE(queue.isEmpty());
}
