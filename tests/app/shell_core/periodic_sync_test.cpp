#include "app/shell_core/periodic_sync.h"

#include "tests/support/core_doubles.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

// A scheduler made at 09:00:00 whose clock the test moves; counts the passes it starts.
class PeriodicSyncTest : public ::testing::Test
{
protected:
    static constexpr long long kStart = 9 * 3600;

    explicit PeriodicSyncTest(int minutes = 15)
        : sync(minutes, clock, {[this] { return free; }, [this] { return Run(); }})
    {}

    // Moves the clock to `seconds` after 09:00:00.
    void SetClock(long long seconds)
    {
        const long long at = kStart + seconds;
        clock.Set(
            {2026, 12, 8, static_cast<int>(at / 3600), static_cast<int>(at / 60 % 60), static_cast<int>(at % 60)});
    }
    void TickAt(long long seconds)
    {
        SetClock(seconds);
        sync.Tick();
    }
    // Ticks every 20 s, as the program's timer does, from `from` up to and including `to`.
    void TickEvery20sBetween(long long from, long long to)
    {
        for (long long at = from; at <= to; at += 20)
            TickAt(at);
    }
    bool Run()
    {
        if (!starts)
            return false;
        ++passes;
        return true;
    }

    test::FixedClock clock{{2026, 12, 8, 9, 0, 0}};
    bool free = true;
    bool starts = true; // what the pass answers when asked to start
    int passes = 0;
    PeriodicSync sync;
};

TEST_F(PeriodicSyncTest, APassRunsEveryIntervalCountedFromTheLastOneThatStarted)
{
    TickEvery20sBetween(0, 14 * 60 + 59);
    EXPECT_EQ(passes, 0) << "the load at start counts as the first pass";
    TickAt(15 * 60);
    EXPECT_EQ(passes, 1);
    TickEvery20sBetween(15 * 60 + 20, 29 * 60 + 59);
    EXPECT_EQ(passes, 1);
    TickAt(30 * 60);
    EXPECT_EQ(passes, 2);
}

TEST_F(PeriodicSyncTest, ABusyOrRefusedTickRetriesAtTheNextTickNotAWholeIntervalLater)
{
    free = false; // an edit, a pass or a modal dialog
    TickAt(15 * 60);
    free = true;
    starts = false; // the pass refused after all
    TickAt(15 * 60 + 20);
    EXPECT_EQ(passes, 0);
    starts = true;
    TickAt(15 * 60 + 40);
    EXPECT_EQ(passes, 1);
    // The next interval counts from the pass that started, not from when it fell due.
    TickAt(30 * 60 + 20);
    EXPECT_EQ(passes, 1);
    TickAt(30 * 60 + 40);
    EXPECT_EQ(passes, 2);
}

TEST_F(PeriodicSyncTest, APassTheUserStartsPutsTheNextOneAWholeIntervalLater)
{
    TickAt(10 * 60);
    sync.NotePassStarted(); // F5
    TickEvery20sBetween(10 * 60 + 20, 24 * 60 + 59);
    EXPECT_EQ(passes, 0);
    TickAt(25 * 60);
    EXPECT_EQ(passes, 1);
}

TEST_F(PeriodicSyncTest, AWakeUpRunsOnePassOnceTheNetworkHadTimeToSettle)
{
    // Slept two hours: every interval in between is owed, yet only one pass runs.
    TickAt(5 * 60);
    SetClock(2 * 3600); // the timer tells of the wake-up before it ticks
    sync.Resumed();
    sync.Resumed(); // the wall-clock jump and a system signal both tell it
    TickAt(2 * 3600);
    TickAt(2 * 3600 + 14);
    EXPECT_EQ(passes, 0) << "the network is rarely back the moment the machine wakes";
    TickAt(2 * 3600 + 15);
    EXPECT_EQ(passes, 1);
    TickEvery20sBetween(2 * 3600 + 35, 2 * 3600 + 15 * 60 - 1);
    EXPECT_EQ(passes, 1);
}

TEST_F(PeriodicSyncTest, TheNetworkComingBackRunsOnePassAndAFlappingOneMakesNoBurst)
{
    TickAt(60);
    sync.NetworkBack();
    TickAt(80);
    EXPECT_EQ(passes, 1);
    // Down and up again within the minute: one more pass, a minute after the last.
    sync.NetworkBack();
    TickAt(100);
    sync.NetworkBack();
    TickAt(120);
    EXPECT_EQ(passes, 1);
    TickAt(140);
    EXPECT_EQ(passes, 2);
    TickEvery20sBetween(160, 15 * 60 + 120);
    EXPECT_EQ(passes, 2);
    TickAt(15 * 60 + 140);
    EXPECT_EQ(passes, 3);

    // A wake-up followed by the network: still one pass, at once.
    sync.Resumed();
    sync.NetworkBack();
    TickAt(16 * 60 + 140);
    EXPECT_EQ(passes, 4);
    TickEvery20sBetween(16 * 60 + 160, 30 * 60);
    EXPECT_EQ(passes, 4);
}

TEST_F(PeriodicSyncTest, AClockSetBackDoesNotHoldThePassesUntilTheOldTimeComesRound)
{
    TickAt(2 * 3600);
    EXPECT_EQ(passes, 1);
    TickAt(3600); // an hour back: summer time ended
    TickAt(3600 + 15 * 60);
    EXPECT_EQ(passes, 2);
}

TEST_F(PeriodicSyncTest, ReconfiguringCountsFromTheLastPassAndZeroStopsEverything)
{
    sync.Reconfigure(60);
    TickAt(20 * 60);
    EXPECT_EQ(passes, 0);
    sync.Reconfigure(15); // already overdue
    TickAt(20 * 60 + 20);
    EXPECT_EQ(passes, 1);

    sync.Reconfigure(0);
    sync.Resumed();
    sync.NetworkBack();
    TickEvery20sBetween(20 * 60 + 40, 3 * 3600);
    EXPECT_EQ(passes, 1);
    sync.Reconfigure(30);
    TickAt(3 * 3600 + 20);
    EXPECT_EQ(passes, 2);

    sync.Reconfigure(5000);
    EXPECT_EQ(sync.Minutes(), 1440);
    sync.Reconfigure(-5);
    EXPECT_EQ(sync.Minutes(), 0);
}

class NeverPeriodicSyncTest : public PeriodicSyncTest
{
protected:
    NeverPeriodicSyncTest() : PeriodicSyncTest(0) {}
};

TEST_F(NeverPeriodicSyncTest, NoIntervalRunsNoPassWhateverHappens)
{
    sync.Resumed();
    sync.NetworkBack();
    TickEvery20sBetween(0, 3 * 3600);
    EXPECT_EQ(passes, 0);
}

TEST(SleptBetweenTest, OnlyAWallClockRunningAMinuteAheadOfTheMonotonicOneIsSleep)
{
    const TickReading before{1000, 50};
    EXPECT_FALSE(SleptBetween(before, {1020, 70})) << "an ordinary tick";
    EXPECT_FALSE(SleptBetween(before, {1079, 70})) << "a time-synchronisation step";
    EXPECT_TRUE(SleptBetween(before, {1080, 70}));
    EXPECT_TRUE(SleptBetween(before, {8200, 70})) << "two hours asleep";
    EXPECT_FALSE(SleptBetween(before, {400, 70})) << "the clock set back";
}

} // namespace
} // namespace orb
