#include "app/shell_core/periodic_sync.h"

#include "tests/support/core_doubles.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

// A 15-minute schedule made at 09:00:00 whose clock the test moves.
class PeriodicSyncTest : public ::testing::Test
{
protected:
    void At(long long s) { clock.Set({2026, 12, 8, 9 + int(s / 3600), int(s / 60 % 60), int(s % 60)}); }
    // Ticks every 20 s, as the program's timer does, from `from` to `to` seconds after 09:00;
    // the passes started meanwhile.
    int Ticks(long long from, long long to)
    {
        const int before = passes;
        for (long long s = from; s <= to; s += 20) {
            At(s);
            sync.Tick();
        }
        return passes - before;
    }

    test::FixedClock clock{{2026, 12, 8, 9, 0, 0}};
    bool free = true;   // no pass, edit or modal dialog in the way
    bool starts = true; // what the pass answers when asked to start
    int passes = 0;
    PeriodicSync sync{15, clock, {[this] { return free; }, [this] { return starts && ++passes; }}};
};

TEST_F(PeriodicSyncTest, APassRunsAnIntervalAfterTheLastOneThatStartedWhoeverStartedIt)
{
    EXPECT_EQ(Ticks(0, 880), 0) << "the load at start counts as the first pass";
    EXPECT_EQ(Ticks(900, 900), 1);
    At(1000);
    sync.NotePassStarted(); // F5
    EXPECT_EQ(Ticks(1000, 1880), 0);
    free = false;
    EXPECT_EQ(Ticks(1900, 1920), 0);
    free = true;
    starts = false; // refused after all
    EXPECT_EQ(Ticks(1940, 1940), 0);
    starts = true;
    EXPECT_EQ(Ticks(1960, 1960), 1) << "the next tick, not a whole interval later";
    EXPECT_EQ(Ticks(1980, 2840), 0) << "counted from when it started, not from when it fell due";
    EXPECT_EQ(Ticks(2860, 2860), 1);
    At(2000); // the clock set back an hour less a bit: no wait for the old time to come round
    EXPECT_EQ(Ticks(2000, 2900), 1);
}

TEST_F(PeriodicSyncTest, AWakeUpOrTheNetworksReturnRunsOnePassSoonAndNeverABurst)
{
    EXPECT_EQ(Ticks(0, 300), 0);
    At(7200); // slept two hours; the timer tells of it before it ticks
    sync.Resumed();
    sync.Resumed();
    EXPECT_EQ(Ticks(7200, 7200), 0) << "the network needs a moment after a wake-up";
    EXPECT_EQ(Ticks(7215, 8099), 1) << "one pass, though many intervals were missed";
    sync.NetworkBack();
    sync.NetworkBack();
    EXPECT_EQ(Ticks(8100, 8100), 1);
    sync.NetworkBack(); // flapping
    EXPECT_EQ(Ticks(8120, 8140), 0) << "at most one a minute";
    EXPECT_EQ(Ticks(8160, 8180), 1);
}

TEST_F(PeriodicSyncTest, ReconfiguringCountsFromTheLastPassAndZeroRunsNone)
{
    sync.Reconfigure(60);
    EXPECT_EQ(Ticks(0, 1200), 0);
    sync.Reconfigure(15);
    EXPECT_EQ(Ticks(1220, 1220), 1) << "already overdue";
    sync.Reconfigure(0);
    sync.Resumed();
    sync.NetworkBack();
    EXPECT_EQ(Ticks(1240, 3 * 3600), 0);
    sync.Reconfigure(30);
    EXPECT_EQ(Ticks(3 * 3600 + 20, 3 * 3600 + 20), 1);
    sync.Reconfigure(5000);
    EXPECT_EQ(sync.Minutes(), 1440);
}

} // namespace
} // namespace orb
