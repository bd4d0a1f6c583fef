#include "app/qt_helpers/periodic_sync_timer.h"

#include "tests/support/core_doubles.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <gtest/gtest.h>

namespace orb {
namespace {

using Reachability = QNetworkInformation::Reachability;

// A 15-minute schedule made at 09:00:00; each tick moves both clocks by `seconds`, the
// monotonic one less the `slept` seconds, and tells how many passes started.
class PeriodicSyncTimerTest : public ::testing::Test
{
protected:
    int TickAfter(long long seconds, long long slept = 0)
    {
        const int before = passes;
        wall += seconds;
        steady += seconds - slept;
        clock.Set({2026, 12, 8, 9 + int(wall / 3600), int(wall / 60 % 60), int(wall % 60)});
        timer.Tick({wall, steady});
        return passes - before;
    }

    long long wall = 0;
    long long steady = 0;
    test::FixedClock clock{{2026, 12, 8, 9, 0, 0}};
    int passes = 0;
    PeriodicSyncTimer timer{nullptr, 15, clock, {[] { return true; }, [this] { return ++passes > 0; }}};
};

TEST_F(PeriodicSyncTimerTest, AModalDialogOrAnOpenMenuHoldsTheDuePassUntilItCloses)
{
    QDialog dialog;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    EXPECT_EQ(TickAfter(15 * 60), 0);
    dialog.hide();
    QMenu menu;
    menu.addAction("Option");
    menu.popup({10, 10});
    ASSERT_EQ(QApplication::activePopupWidget(), &menu);
    EXPECT_EQ(TickAfter(20), 0);
    menu.close();
    EXPECT_EQ(TickAfter(20), 1);
}

TEST_F(PeriodicSyncTimerTest, AWakeUpIsTheWallClockRunningAheadAndTheNetworkOnlyAReturnFromNone)
{
    TickAfter(20); // the ticks before were the real clocks'
    EXPECT_EQ(TickAfter(20 + 8 * 60, 8 * 60), 0) << "asleep eight minutes: the network gets time first";
    EXPECT_EQ(TickAfter(20), 1);
    EXPECT_EQ(TickAfter(20 + 59, 59) + TickAfter(20), 0) << "a clock step is no sleep";

    timer.ReachabilityChanged(Reachability::Online); // the first report after start
    EXPECT_EQ(TickAfter(60), 0);
    timer.ReachabilityChanged(Reachability::Disconnected);
    timer.ReachabilityChanged(Reachability::Local); // a network without the internet
    EXPECT_EQ(TickAfter(60), 0);
    timer.ReachabilityChanged(Reachability::Online);
    EXPECT_EQ(TickAfter(20) + TickAfter(20), 1);
}

} // namespace
} // namespace orb
