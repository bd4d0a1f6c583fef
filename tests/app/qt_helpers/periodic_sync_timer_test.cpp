#include "app/qt_helpers/periodic_sync_timer.h"

#include "tests/support/core_doubles.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <gtest/gtest.h>

namespace orb {
namespace {

using Reachability = QNetworkInformation::Reachability;

// A 15-minute schedule made at 09:00:00 whose clock the test moves; readings are handed to
// the ticks so that a wake-up can be played.
class PeriodicSyncTimerTest : public ::testing::Test
{
protected:
    // Moves the clock by `seconds` and ticks with readings whose clocks agree unless
    // `sleptSeconds` passed on the wall clock alone.
    void TickAfter(long long seconds, long long sleptSeconds = 0)
    {
        steady_ += seconds - sleptSeconds;
        wall_ += seconds;
        const long long at = 9 * 3600 + wall_;
        clock.Set(
            {2026, 12, 8, static_cast<int>(at / 3600), static_cast<int>(at / 60 % 60), static_cast<int>(at % 60)});
        timer.Tick({wall_, steady_});
    }

    bool Run()
    {
        ++passes;
        return true;
    }

    test::FixedClock clock{{2026, 12, 8, 9, 0, 0}};
    int passes = 0;
    PeriodicSyncTimer timer{nullptr, 15, clock, {[] { return true; }, [this] { return Run(); }}};

private:
    long long wall_ = 0;
    long long steady_ = 0;
};

TEST_F(PeriodicSyncTimerTest, AModalDialogOrAnOpenMenuHoldsTheDuePassUntilItCloses)
{
    QDialog dialog;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    TickAfter(15 * 60);
    dialog.hide();
    QMenu menu;
    menu.addAction("Option");
    menu.popup({10, 10});
    ASSERT_EQ(QApplication::activePopupWidget(), &menu);
    TickAfter(20);
    EXPECT_EQ(passes, 0);
    menu.close();
    TickAfter(20);
    EXPECT_EQ(passes, 1);
}

TEST_F(PeriodicSyncTimerTest, AWallClockThatRanAheadOfTheMonotonicOneIsAWakeUp)
{
    TickAfter(5 * 60);
    TickAfter(20 + 8 * 60, 8 * 60); // asleep for eight minutes, well within the interval
    EXPECT_EQ(passes, 0) << "the network gets time to come back";
    TickAfter(20);
    EXPECT_EQ(passes, 1);
    TickAfter(20 + 59, 59); // a clock step is no sleep
    TickAfter(20);
    EXPECT_EQ(passes, 1);
}

TEST_F(PeriodicSyncTimerTest, OnlyAReturnFromNoNetworkRunsAPass)
{
    timer.ReachabilityChanged(Reachability::Online); // the first report after start
    TickAfter(2 * 60);
    EXPECT_EQ(passes, 0);
    timer.ReachabilityChanged(Reachability::Disconnected);
    timer.ReachabilityChanged(Reachability::Online);
    timer.ReachabilityChanged(Reachability::Online);
    TickAfter(20);
    TickAfter(20);
    EXPECT_EQ(passes, 1);
    timer.ReachabilityChanged(Reachability::Local); // a network without the internet
    TickAfter(60);
    EXPECT_EQ(passes, 1);
    timer.ReachabilityChanged(Reachability::Online);
    TickAfter(20);
    EXPECT_EQ(passes, 2);
}

} // namespace
} // namespace orb
