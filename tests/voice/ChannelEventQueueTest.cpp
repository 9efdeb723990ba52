#include "voice/ChannelEventQueue.h"

#include <gtest/gtest.h>

using namespace Zumeli;
using Kind = ChannelEvent::Kind;

namespace {

class Events : public ::testing::Test {
protected:
    Events()
    {
        queue.setLocalUser(5);
        queue.setShower([this](const ChannelEvent& e) { shown.emplace_back(e.user, e.kind); });
    }

    std::vector<std::pair<int, int>> queued() const
    {
        std::vector<std::pair<int, int>> out;
        for (const auto& e : queue)
            out.emplace_back(e->user, e->kind);
        return out;
    }

    // Runs engine steps while the clock advances by `seconds` in steps of 1/30 s.
    void run(float seconds)
    {
        for (double end = clock.seconds() + seconds; clock.seconds() < end; clock.advanceSeconds(1.0 / 30)) {
            queue.step();
        }
    }

    AudioClock clock { 0 };
    ResponseMessages responses;
    ChannelEventQueue queue { responses, &clock };
    std::vector<std::pair<int, int>> shown;
};

} // namespace

TEST_F(Events, AddRules)
{
    queue.add(7, Kind::Talking);
    queue.add(8, Kind::Talking);
    EXPECT_EQ(queued(), (std::vector<std::pair<int, int>> { { 8, Kind::Talking } }));

    queue.add(9, Kind::Entered);
    queue.add(7, Kind::Stopped);
    EXPECT_EQ(queued(), (std::vector<std::pair<int, int>> { { 9, Kind::Entered }, { 7, Kind::Stopped } }))
        << "a stop removes every talking event";

    queue.add(9, Kind::Available);
    queue.add(9, Kind::Left);
    EXPECT_EQ(queued(), (std::vector<std::pair<int, int>> { { 7, Kind::Stopped }, { 9, Kind::Left } }))
        << "a departure removes the user's other events first";

    ChannelEvent* first = queue.add(4, Kind::Entered);
    EXPECT_EQ(queue.add(4, Kind::Entered), first);
    EXPECT_EQ(queue.count(), 3) << "the same event is queued once";
}

TEST_F(Events, TalkEventsShowFirst)
{
    queue.add(5, Kind::Entered);
    queue.add(6, Kind::Talking);
    EXPECT_EQ(queued().front(), std::make_pair(6, int(Kind::Talking)));
    EXPECT_EQ(ChannelEvent::priorityOf(Kind::Talking), 0);
    EXPECT_STREQ(ChannelEvent::textId(Kind::Available), "*USEREVENT_AVAIL");
}

TEST_F(Events, AfterAJoinOthersAreAvailableThenYou)
{
    queue.setPresent({ 5, 8, 9 });
    run(3.9f);
    EXPECT_EQ(shown, (std::vector<std::pair<int, int>> { { 8, Kind::Available }, { 9, Kind::Available }, { 5, Kind::You } }));
    int announced = 0;
    ClientMessage entry;
    while (responses.take(entry))
        announced += entry.code == ChannelEventQueue::EventShown;
    EXPECT_EQ(announced, 3);
    run(5);
    EXPECT_EQ(shown.size(), 3u) << "nothing more until something happens";
    EXPECT_EQ(queue.onDisplay(), nullptr);
}

TEST_F(Events, AloneInTheChannelShowsOnlyYou)
{
    queue.setPresent({ 5 });
    run(3);
    EXPECT_EQ(shown, (std::vector<std::pair<int, int>> { { 5, Kind::You } }));
}

TEST_F(Events, TalkingStaysOnDisplayUntilReplaced)
{
    queue.setPresent({ 5, 8 });
    run(4);
    shown.clear();
    queue.add(8, Kind::Talking);
    run(5);
    EXPECT_EQ(shown, (std::vector<std::pair<int, int>> { { 8, Kind::Talking } })) << "handed over once";
    ASSERT_NE(queue.onDisplay(), nullptr);
    EXPECT_EQ(queue.onDisplay()->kind, Kind::Talking);

    queue.add(8, Kind::Stopped);
    queue.add(5, Kind::You);
    run(3);
    EXPECT_EQ(shown, (std::vector<std::pair<int, int>> { { 8, Kind::Talking }, { 8, Kind::Stopped }, { 5, Kind::You } }));
}

TEST_F(Events, SyncPresentAnnouncesArrivalsAndDepartures)
{
    queue.setPresent({ 5, 8 });
    queue.syncPresent({ 5, 9 });
    EXPECT_EQ(queued(), (std::vector<std::pair<int, int>> { { 8, Kind::Left }, { 9, Kind::Entered } }));
    EXPECT_EQ(queue.present(), (std::vector<int32_t> { 5, 9 }));
    run(2.5f);
    EXPECT_EQ(shown.size(), 2u);
}
