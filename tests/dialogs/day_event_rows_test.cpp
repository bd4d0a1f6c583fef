#include "dialogs/day_event_rows.h"
#include "tests/calendarview/calendar_builders.h"

#include <gtest/gtest.h>

namespace orb {

namespace {

using test::AllDayEvent;
using test::SelectedCalendar;
using test::TimedEvent;

class FixedWidth : public TextMeasurer
{
public:
    int TextWidth(std::string_view) const override { return 40; }
};

constexpr int kWidth = 300;
// December 2026 begins on a Tuesday: the grid opens on 29 November, so cell 9 is 8 December.
constexpr int kDecember8 = 9;

DateValue December(int day, int hour = 0)
{
    return DateValue::FromCivil(2026, 12, day, hour);
}

MonthLayout Lay(const std::vector<CalendarRecord>& calendars)
{
    MonthLayout layout;
    layout.Build({December(8), kMaxWeekRows, 25, {0, 0, 700, 600}}, calendars, FixedWidth());
    return layout;
}

DayEventRows RowsOf(const std::vector<CalendarRecord>& calendars, int cell = kDecember8)
{
    DayEventRows rows;
    rows.Read(Lay(calendars), cell);
    return rows;
}

TEST(DayEventRows, RowsAreTheCellsEventsStackedInsideTheMargin)
{
    const std::vector<CalendarRecord> calendars{SelectedCalendar({
        TimedEvent("lunch", "2026-12-08T12:00:00+09:00", "2026-12-08T13:00:00+09:00"),
        AllDayEvent("trip", "2026-12-07", "2026-12-10"),
        AllDayEvent("other day", "2026-12-09", "2026-12-10"),
    })};
    const DayEventRows rows = RowsOf(calendars);
    ASSERT_EQ(rows.Count(), 2);
    EXPECT_EQ(rows.Entry(0)->event.summary, "trip");
    EXPECT_EQ(rows.Entry(1)->event.summary, "lunch");
    EXPECT_EQ(rows.RowRect(1, kWidth), (PixelRect{10, 35, 290, 60}));
    EXPECT_EQ(rows.RowAt(289, 59, kWidth), 1);
    EXPECT_EQ(rows.RowAt(290, 40, kWidth), -1);
    EXPECT_EQ(rows.RowAt(50, 60, kWidth), -1) << "below the last row";
    EXPECT_EQ(RowsOf(calendars, 42).Count(), 0) << "a six-row grid has cells 0..41";
}

TEST(DayEventRows, ReadingAgainClearsTheSelectionAndReadersEventsCannotBeDeleted)
{
    CalendarRecord shared = SelectedCalendar({AllDayEvent("shared", "2026-12-08", "2026-12-09")}, "#3366CC", "s@x");
    shared.accessRole = "reader";
    const CalendarRecord own = SelectedCalendar({AllDayEvent("own", "2026-12-08", "2026-12-09")});
    DayEventRows rows = RowsOf({shared, own});
    EXPECT_EQ(rows.DeletableSelection(), nullptr) << "nothing selected";
    rows.Select(0);
    EXPECT_EQ(rows.DeletableSelection(), nullptr);
    rows.Select(1);
    rows.Select(2); // no such row
    ASSERT_NE(rows.DeletableSelection(), nullptr);
    EXPECT_EQ(rows.DeletableSelection()->event.summary, "own");

    // The selected last row was deleted.
    rows.Read(Lay({shared}), kDecember8);
    EXPECT_EQ(rows.selectedRow(), -1);
    EXPECT_EQ(rows.DeletableSelection(), nullptr);
}

TEST(DayEventBars, ArrowsPointToTheDaysAnEventGoesOnTo)
{
    const std::vector<CalendarRecord> calendars{
        SelectedCalendar({AllDayEvent("two days", "2026-12-08", "2026-12-10"),
                          TimedEvent("one day", "2026-12-08T09:00:00+09:00", "2026-12-08T10:00:00+09:00")})};
    const DayEventRows first = RowsOf(calendars);
    // Row 0 spans y 10..35: top 11, bottom 34, middle 22; arrows are (25 - 2) / 2 = 11 deep.
    const DayEventBar right = first.Bar(0, kWidth, December(1));
    EXPECT_EQ(right.outline, (std::vector<PixelPoint>{{10, 11}, {10, 34}, {279, 34}, {290, 22}, {279, 11}}));
    EXPECT_EQ(right.textRect, (PixelRect{14, 11, 290, 34}));
    EXPECT_EQ(first.Bar(1, kWidth, December(1)).outline,
              (std::vector<PixelPoint>{{10, 36}, {10, 59}, {290, 59}, {290, 36}}));

    const DayEventBar left = RowsOf(calendars, kDecember8 + 1).Bar(0, kWidth, December(1));
    EXPECT_EQ(left.outline, (std::vector<PixelPoint>{{21, 11}, {10, 22}, {21, 34}, {290, 34}, {290, 11}}));
    EXPECT_EQ(left.textRect.left, 24);
}

TEST(DayEventsWindow, OpensAtTheCursorUnlessThatRunsOffTheScreens)
{
    const PixelRect screens{0, 0, 3840, 1080}; // two monitors side by side
    const PixelSize size = DayEventsWindowSize(7, 25);
    EXPECT_EQ(size, (PixelSize{300, 225}));
    EXPECT_EQ(PlaceDayEventsWindow({1900, 100}, size, screens), (PixelPoint{1900, 100}));
    EXPECT_EQ(PlaceDayEventsWindow({3540, 855}, size, screens), (PixelPoint{3540, 855})) << "exactly fits";
    EXPECT_EQ(PlaceDayEventsWindow({3541, 856}, size, screens), (PixelPoint{3241, 631}));
    EXPECT_EQ(DayEventsTitle(December(8)), "12월 08일(Tuesday)");
}

} // namespace
} // namespace orb
