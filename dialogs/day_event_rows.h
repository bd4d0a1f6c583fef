#pragma once

#include "calendarview/event_color.h"
#include "calendarview/month_layout.h"
#include "dialogs/swatch_strip.h"

#include <string>
#include <vector>

namespace orb {

struct PixelSize
{
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// The day events window is this wide; its height is the rows plus this much.
constexpr int kDayEventsWidth = 300;
constexpr int kDayEventsExtraHeight = 50;
// Rows keep this far from the window's edges.
constexpr int kDayEventsMargin = 10;

PixelSize DayEventsWindowSize(int rows, int lineHeight);

// The window's top-left corner: at the cursor, but left of it or above it where it would
// run past the right or bottom edge of all screens taken together.
PixelPoint PlaceDayEventsWindow(PixelPoint cursor, PixelSize size, const PixelRect& screens);

// "12월 08일(Tuesday)", the weekday named under the process locale.
std::string DayEventsTitle(const DateValue& day);

// How one row is drawn.
struct DayEventBar
{
    std::vector<PixelPoint> outline; // a closed polygon; arrow points where the event goes on
    PixelRect textRect;
    RgbColor fill;
    RgbColor text;
    RgbColor pen;
    int penWidth = 1;
};

// The events of one day of the month view, one row each, with the row the user selected.
// The rows are copies taken from a layout, so they stay whole while the store changes.
class DayEventRows
{
public:
    // Reads the cell's covering events; no rows for a cell the layout does not have.
    // The selection is cleared: row numbers of an older reading mean nothing now.
    void Read(const MonthLayout& layout, int cellIndex);

    int Count() const { return static_cast<int>(entries_.size()); }
    const EventEntry* Entry(int row) const;
    const DateValue& day() const { return day_; }
    int lineHeight() const { return lineHeight_; }

    PixelRect RowRect(int row, int clientWidth) const;
    // The row under a point of a client area `clientWidth` wide, or -1.
    int RowAt(int x, int y, int clientWidth) const;

    int selectedRow() const { return selected_; }
    // Rows that do not exist are ignored.
    void Select(int row);
    // The selected row's event when it may be deleted; nullptr with no selection or for an
    // event of a calendar the user may only read.
    const EventEntry* DeletableSelection() const;

    // Past events (their last day began before `now`) are drawn pale with grey text.
    DayEventBar Bar(int row, int clientWidth, const DateValue& now) const;

private:
    std::vector<EventEntry> entries_;
    DateValue day_ = DateValue::MakeNull();
    int lineHeight_ = 1;
    int selected_ = -1;
};

} // namespace orb
