// The application's timer scheduler, posted commands and released objects.
#include "AppFixture.h"

#include "ui/epiAppCommandsList.h"
#include "ui/epiUiTimered.h"

namespace {

// Records each firing with the clock's time.
class Ticker : public epiUiTimered
{
public:
    void timerFired() override
    {
        fired.push_back(application()->now());
        if (cancelOnFire)
            cancelTimer();
    }
    bool receiveCommand(epiCode code, intptr_t value, intptr_t extra) override
    {
        commands.push_back({code, value, extra, application()->now()});
        return true;
    }
    struct Command
    {
        epiCode code;
        intptr_t value;
        intptr_t extra;
        double at;
    };
    std::vector<double> fired;
    std::vector<Command> commands;
    bool cancelOnFire = false;
};

class Scheduler : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        m_ticker.setApplication(&m_app);
    }
    void TearDown() override
    {
        m_ticker.cancelAllTimers();
        AppFixture::TearDown();
    }
    Ticker m_ticker; // not counted: the fixture owns it
};

} // namespace

TEST_F(Scheduler, OneShotFiresOnceAfterItsDueTimeAndLeavesTheList)
{
    m_ticker.startOneShotTimer(0.5);
    advance(0.5);
    EXPECT_TRUE(m_ticker.fired.empty()); // due is not strictly below now yet
    advance(0.001);
    ASSERT_EQ(m_ticker.fired.size(), 1u);
    EXPECT_FALSE(m_ticker.hasTimer());
    advance(2.0);
    EXPECT_EQ(m_ticker.fired.size(), 1u);
    EXPECT_FALSE(m_app.hasTimers()); // the entry was unlinked at the next scan
}

TEST_F(Scheduler, FixedRateTimerThatFellBehindFiresOncePerScanUntilItCatchesUp)
{
    m_ticker.startTimer(0.1, false, true);
    m_app.clock += 0.35; // one long pass: three periods are due
    m_app.scanTimers();
    EXPECT_EQ(m_ticker.fired.size(), 1u);
    m_app.scanTimers();
    m_app.scanTimers();
    EXPECT_EQ(m_ticker.fired.size(), 3u); // due times 0.1, 0.2, 0.3
    m_app.scanTimers();
    EXPECT_EQ(m_ticker.fired.size(), 3u); // next due 0.4 is ahead of now (0.35)

    // A one-shot timer further down the list restarts the walk; the late periodic entry still
    // fires only once in that scan.
    Ticker other;
    other.setApplication(&m_app);
    m_ticker.fired.clear();
    m_app.clock += 0.3;
    other.startOneShotTimer(0.0);
    m_app.clock += 0.001;
    m_app.scanTimers();
    EXPECT_EQ(m_ticker.fired.size(), 1u);
    EXPECT_EQ(other.fired.size(), 1u);
}

TEST_F(Scheduler, PeriodicTimerThatIsNotFixedRateCountsFromTheScanThatFiredIt)
{
    m_ticker.startTimer(0.1, false, false);
    m_app.clock += 0.35;
    m_app.scanTimers();
    m_app.scanTimers();
    EXPECT_EQ(m_ticker.fired.size(), 1u); // next due is now + 0.1
    advance(0.101);
    EXPECT_EQ(m_ticker.fired.size(), 2u);
}

TEST_F(Scheduler, CancelTimerWithTwoEntriesCancelsOnlyTheFirst)
{
    m_ticker.startTimer(0.1, false, true);
    m_ticker.startTimer(0.25, false, true);
    EXPECT_EQ(m_app.timerCount(&m_ticker), 2);
    m_ticker.cancelTimer();
    EXPECT_EQ(m_app.timerCount(&m_ticker), 1);
    advance(0.3);
    // Only the 0.25 s entry is left: one firing at 0.251, none at 0.101 or 0.201.
    ASSERT_EQ(m_ticker.fired.size(), 1u);
    EXPECT_NEAR(m_ticker.fired[0], 1000.251, 1e-6);
}

TEST_F(Scheduler, TimerCancelledFromItsOwnHandlerStops)
{
    m_ticker.cancelOnFire = true;
    m_ticker.startTimer(0.1, false, true);
    advance(1.0);
    EXPECT_EQ(m_ticker.fired.size(), 1u);
    EXPECT_FALSE(m_ticker.hasTimer());
}

TEST_F(Scheduler, ScanReturnsAtOnceWhileNothingIsDue)
{
    m_ticker.startTimer(10.0, true, false);
    m_app.scanTimers(); // computes the earliest due time
    EXPECT_NEAR(m_app.nextTimerDue(), 1010.0, 1e-9);
    advance(0.5, 0.1);
    EXPECT_TRUE(m_ticker.fired.empty());
}

TEST_F(Scheduler, ThreePostedCommandsArriveInOrderOnePerTenthOfASecond)
{
    m_ticker.postCommand(&m_ticker, epiFourCC("one_"), 1, 10);
    m_ticker.postCommand(&m_ticker, epiFourCC("two_"), 2, 20);
    m_ticker.postCommand(&m_ticker, epiFourCC("thre"), 3, 30);
    m_ticker.postCommand(nullptr, epiFourCC("drop"), 4, 40); // a null target is dropped in its turn
    EXPECT_TRUE(m_ticker.commands.empty());
    advance(0.45);
    ASSERT_EQ(m_ticker.commands.size(), 3u);
    const char* codes[] = {"one_", "two_", "thre"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(m_ticker.commands[i].code, epiCodeFromText(codes[i]));
        EXPECT_EQ(m_ticker.commands[i].value, static_cast<intptr_t>(i + 1));
        EXPECT_EQ(m_ticker.commands[i].extra, static_cast<intptr_t>(10 * (i + 1)));
        EXPECT_NEAR(m_ticker.commands[i].at, 1000.1 * 1 + 0.1 * i + 0.001, 0.0015);
    }
    EXPECT_TRUE(m_app.timerCount(&m_app.commands()) == 1); // one more firing finds the queue empty
    advance(0.1);
    EXPECT_EQ(m_app.timerCount(&m_app.commands()), 0);
    EXPECT_EQ(m_app.commands().size(), 0u);
}

TEST_F(Scheduler, PostedCommandKeepsItsCountedTargetAlive)
{
    struct Counted : Ticker
    {
        explicit Counted(int& destroyed) : destroyed(destroyed) {}
        ~Counted() override { ++destroyed; }
        int& destroyed;
    };
    int destroyed = 0;
    auto* target = new Counted(destroyed);
    target->setApplication(&m_app);
    target->makeCounted();
    target->postCommand(target, epiFourCC("late"));
    target->release(); // the owner lets go before delivery
    m_app.purgeReleased();
    EXPECT_EQ(destroyed, 0);
    advance(0.11);
    ASSERT_EQ(target->commands.size(), 1u);
    m_app.purgeReleased();
    EXPECT_EQ(destroyed, 1);
}

TEST_F(Scheduler, ReleasingAnObjectTwiceQueuesAndDestroysItOnce)
{
    struct Owned : epiApplicationObject
    {
        explicit Owned(int& destroyed, int& warned) : destroyed(destroyed), warned(warned) {}
        ~Owned() override { ++destroyed; }
        void willRelease() override { ++warned; }
        int& destroyed;
        int& warned;
    };
    int destroyed = 0;
    int warned = 0;
    auto* object = new Owned(destroyed, warned);
    object->setApplication(&m_app);
    object->makeCounted();
    object->release();
    // Retained again after its last release (a handler still used it), then released once more.
    object->retain();
    object->release();
    EXPECT_EQ(m_app.releasedCount(), 1u);
    m_app.purgeReleased();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(warned, 2);
    EXPECT_EQ(m_app.releasedCount(), 0u);

    // Retained again and kept: the purge leaves a live object alone.
    auto* revived = new Owned(destroyed, warned);
    revived->setApplication(&m_app);
    revived->makeCounted();
    revived->release();
    revived->retain();
    m_app.purgeReleased();
    EXPECT_EQ(destroyed, 1);
    revived->release();
    m_app.purgeReleased();
    EXPECT_EQ(destroyed, 2);
}

TEST_F(Scheduler, DestroyedTargetLeavesTheSchedulerAndTheCommandQueue)
{
    auto* doomed = new Ticker;
    doomed->setApplication(&m_app);
    doomed->startTimer(0.01, false, true);
    doomed->postCommand(doomed, epiFourCC("gone"));
    delete doomed; // not counted: destroyed at once
    advance(0.3);   // neither the timer nor the command may reach it
    EXPECT_EQ(m_app.commands().size(), 0u);
}
