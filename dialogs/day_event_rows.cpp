#include "dialogs/day_event_rows.h"

#include "core/clock.h"
#include "core/ui_text.h"

#include <algorithm>

namespace orb {

namespace {

constexpr const char* kTitleFormat = ORB_TEXT("OrbCalender", "%m월 %d일(%A)");

constexpr RgbColor kSelectedOutline{0, 0, 0};
constexpr int kSelectedPenWidth = 2;
// The summary starts this far in from the bar's left edge, further past a left arrow.
constexpr int kTextInset = 4;
constexpr int kTextInsetAfterArrow = 14;

} // namespace

PixelSize DayEventsWindowSize(int rows, int lineHeight)
{
    return {kDayEventsWidth, rows * lineHeight + kDayEventsExtraHeight};
}

PixelPoint PlaceDayEventsWindow(PixelPoint cursor, PixelSize size, const PixelRect& screens)
{
    PixelPoint corner = cursor;
    if (cursor.x + size.width > screens.right)
        corner.x = cursor.x - size.width;
    if (cursor.y + size.height > screens.bottom)
        corner.y = cursor.y - size.height;
    return corner;
}

std::string DayEventsTitle(const DateValue& day)
{
    if (!day.IsValid())
        return {};
    return FormatLocal(day.ToLocal(), Translated(kTitleFormat).c_str());
}

void DayEventRows::Read(const MonthLayout& layout, int cellIndex)
{
    entries_.clear();
    selected_ = -1;
    lineHeight_ = layout.lineHeight();
    const DayCell* cell = layout.Cell(cellIndex);
    day_ = cell ? cell->date : DateValue::MakeNull();
    if (cell == nullptr)
        return;
    for (const int index : cell->coveringEvents) {
        if (const EventEntry* entry = layout.Event(index))
            entries_.push_back(*entry);
    }
}

const EventEntry* DayEventRows::Entry(int row) const
{
    if (row < 0 || row >= Count())
        return nullptr;
    return &entries_[static_cast<std::size_t>(row)];
}

PixelRect DayEventRows::RowRect(int row, int clientWidth) const
{
    const int top = kDayEventsMargin + row * lineHeight_;
    return {kDayEventsMargin, top, clientWidth - kDayEventsMargin, top + lineHeight_};
}

int DayEventRows::RowAt(int x, int y, int clientWidth) const
{
    for (int row = 0; row < Count(); ++row) {
        if (RowRect(row, clientWidth).Contains(x, y))
            return row;
    }
    return -1;
}

void DayEventRows::Select(int row)
{
    if (Entry(row) != nullptr)
        selected_ = row;
}

const EventEntry* DayEventRows::DeletableSelection() const
{
    const EventEntry* entry = Entry(selected_);
    if (entry == nullptr || IsReadOnlyRole(entry->accessRole))
        return nullptr;
    return entry;
}

DayEventBar DayEventRows::Bar(int row, int clientWidth, const DateValue& now) const
{
    DayEventBar bar;
    const EventEntry* entry = Entry(row);
    if (entry == nullptr)
        return bar;
    const PixelRect r = RowRect(row, clientWidth);
    const int left = r.left;
    const int right = r.right;
    const int top = r.top + 1;
    const int bottom = r.bottom - 1;
    const int middle = (r.top + r.bottom) / 2;
    const int arrow = (lineHeight_ - 2) / 2;
    const DateValue lastDay = EventLastDay(entry->event);
    const bool startsHere = EventStartDay(entry->event) == day_;
    const bool endsHere = lastDay == day_;

    // A bar that goes on before or after this day points that way.
    if (startsHere)
        bar.outline = {{left, top}, {left, bottom}};
    else
        bar.outline = {{left + arrow, top}, {left, middle}, {left + arrow, bottom}};
    if (endsHere)
        bar.outline.insert(bar.outline.end(), {{right, bottom}, {right, top}});
    else
        bar.outline.insert(bar.outline.end(), {{right - arrow, bottom}, {right, middle}, {right - arrow, top}});
    bar.textRect = {left + (startsHere ? kTextInset : kTextInsetAfterArrow), top, right, bottom};

    bar.fill = ColorFromText(entry->event.colorText);
    bar.text = kBarText;
    // Already past on its last day, from that day's midnight on.
    if (lastDay < now) {
        bar.fill = PaleColorOf(bar.fill);
        bar.text = kPastBarText;
    }
    bar.pen = kBarOutline;
    if (row == selected_) {
        bar.fill = kBarHighlight;
        bar.pen = kSelectedOutline;
        bar.penWidth = kSelectedPenWidth;
    }
    return bar;
}

} // namespace orb
