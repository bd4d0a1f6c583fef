#pragma once

#include "calendarview/date_value.h"
#include "calendarview/event_index.h"
#include "service/records.h"
#include "widgets/pixel_rect.h"

#include <string_view>
#include <vector>

namespace orb {

constexpr int kDaysPerWeek = 7;
constexpr int kMaxWeekRows = 6;
constexpr int kNoFirstCell = 2147483647;
// A bar starts this far right of its cell's left edge.
constexpr int kBarInset = 2;

struct DayCell
{
    PixelRect rect;
    DateValue date;
    int lineUse = 1; // the date line plus one per covering event
    std::vector<int> coveringEvents;
    std::vector<int> lineTaken; // one per line that fits; entry 0 is the date line
};

// A copy of an event as laid out. An edit names the event by its calendar's id and its own
// id: positions go stale when the store changes, and one invitation keeps the same event id
// in several calendars.
struct EventEntry
{
    EventRecord event;
    int indexInCalendar = 0;
    int calendarIndex = 0;
    std::string calendarId;
    std::string accessRole; // of the calendar; "reader" cannot be changed
};

// The part of an event inside one week row.
struct EventSegment
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int startCell = 0;
    int endCell = 0;
    int indexInPlacement = 0;
    int placementIndex = 0;
    int holiday = 0;

    PixelRect Rect() const { return {left, top, right, bottom}; }
};

struct EventPlacement
{
    int eventIndex = 0;
    std::vector<EventSegment> segments;
    int hidden = 0;
    int firstCell = kNoFirstCell;
    int lastCell = -1;

    bool CoversCell(int cell) const { return firstCell <= cell && cell <= lastCell; }
};

// Width of a text in the font the platform uses when none is chosen.
class TextMeasurer
{
public:
    virtual ~TextMeasurer() = default;
    virtual int TextWidth(std::string_view text) const = 0;
};

// Height of a cell line for a font of LOGFONT height `lfHeight`.
int LineHeightForFont(int lfHeight);

// First day of the grid: the Sunday on or before the 1st of the month (six rows) or
// before `displayDate` itself (fewer rows).
DateValue FirstShownDay(const DateValue& displayDate, int rowCount);

// Start and end days of an event as the view reads them.
DateValue EventStartDay(const EventRecord& event);
// The day after the last covered day.
DateValue EventEndExclusive(const EventRecord& event);
// The last day the bar is drawn to end on.
DateValue EventLastDay(const EventRecord& event);
// The day from whose midnight on the event counts as past.
DateValue EventEndDay(const EventRecord& event);

// The days shown, their rectangles, and where every event that covers one of them goes.
// Shared by painting and hit testing; only the event index survives from one build to the
// next, and every build checks it against the calendars.
class MonthLayout
{
public:
    struct Request
    {
        DateValue displayDate;
        int rowCount = kMaxWeekRows;
        int lineHeight = 1;
        PixelRect grid;

        friend bool operator==(const Request&, const Request&) = default;
    };

    // The whole pass: cells, then the events of the selected calendars that cover a shown day.
    void Build(const Request& request, const std::vector<CalendarRecord>& calendars, const TextMeasurer& measurer);

    const std::vector<DayCell>& cells() const { return cells_; }
    const std::vector<EventEntry>& events() const { return events_; }
    const std::vector<EventPlacement>& placements() const { return placements_; }
    int lineHeight() const { return lineHeight_; }
    int rowCount() const { return rowCount_; }
    const PixelRect& grid() const { return grid_; }

    // nullptr outside the sequence.
    const DayCell* Cell(int index) const;
    const EventEntry* Event(int index) const;

    // Hidden events whose days include `cell`; shown in the cell's overflow box.
    int HiddenCount(int cell) const;
    // Where the overflow box is drawn, and where a click counts as on it.
    PixelRect OverflowBox(int cell) const;
    PixelRect OverflowHitBox(int cell) const;

    // Index into events() / cells() under a point, or -1.
    int EventAt(int x, int y) const;
    int OverflowAt(int x, int y) const;
    int CellAt(int x, int y) const;

private:
    // Grid dates, cell rectangles and line tables.
    void BuildCells(const Request& request);
    // Event list, covering, segments and lines over the cells just built.
    void PlaceEvents(const std::vector<CalendarRecord>& calendars, const TextMeasurer& measurer);
    void CollectEvents(const std::vector<CalendarRecord>& calendars);
    void CoverCells();
    void BuildSegments();
    void AssignLines(const std::vector<CalendarRecord>& calendars, const TextMeasurer& measurer);
    void Hide(EventPlacement& placement);
    void CountHidden();

    bool LineUsable(int cell, int line) const;
    int FirstCommonFreeLine(int from, int to) const;
    bool SpanHasRoom(int start, int end) const;

    std::vector<DayCell> cells_;
    std::vector<EventEntry> events_;
    std::vector<EventPlacement> placements_;
    std::vector<EventSpan> spans_; // one per entry of events_
    std::vector<int> hiddenCounts_;
    std::vector<char> closesWeek_; // per cell: a bar piece ends there
    int mostLines_ = 0;
    EventIndex index_;
    PixelRect grid_;
    int lineHeight_ = 1;
    int rowCount_ = kMaxWeekRows;
};

} // namespace orb
