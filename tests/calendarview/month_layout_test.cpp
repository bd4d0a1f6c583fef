#include "calendarview/month_layout.h"
#include "tests/calendarview/calendar_builders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace orb {
namespace {

using test::AllDayEvent;
using test::SelectedCalendar;
using test::TimedEvent;

class CountingMeasurer : public TextMeasurer
{
public:
    int TextWidth(std::string_view) const override
    {
        ++calls;
        return kWidth;
    }
    static constexpr int kWidth = 48;
    mutable int calls = 0;
};

// September 2024 starts on a Sunday, so with six rows cell i is September 1 + i. The grid
// is 700 x 600: cells of 100 x 100, five lines of 20 pixels each.
DateValue September(int day)
{
    return DateValue::FromCivil(2024, 9, day);
}

struct Grid
{
    DateValue displayDate = September(15);
    int rowCount = 6;
    int lineHeight = 20;
    PixelRect rect{0, 0, 700, 600};
};

MonthLayout Lay(const std::vector<CalendarRecord>& calendars, const Grid& grid = {})
{
    CountingMeasurer measurer;
    MonthLayout layout;
    layout.Build({grid.displayDate, grid.rowCount, grid.lineHeight, grid.rect}, calendars, measurer);
    return layout;
}

std::vector<std::string> Summaries(const MonthLayout& layout)
{
    std::vector<std::string> names;
    for (const EventEntry& entry : layout.events())
        names.push_back(entry.event.summary);
    return names;
}

// Cells covered by the event at `index`, read back from the cells' own lists.
std::vector<int> CoveredCells(const MonthLayout& layout, int index)
{
    std::vector<int> covered;
    for (int k = 0; k < static_cast<int>(layout.cells().size()); ++k) {
        for (int e : layout.cells()[k].coveringEvents) {
            if (e == index)
                covered.push_back(k);
        }
    }
    return covered;
}

int IndexOf(const MonthLayout& layout, const std::string& summary)
{
    for (std::size_t i = 0; i < layout.events().size(); ++i) {
        if (layout.events()[i].event.summary == summary)
            return static_cast<int>(i);
    }
    ADD_FAILURE() << summary << " is not listed";
    return -1;
}

int LineOf(const MonthLayout& layout, const EventSegment& segment)
{
    return (segment.top - layout.cells()[segment.startCell].rect.top) / layout.lineHeight();
}

TEST(MonthGridTest, SixRowsStartOnTheSundayOnOrBeforeTheFirst)
{
    // A month that starts on a Sunday shows its 1st in the first cell.
    MonthLayout sunday = Lay({}, {.displayDate = September(20)});
    ASSERT_EQ(sunday.cells().size(), 42u);
    EXPECT_EQ(sunday.cells()[0].date, September(1));
    EXPECT_EQ(sunday.cells()[41].date, DateValue::FromCivil(2024, 10, 12));

    // June 2024 starts on a Saturday: six days of May come first.
    MonthLayout saturday = Lay({}, {.displayDate = DateValue::FromCivil(2024, 6, 30, 15, 0, 0)});
    EXPECT_EQ(saturday.cells()[0].date, DateValue::FromCivil(2024, 5, 26));
    EXPECT_EQ(saturday.cells()[6].date, DateValue::FromCivil(2024, 6, 1));

    // Leap February: the 29th sits between the 28th and March 1.
    MonthLayout leap = Lay({}, {.displayDate = DateValue::FromCivil(2024, 2, 10)});
    EXPECT_EQ(leap.cells()[0].date, DateValue::FromCivil(2024, 1, 28));
    EXPECT_EQ(leap.cells()[32].date, DateValue::FromCivil(2024, 2, 29));
    EXPECT_EQ(leap.cells()[33].date, DateValue::FromCivil(2024, 3, 1));
}

TEST(MonthGridTest, FewerRowsStartAtTheWeekOfTheDisplayDate)
{
    // Wednesday June 19: its week starts on Sunday June 16, not at the month.
    for (int rows = 1; rows < 6; ++rows) {
        MonthLayout layout = Lay({}, {.displayDate = DateValue::FromCivil(2024, 6, 19, 9, 0, 0), .rowCount = rows});
        ASSERT_EQ(layout.cells().size(), static_cast<std::size_t>(7 * rows));
        EXPECT_EQ(layout.cells()[0].date, DateValue::FromCivil(2024, 6, 16));
        EXPECT_LE(layout.cells().back().rect.bottom, 600);
        EXPECT_GT(layout.cells().back().rect.bottom, 600 - rows);
    }
    // A Sunday display date is its own first cell.
    EXPECT_EQ(Lay({}, {.displayDate = DateValue::FromCivil(2024, 6, 16), .rowCount = 2}).cells()[0].date,
              DateValue::FromCivil(2024, 6, 16));
}

TEST(MonthGridTest, CellEdgesAreTruncatedAndEveryCellHasTheSameSize)
{
    // 1000 / 7 and 700 / 6 are not whole: left = trunc(a + k*w), right = trunc(left + w).
    MonthLayout layout = Lay({}, {.lineHeight = 25, .rect = {0, 85, 1000, 785}});
    const auto& cells = layout.cells();
    EXPECT_EQ(cells[1].rect, (PixelRect{142, 85, 284, 201}));
    EXPECT_EQ(cells[2].rect.left, 285);
    EXPECT_EQ(cells[2].rect.right, 427);
    EXPECT_EQ(cells[7].rect.top, 201);
    EXPECT_EQ(cells[7].rect.bottom, 317);
    EXPECT_EQ(cells[14].rect.top, 318);
    for (const DayCell& cell : cells) {
        EXPECT_EQ(cell.rect.right - cell.rect.left, 142);
        EXPECT_EQ(cell.rect.bottom - cell.rect.top, 116);
        // 116 / 25 lines; the first is the date line.
        ASSERT_EQ(cell.lineTaken, (std::vector<int>{1, 0, 0, 0}));
        EXPECT_EQ(cell.lineUse, 1);
    }
}

TEST(MonthGridTest, OutOfRangeRowCountsAndTinyWindowsStaySafe)
{
    EXPECT_EQ(Lay({}, {.rowCount = 0}).cells().size(), 7u);
    EXPECT_EQ(Lay({}, {.rowCount = 40}).cells().size(), 42u);
    // The grid rectangle is upside down when the window is shorter than the header.
    MonthLayout squashed =
        Lay({SelectedCalendar({AllDayEvent("a", "2024-09-03", "2024-09-04")})}, {.rect = {0, 85, 700, 40}});
    for (const DayCell& cell : squashed.cells())
        EXPECT_TRUE(cell.lineTaken.empty());
    EXPECT_EQ(squashed.placements()[0].hidden, 1);
    EXPECT_EQ(squashed.OverflowAt(50, 60), -1);
}

TEST(EventCoverTest, AllDayTimedAndOverMidnightEvents)
{
    MonthLayout layout = Lay({SelectedCalendar({
        AllDayEvent("all day", "2024-09-03", "2024-09-04"),
        TimedEvent("morning", "2024-09-03T10:00:00+09:00", "2024-09-03T11:00:00+09:00"),
        TimedEvent("late", "2024-09-03T22:00:00+09:00", "2024-09-04T01:00:00+09:00"),
    })});
    EXPECT_EQ(CoveredCells(layout, IndexOf(layout, "all day")), (std::vector<int>{2}));
    EXPECT_EQ(CoveredCells(layout, IndexOf(layout, "morning")), (std::vector<int>{2}));
    const int late = IndexOf(layout, "late");
    EXPECT_EQ(CoveredCells(layout, late), (std::vector<int>{2, 3}));
    EXPECT_EQ(layout.cells()[2].lineUse, 4);
    EXPECT_EQ(layout.cells()[3].lineUse, 2);
    EXPECT_EQ(layout.placements()[late].firstCell, 2);
    EXPECT_EQ(layout.placements()[late].lastCell, 3);
}

TEST(EventCoverTest, EventsOutsideTheGridOrWithBrokenDatesAreNotListed)
{
    EventRecord noTexts;
    noTexts.summary = "no texts";
    EventRecord noEnd = AllDayEvent("no end", "2024-09-03", "");
    MonthLayout layout = Lay({SelectedCalendar({
        AllDayEvent("month 13", "2024-13-03", "2024-13-04"),
        AllDayEvent("short", "2024-9", "2024-9-4"),
        AllDayEvent("letters", "yyyy-mm-dd", "yyyy-mm-dd"),
        noTexts,
        noEnd,
        AllDayEvent("last year", "2023-09-03", "2023-09-04"),
        TimedEvent("broken end", "2024-09-03T10:00:00+09:00", "2024-09-xxT11:00:00"),
    })});
    EXPECT_TRUE(layout.events().empty());
    EXPECT_TRUE(layout.placements().empty());
    for (const DayCell& cell : layout.cells())
        EXPECT_EQ(cell.lineUse, 1);
}

TEST(EventListTest, OnlySelectedCalendarsCountAndTheirColourFillsTheGaps)
{
    CalendarRecord hidden = SelectedCalendar({AllDayEvent("hidden", "2024-09-03", "2024-09-04")});
    hidden.selected = "false";
    CalendarRecord unknown = SelectedCalendar({AllDayEvent("unknown", "2024-09-03", "2024-09-04")});
    unknown.selected = "";
    EventRecord own = AllDayEvent("own colour", "2024-09-05", "2024-09-06");
    own.colorText = "#FBD75B";
    CalendarRecord shown =
        SelectedCalendar({AllDayEvent("calendar colour", "2024-09-04", "2024-09-05"), own}, "#9FC6E7");
    MonthLayout layout = Lay({hidden, unknown, shown});
    ASSERT_EQ(Summaries(layout), (std::vector<std::string>{"calendar colour", "own colour"}));
    EXPECT_EQ(layout.events()[0].event.colorText, "#9FC6E7");
    EXPECT_EQ(layout.events()[1].event.colorText, "#FBD75B");
    EXPECT_EQ(layout.events()[1].calendarIndex, 2);
    EXPECT_EQ(layout.events()[1].indexInCalendar, 1);
}

TEST(EventListTest, EarlierFirstThenLongerFirstThenStoreOrder)
{
    MonthLayout layout = Lay({
        SelectedCalendar({
            TimedEvent("timed 3rd", "2024-09-03T08:00:00+09:00", "2024-09-03T09:00:00+09:00"),
            AllDayEvent("one day 3rd", "2024-09-03", "2024-09-04"),
            AllDayEvent("broken", "2024-99-03", "2024-09-04"),
            AllDayEvent("one day 2nd", "2024-09-02", "2024-09-03"),
        }),
        SelectedCalendar({
            AllDayEvent("two days 3rd", "2024-09-03", "2024-09-05"),
            AllDayEvent("one day 3rd, second calendar", "2024-09-03", "2024-09-04"),
        }),
    });
    // Equal starts and lengths keep calendar order, then event order; a start that
    // does not parse covers no day.
    EXPECT_EQ(Summaries(layout), (std::vector<std::string>{"one day 2nd", "two days 3rd", "one day 3rd",
                                                           "one day 3rd, second calendar", "timed 3rd"}));
    // The longer event gets the upper line on the shared day.
    EXPECT_EQ(LineOf(layout, layout.placements()[1].segments[0]), 1);
    EXPECT_EQ(LineOf(layout, layout.placements()[2].segments[0]), 2);
}

// The layout reads only the events that reach the shown days, through an index it keeps
// between builds.
TEST(WindowTest, AnEventFromWeeksBeforeStillShowsAndItsNeighboursOutsideDoNot)
{
    // "summer" is last in store order, and every event that starts after it ends before the
    // grid: neither the store order nor the end of each event alone leads to it.
    MonthLayout layout = Lay({SelectedCalendar({
        AllDayEvent("july", "2024-07-02", "2024-07-03"),
        AllDayEvent("ends at the grid", "2024-08-25", "2024-09-01"),
        TimedEvent("overnight", "2024-08-31T23:00:00+09:00", "2024-09-01T01:00:00+09:00"),
        AllDayEvent("last day", "2024-10-12", "2024-10-13"),
        AllDayEvent("after", "2024-10-13", "2024-10-14"),
        AllDayEvent("summer", "2024-07-01", "2024-09-03"),
    })});
    ASSERT_EQ(Summaries(layout), (std::vector<std::string>{"summer", "overnight", "last day"}));
    EXPECT_EQ(CoveredCells(layout, 0), (std::vector<int>{0, 1}));
    EXPECT_EQ(CoveredCells(layout, 1), (std::vector<int>{0}));
    EXPECT_EQ(CoveredCells(layout, 2), (std::vector<int>{41}));
}

TEST(WindowTest, OneLayoutFollowsEveryChangeToTheStoreBetweenBuilds)
{
    std::vector<CalendarRecord> calendars{
        SelectedCalendar({AllDayEvent("a", "2024-09-03", "2024-09-04"), AllDayEvent("b", "2024-09-10", "2024-09-11")})};
    std::vector<EventRecord>& events = calendars[0].events;
    CountingMeasurer measurer;
    MonthLayout layout;
    const auto build = [&] { layout.Build({September(15), 6, 20, {0, 0, 700, 600}}, calendars, measurer); };
    build();
    // The same count and the same texts, only swapped between the two events.
    std::swap(events[0].start, events[1].start);
    std::swap(events[0].end, events[1].end);
    build();
    EXPECT_EQ(Summaries(layout), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(CoveredCells(layout, 1), (std::vector<int>{9}));

    events.push_back(AllDayEvent("c", "2024-08-01", "2024-09-02"));
    build();
    EXPECT_EQ(Summaries(layout), (std::vector<std::string>{"c", "b", "a"}));
    events[2].end.date = "2024-08-02";
    build();
    EXPECT_EQ(Summaries(layout), (std::vector<std::string>{"b", "a"}));
    events.erase(events.begin());
    build();
    ASSERT_EQ(Summaries(layout), (std::vector<std::string>{"b"}));
    EXPECT_EQ(layout.events()[0].indexInCalendar, 0);

    // A calendar put in front takes position 0 from the one indexed there before.
    calendars.insert(calendars.begin(), SelectedCalendar({AllDayEvent("d", "2024-09-05", "2024-09-06")}));
    build();
    ASSERT_EQ(Summaries(layout), (std::vector<std::string>{"b", "d"}));
    EXPECT_EQ(layout.events()[0].calendarIndex, 1);
}

TEST(WindowTest, EveryMonthListsExactlyWhatADayByDayScanOfAllEventsFinds)
{
    // Unsorted starts over two years, up to three months long; one layout steps through the
    // months, reusing its index. Timed and broken events have their own tests above.
    std::mt19937 random(2024);
    std::vector<CalendarRecord> calendars(3, SelectedCalendar({}));
    for (CalendarRecord& calendar : calendars) {
        for (int i = 0; i < 200; ++i) {
            const LocalDateTime start = AddDays({2024, 1, 1, 0, 0, 0}, static_cast<int>(random() % 730));
            const LocalDateTime end = AddDays(start, 1 + static_cast<int>(random() % 90));
            calendar.events.push_back(AllDayEvent("", FormatLocal(start, "%F"), FormatLocal(end, "%F")));
        }
    }
    CountingMeasurer measurer;
    MonthLayout layout;
    for (int month = 0; month < 26; ++month) {
        layout.Build(
            {DateValue::FromCivil(2024 + month / 12, month % 12 + 1, 10), month % 2 ? 6 : 2, 20, {0, 0, 700, 600}},
            calendars, measurer);
        std::set<std::pair<int, int>> scanned;
        for (const DayCell& cell : layout.cells()) {
            std::vector<std::pair<int, int>> covering;
            for (int c = 0; c < 3; ++c) {
                for (int e = 0; e < 200; ++e) {
                    const DateValue start = EventStartDay(calendars[c].events[e]);
                    if ((start < cell.date || start == cell.date) &&
                        cell.date < EventEndExclusive(calendars[c].events[e]))
                        covering.emplace_back(c, e);
                }
            }
            std::vector<std::pair<int, int>> listed;
            for (int index : cell.coveringEvents)
                listed.emplace_back(layout.events()[index].calendarIndex, layout.events()[index].indexInCalendar);
            std::sort(listed.begin(), listed.end());
            EXPECT_EQ(listed, covering) << "month " << month;
            scanned.insert(covering.begin(), covering.end());
        }
        EXPECT_EQ(layout.events().size(), scanned.size()) << "month " << month;
    }
}

TEST(SegmentTest, AnEventIsCutAtEverySaturday)
{
    // Friday September 6 to Tuesday September 10 (end date exclusive).
    MonthLayout layout = Lay({SelectedCalendar({AllDayEvent("trip", "2024-09-06", "2024-09-11")})});
    const auto& segments = layout.placements()[0].segments;
    ASSERT_EQ(segments.size(), 2u);
    const auto& cells = layout.cells();
    EXPECT_EQ(segments[0].startCell, 5);
    EXPECT_EQ(segments[0].endCell, 6);
    EXPECT_EQ(segments[0].left, cells[5].rect.left + 2);
    EXPECT_EQ(segments[0].right, cells[6].rect.right);
    EXPECT_EQ(segments[0].top, cells[5].rect.top + 20);
    EXPECT_EQ(segments[0].bottom, cells[5].rect.top + 40);
    EXPECT_EQ(segments[1].startCell, 7);
    EXPECT_EQ(segments[1].endCell, 9);
    EXPECT_EQ(segments[1].indexInPlacement, 1);
    EXPECT_EQ(segments[1].placementIndex, 0);
    EXPECT_EQ(cells[5].lineTaken[1], 1);
    EXPECT_EQ(cells[9].lineTaken[1], 1);
    EXPECT_EQ(cells[10].lineTaken[1], 0);

    // Four weeks from Sunday to Saturday: one segment per row.
    MonthLayout month = Lay({SelectedCalendar({AllDayEvent("month", "2024-09-01", "2024-09-29")})});
    EXPECT_EQ(month.placements()[0].segments.size(), 4u);
}

TEST(LineTest, TheLastLineOfAnOverfullCellIsKeptForTheOverflowBox)
{
    // 100 / 25 = four lines: the date line and three for events.
    const Grid fourLines{.lineHeight = 25};
    std::vector<EventRecord> events;
    for (const char* name : {"a", "b", "c"})
        events.push_back(AllDayEvent(name, "2024-09-04", "2024-09-05"));
    MonthLayout fits = Lay({SelectedCalendar(events)}, fourLines);
    EXPECT_EQ(fits.cells()[3].lineUse, 4);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(fits.placements()[i].hidden, 0);
        EXPECT_EQ(LineOf(fits, fits.placements()[i].segments[0]), i + 1);
    }
    EXPECT_EQ(fits.HiddenCount(3), 0);

    events.push_back(AllDayEvent("d", "2024-09-04", "2024-09-05"));
    MonthLayout overfull = Lay({SelectedCalendar(events)}, fourLines);
    EXPECT_EQ(overfull.cells()[3].lineTaken, (std::vector<int>{1, 1, 1, 0}));
    EXPECT_EQ(overfull.placements()[2].hidden, 1);
    EXPECT_EQ(overfull.placements()[3].hidden, 1);
    EXPECT_EQ(overfull.placements()[3].segments[0].Rect(), (PixelRect{302, 0, 400, 0}));
    EXPECT_EQ(overfull.HiddenCount(3), 2);
    EXPECT_EQ(overfull.HiddenCount(4), 0);
}

TEST(LineTest, AMultiWeekEventWithoutRoomLaterIsHiddenEverywhereButKeepsItsEarlierLine)
{
    // Three lines per cell. "held" gets line 1 on Saturday the 7th, then finds the next
    // week's line 1 taken by "long" and line 2 kept for the overflow box.
    const Grid threeLines{.rect = {0, 0, 700, 360}};
    MonthLayout layout = Lay({SelectedCalendar({
                                 AllDayEvent("short", "2024-09-02", "2024-09-04"),
                                 AllDayEvent("long", "2024-09-03", "2024-09-12"),
                                 AllDayEvent("held", "2024-09-07", "2024-09-15"),
                                 AllDayEvent("later", "2024-09-08", "2024-09-15"),
                             })},
                             threeLines);
    ASSERT_EQ(Summaries(layout), (std::vector<std::string>{"short", "long", "held", "later"}));
    const EventPlacement& held = layout.placements()[2];
    EXPECT_EQ(held.hidden, 1);
    for (const EventSegment& segment : held.segments)
        EXPECT_EQ(segment.top, segment.bottom);
    EXPECT_EQ(layout.cells()[6].lineTaken[1], 1);
    EXPECT_EQ(layout.EventAt(650, 30), -1);
    EXPECT_EQ(layout.HiddenCount(6), 1);
    EXPECT_EQ(layout.HiddenCount(8), 2);
    EXPECT_EQ(layout.placements()[1].hidden, 0);
}

TEST(LineTest, EveryRowCountLaysOutWithoutTouchingMissingCells)
{
    std::vector<EventRecord> events;
    for (int day = 1; day <= 28; day += 3)
        events.push_back(
            AllDayEvent("e", "2024-09-" + std::string(day < 10 ? "0" : "") + std::to_string(day), "2024-10-20"));
    for (int rows = 1; rows <= 6; ++rows) {
        MonthLayout layout = Lay({SelectedCalendar(events)}, {.displayDate = September(1), .rowCount = rows});
        const auto cellCount = static_cast<int>(layout.cells().size());
        for (const EventPlacement& placement : layout.placements()) {
            EXPECT_LT(placement.lastCell, cellCount);
            for (const EventSegment& segment : placement.segments)
                EXPECT_LE(segment.endCell - segment.startCell, 6);
        }
    }
}

TEST(HolidayTest, HolidaysAreLabelsOnTheDateLineOrHiddenInOneLineCells)
{
    const std::string holidayId = "ko.south_korea#holiday@group.v.calendar.google.com";
    CalendarRecord holidays = SelectedCalendar({AllDayEvent("추석", "2024-09-16", "2024-09-19")}, "#DC2127", holidayId);
    CalendarRecord mine = SelectedCalendar({AllDayEvent("mine", "2024-09-16", "2024-09-17")});

    CountingMeasurer measurer;
    MonthLayout layout;
    layout.Build({September(1), 6, 20, {0, 0, 700, 600}}, {holidays, mine}, measurer);
    const EventSegment& label = layout.placements()[0].segments[0];
    EXPECT_EQ(label.holiday, 1);
    EXPECT_EQ(label.left, layout.cells()[15].rect.left + 2 + CountingMeasurer::kWidth);
    EXPECT_EQ(label.top, layout.cells()[15].rect.top);
    EXPECT_EQ(measurer.calls, 1);
    // The label takes no line: the other event still gets line 1.
    EXPECT_EQ(LineOf(layout, layout.placements()[1].segments[0]), 1);
    EXPECT_EQ(layout.EventAt(label.left + 1, label.top + 1), 0);

    // Cells of one line (20 <= height < 40) have no room beside the day number.
    MonthLayout cramped;
    cramped.Build({September(1), 6, 20, {0, 0, 700, 180}}, {holidays}, measurer);
    EXPECT_EQ(cramped.placements()[0].hidden, 1);
    EXPECT_EQ(cramped.HiddenCount(15), 1);
    const PixelRect box = cramped.OverflowHitBox(15);
    EXPECT_EQ(box, (PixelRect{102, 60, 201, 80}));
    EXPECT_EQ(cramped.OverflowAt(150, 70), 15);
}

TEST(HitTestTest, BarsBoxesAndCellsAnswerForTheirOwnRectangles)
{
    const Grid fourLines{.lineHeight = 25};
    std::vector<EventRecord> events;
    for (const char* name : {"a", "b", "c", "d"})
        events.push_back(AllDayEvent(name, "2024-09-04", "2024-09-05"));
    MonthLayout layout = Lay({SelectedCalendar(events)}, fourLines);
    // Cell 3 spans x 300..400; line 1 is y 25..50.
    EXPECT_EQ(layout.EventAt(302, 25), 0);
    EXPECT_EQ(layout.EventAt(301, 25), -1);
    EXPECT_EQ(layout.EventAt(350, 50), 1);
    EXPECT_EQ(layout.EventAt(350, 80), -1);
    EXPECT_EQ(layout.OverflowHitBox(3), (PixelRect{302, 75, 401, 100}));
    EXPECT_EQ(layout.OverflowBox(3), (PixelRect{302, 76, 401, 99}));
    EXPECT_EQ(layout.OverflowAt(350, 80), 3);
    EXPECT_EQ(layout.OverflowAt(450, 80), -1);
    EXPECT_EQ(layout.CellAt(450, 80), 4);
    EXPECT_EQ(layout.CellAt(700, 80), -1);
    EXPECT_EQ(layout.CellAt(50, -1), -1);
    EXPECT_EQ(layout.Event(4), nullptr);
    EXPECT_EQ(layout.Cell(-1), nullptr);
}

TEST(LineHeightTest, FollowsTheFontHeightWithFortyPerCentLeading)
{
    EXPECT_EQ(LineHeightForFont(0), 20);
    EXPECT_EQ(LineHeightForFont(18), 25);
    EXPECT_EQ(LineHeightForFont(-12), 16);
    EXPECT_EQ(LineHeightForFont(-1), 1);
}

} // namespace
} // namespace orb
