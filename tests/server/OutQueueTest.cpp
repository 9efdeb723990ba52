#include "server/OutQueue.h"

#include <gtest/gtest.h>

using namespace Zumeli;

namespace {

std::vector<uint8_t> packet(uint8_t tag) { return std::vector<uint8_t>(OutQueue::PacketSize, tag); }

TEST(OutQueue, ABoundedQueueDropsItsOldestPackets)
{
    OutQueue queue(4);
    for (uint8_t tag = 1; tag <= 10; ++tag)
        queue.push(packet(tag).data());
    ASSERT_EQ(queue.size(), 4 * OutQueue::PacketSize);
    EXPECT_EQ(queue.dropped(), 6u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(queue.data()[i * OutQueue::PacketSize], 7 + i);
}

TEST(OutQueue, APartlyWrittenPacketIsKeptWholeWhenOlderOnesAreDropped)
{
    OutQueue queue(3);
    for (uint8_t tag = 1; tag <= 3; ++tag)
        queue.push(packet(tag).data());
    queue.consume(10); // ten bytes of packet 1 are on the wire
    queue.push(packet(4).data());
    queue.push(packet(5).data());
    // The rest of packet 1 comes first, so the stream stays aligned on 47-byte records.
    std::vector<uint8_t> rest(queue.data(), queue.data() + queue.size());
    ASSERT_EQ(rest.size(), 37 + 2 * OutQueue::PacketSize);
    for (size_t i = 0; i < 37; ++i)
        ASSERT_EQ(rest[i], 1);
    EXPECT_EQ(rest[37], 4);
    EXPECT_EQ(rest[37 + OutQueue::PacketSize], 5);
    queue.consume(rest.size());
    EXPECT_TRUE(queue.empty());
}

TEST(OutQueue, DrainingInPiecesKeepsTheOrder)
{
    OutQueue queue(100);
    std::vector<uint8_t> written;
    for (uint8_t tag = 1; tag <= 50; ++tag) {
        queue.push(packet(tag).data());
        size_t take = std::min<size_t>(queue.size(), 30);
        written.insert(written.end(), queue.data(), queue.data() + take);
        queue.consume(take);
    }
    written.insert(written.end(), queue.data(), queue.data() + queue.size());
    ASSERT_EQ(written.size(), 50 * OutQueue::PacketSize);
    for (size_t i = 0; i < written.size(); ++i)
        ASSERT_EQ(written[i], 1 + i / OutQueue::PacketSize) << i;
}

} // namespace
