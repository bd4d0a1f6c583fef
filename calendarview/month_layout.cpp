#include "calendarview/month_layout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace orb {

namespace {

// Google's public South Korean holiday calendar; its events become labels on the date line.
constexpr std::string_view kHolidayCalendarId = "ko.south_korea#holiday@group.v.calendar.google.com";
// A holiday label starts this far right of the cell edge, clear of the day number.
constexpr std::string_view kHolidayLabelOffsetText = "999999";
constexpr int kDefaultLineHeight = 20;
// A line is the font height plus 40 per cent of leading.
constexpr double kLeadingShare = 0.4;
constexpr int kSunday = 1;
constexpr int kSaturday = 7;
// The span check looks no further than the last cell of a six-row grid.
constexpr int kLastCellOfFullGrid = kDaysPerWeek * kMaxWeekRows - 1;

bool IsHolidayCalendar(const CalendarRecord& calendar)
{
    return calendar.id.find(kHolidayCalendarId) != std::string::npos;
}

} // namespace

int LineHeightForFont(int lfHeight)
{
    if (lfHeight == 0)
        return kDefaultLineHeight;
    const int height = std::abs(lfHeight);
    return height + static_cast<int>(height * kLeadingShare);
}

DateValue FirstShownDay(const DateValue& displayDate, int rowCount)
{
    if (!displayDate.IsValid())
        return displayDate;
    DateValue anchor = rowCount == kMaxWeekRows ? DateValue::FromCivil(displayDate.Year(), displayDate.Month(), 1)
                                                : displayDate.DateOnly();
    while (anchor.IsValid() && anchor.DayOfWeek() != kSunday)
        anchor = anchor.AddDays(-1);
    return anchor;
}

DateValue EventStartDay(const EventRecord& event)
{
    if (!event.start.date.empty())
        return DateOfText(event.start.date);
    if (!event.start.dateTime.empty())
        return DateOfText(event.start.dateTime);
    return {};
}

DateValue EventEndExclusive(const EventRecord& event)
{
    if (!event.end.date.empty())
        return DateOfText(event.end.date);
    if (!event.end.dateTime.empty())
        return DateOfText(event.end.dateTime).AddDays(1);
    return {};
}

DateValue EventLastDay(const EventRecord& event)
{
    if (!event.end.date.empty())
        return DateOfText(event.end.date).AddDays(-1);
    if (!event.end.dateTime.empty())
        return DateOfText(event.end.dateTime);
    return DateValue{}.AddDays(-1);
}

DateValue EventEndDay(const EventRecord& event)
{
    return DateOfText(!event.end.date.empty() ? event.end.date : event.end.dateTime);
}

void MonthLayout::Build(const Request& request, const std::vector<CalendarRecord>& calendars,
                        const TextMeasurer& measurer)
{
    BuildCells(request);
    PlaceEvents(calendars, measurer);
}

void MonthLayout::BuildCells(const Request& request)
{
    rowCount_ = std::clamp(request.rowCount, 1, kMaxWeekRows);
    lineHeight_ = std::max(request.lineHeight, 1);
    grid_ = request.grid;
    const PixelRect& grid = grid_;
    // The truncations are part of the look: every cell gets the same width and height.
    const auto columnWidth = static_cast<float>((grid.right - grid.left) / 7.0);
    const double rowHeight = static_cast<double>(grid.bottom - grid.top) / rowCount_;

    cells_.clear();
    DateValue day = FirstShownDay(request.displayDate, rowCount_);
    for (int row = 0; row < rowCount_; ++row) {
        for (int column = 0; column < kDaysPerWeek; ++column) {
            DayCell cell;
            cell.rect.left = static_cast<int>(grid.left + column * columnWidth);
            cell.rect.top = static_cast<int>(grid.top + row * rowHeight);
            cell.rect.right = static_cast<int>(cell.rect.left + columnWidth);
            cell.rect.bottom = static_cast<int>(cell.rect.top + rowHeight);
            cell.date = day;
            cells_.push_back(std::move(cell));
            day = day.AddDays(1);
        }
    }
    mostLines_ = 0;
    closesWeek_.clear();
    for (DayCell& cell : cells_) {
        const int lines = std::max(0, (cell.rect.bottom - cell.rect.top) / lineHeight_);
        cell.lineTaken.assign(static_cast<std::size_t>(lines), 0);
        if (lines > 0)
            cell.lineTaken[0] = 1;
        mostLines_ = std::max(mostLines_, lines);
        closesWeek_.push_back(cell.date.IsValid() && cell.date.DayOfWeek() == kSaturday ? 1 : 0);
    }
}

void MonthLayout::PlaceEvents(const std::vector<CalendarRecord>& calendars, const TextMeasurer& measurer)
{
    for (DayCell& cell : cells_) {
        cell.lineUse = 1;
        cell.coveringEvents.clear();
    }
    CollectEvents(calendars);
    CoverCells();
    BuildSegments();
    AssignLines(calendars, measurer);
    CountHidden();
}

void MonthLayout::CollectEvents(const std::vector<CalendarRecord>& calendars)
{
    spans_.clear();
    // Cell dates are whole, consecutive days, all valid or none.
    if (!cells_.empty() && cells_.front().date.IsValid()) {
        const int firstDay = DayNumber(cells_.front().date);
        index_.Find(calendars, firstDay, firstDay + static_cast<int>(cells_.size()), spans_);
    }
    // Copied over the last build's entries, whose texts keep their buffers: a dense month
    // copies thousands of events on every paint.
    events_.resize(spans_.size());
    for (std::size_t e = 0; e < spans_.size(); ++e) {
        const EventSpan& span = spans_[e];
        const CalendarRecord& calendar = calendars[static_cast<std::size_t>(span.calendar)];
        EventEntry& entry = events_[e];
        entry.event = calendar.events[static_cast<std::size_t>(span.event)];
        entry.indexInCalendar = span.event;
        entry.calendarIndex = span.calendar;
        entry.calendarId = calendar.id;
        entry.accessRole = calendar.accessRole;
        if (entry.event.colorText.empty())
            entry.event.colorText = calendar.backgroundColor;
    }
}

void MonthLayout::CoverCells()
{
    placements_.resize(events_.size());
    const int firstDay = spans_.empty() ? 0 : DayNumber(cells_.front().date);
    const auto cellCount = static_cast<int>(cells_.size());
    for (std::size_t e = 0; e < events_.size(); ++e) {
        EventPlacement& placement = placements_[e];
        placement.eventIndex = static_cast<int>(e);
        placement.segments.clear();
        placement.hidden = 0;
        // Every span reaches at least one shown day.
        placement.firstCell = std::max(spans_[e].firstDay - firstDay, 0);
        placement.lastCell = std::min(spans_[e].endDay - firstDay, cellCount) - 1;
        for (int k = placement.firstCell; k <= placement.lastCell; ++k) {
            DayCell& cell = cells_[static_cast<std::size_t>(k)];
            ++cell.lineUse;
            cell.coveringEvents.push_back(static_cast<int>(e));
        }
    }
}

void MonthLayout::BuildSegments()
{
    for (std::size_t p = 0; p < placements_.size(); ++p) {
        EventPlacement& placement = placements_[p];
        if (placement.lastCell < 0)
            continue;
        std::optional<EventSegment> open;
        for (int i = placement.firstCell; i <= placement.lastCell; ++i) {
            const DayCell& cell = cells_[static_cast<std::size_t>(i)];
            if (!open) {
                open = EventSegment{};
                open->left = cell.rect.left + kBarInset;
                open->top = cell.rect.top;
                open->right = cell.rect.right + kBarInset;
                open->bottom = cell.rect.top + lineHeight_;
                open->startCell = i;
            }
            // A bar never runs past Saturday: each week row gets its own piece.
            if (i == placement.lastCell || closesWeek_[static_cast<std::size_t>(i)] != 0) {
                open->right = cell.rect.right;
                open->endCell = i;
                open->indexInPlacement = static_cast<int>(placement.segments.size());
                open->placementIndex = static_cast<int>(p);
                placement.segments.push_back(*open);
                open.reset();
            }
        }
    }
}

void MonthLayout::AssignLines(const std::vector<CalendarRecord>& calendars, const TextMeasurer& measurer)
{
    std::optional<int> holidayOffset;
    std::vector<char> holidayCalendar(calendars.size());
    for (std::size_t c = 0; c < calendars.size(); ++c)
        holidayCalendar[c] = IsHolidayCalendar(calendars[c]) ? 1 : 0;
    // Week by week, and within a week in event order.
    std::array<std::vector<std::pair<std::size_t, std::size_t>>, kMaxWeekRows> byWeek;
    for (std::size_t p = 0; p < placements_.size(); ++p) {
        const auto& segments = placements_[p].segments;
        for (std::size_t s = 0; s < segments.size(); ++s) {
            const int week = segments[s].startCell / kDaysPerWeek;
            if (week < kMaxWeekRows && segments[s].endCell < (week + 1) * kDaysPerWeek)
                byWeek[static_cast<std::size_t>(week)].emplace_back(p, s);
        }
    }
    for (const auto& gathered : byWeek) {
        for (const auto& [p, s] : gathered) {
            EventPlacement& placement = placements_[p];
            EventSegment& segment = placement.segments[s];
            const auto calendarIndex =
                static_cast<std::size_t>(events_[static_cast<std::size_t>(placement.eventIndex)].calendarIndex);
            if (calendarIndex < calendars.size() && holidayCalendar[calendarIndex] != 0) {
                // Holidays sit on the date line beside the day number and take no line.
                if (cells_[static_cast<std::size_t>(segment.startCell)].lineTaken.size() < 2) {
                    segment.top = 0;
                    segment.bottom = 0;
                    placement.hidden = 1;
                } else {
                    if (!holidayOffset)
                        holidayOffset = measurer.TextWidth(kHolidayLabelOffsetText);
                    segment.holiday = 1;
                    segment.left += *holidayOffset;
                }
                continue;
            }
            if (placement.hidden || !SpanHasRoom(segment.startCell, placement.lastCell)) {
                Hide(placement);
                continue;
            }
            const int line = FirstCommonFreeLine(segment.startCell, segment.endCell);
            if (line < 1) {
                Hide(placement);
                continue;
            }
            segment.top += line * lineHeight_;
            segment.bottom += line * lineHeight_;
            for (int k = segment.startCell; k <= segment.endCell; ++k)
                cells_[static_cast<std::size_t>(k)].lineTaken[static_cast<std::size_t>(line)] = 1;
        }
    }
}

void MonthLayout::CountHidden()
{
    hiddenCounts_.assign(cells_.size(), 0);
    for (const EventPlacement& placement : placements_) {
        if (!placement.hidden)
            continue;
        for (int k = placement.firstCell; k <= placement.lastCell; ++k)
            ++hiddenCounts_[static_cast<std::size_t>(k)];
    }
}

void MonthLayout::Hide(EventPlacement& placement)
{
    // Lines taken in earlier weeks stay taken: the rows above are already settled.
    for (EventSegment& segment : placement.segments) {
        segment.top = 0;
        segment.bottom = 0;
    }
    placement.hidden = 1;
}

bool MonthLayout::LineUsable(int cell, int line) const
{
    const DayCell& day = cells_[static_cast<std::size_t>(cell)];
    const auto lines = static_cast<int>(day.lineTaken.size());
    if (line < 0 || line >= lines || day.lineTaken[static_cast<std::size_t>(line)] != 0)
        return false;
    // An overfull cell keeps its last line for the overflow box.
    const bool overfull = day.rect.bottom - day.rect.top < day.lineUse * lineHeight_;
    return !(overfull && line == lines - 1);
}

int MonthLayout::FirstCommonFreeLine(int from, int to) const
{
    to = std::min(to, static_cast<int>(cells_.size()) - 1);
    from = std::max(from, 0);
    for (int line = 0; line < mostLines_; ++line) {
        bool everywhere = true;
        for (int k = from; k <= to && everywhere; ++k)
            everywhere = LineUsable(k, line);
        if (everywhere)
            return line;
    }
    return -1;
}

bool MonthLayout::SpanHasRoom(int start, int end) const
{
    int pieceStart = start;
    int pieceEnd = std::min((start + kDaysPerWeek) / kDaysPerWeek * kDaysPerWeek - 1, end);
    while (pieceEnd < kLastCellOfFullGrid) {
        if (FirstCommonFreeLine(pieceStart, pieceEnd) < 1)
            return false;
        if (pieceEnd == end)
            return true;
        // The next piece starts again at the Saturday that closed this one.
        pieceStart = pieceEnd;
        pieceEnd = std::min(pieceEnd + kDaysPerWeek, end);
    }
    return true;
}

const DayCell* MonthLayout::Cell(int index) const
{
    return index >= 0 && index < static_cast<int>(cells_.size()) ? &cells_[static_cast<std::size_t>(index)] : nullptr;
}

const EventEntry* MonthLayout::Event(int index) const
{
    return index >= 0 && index < static_cast<int>(events_.size()) ? &events_[static_cast<std::size_t>(index)] : nullptr;
}

int MonthLayout::HiddenCount(int cell) const
{
    return cell >= 0 && cell < static_cast<int>(hiddenCounts_.size()) ? hiddenCounts_[static_cast<std::size_t>(cell)]
                                                                      : 0;
}

PixelRect MonthLayout::OverflowBox(int cell) const
{
    const PixelRect& rect = cells_[static_cast<std::size_t>(cell)].rect;
    const auto lines = static_cast<int>(cells_[static_cast<std::size_t>(cell)].lineTaken.size());
    return {rect.left + kBarInset, rect.top + (lines - 1) * lineHeight_ + 1, rect.right + 1,
            rect.top + lines * lineHeight_ - 1};
}

PixelRect MonthLayout::OverflowHitBox(int cell) const
{
    const PixelRect& rect = cells_[static_cast<std::size_t>(cell)].rect;
    const auto lines = static_cast<int>(cells_[static_cast<std::size_t>(cell)].lineTaken.size());
    const int top = rect.top + (lines - 1) * lineHeight_;
    return {rect.left + kBarInset, top, rect.right + 1, top + lineHeight_};
}

int MonthLayout::EventAt(int x, int y) const
{
    for (const EventPlacement& placement : placements_) {
        for (const EventSegment& segment : placement.segments) {
            if (segment.Rect().Contains(x, y))
                return placement.eventIndex;
        }
    }
    return -1;
}

int MonthLayout::OverflowAt(int x, int y) const
{
    for (int k = 0; k < static_cast<int>(cells_.size()); ++k) {
        // A cell without a single line has nowhere to put the box.
        if (!cells_[static_cast<std::size_t>(k)].lineTaken.empty() && HiddenCount(k) > 0 &&
            OverflowHitBox(k).Contains(x, y))
            return k;
    }
    return -1;
}

int MonthLayout::CellAt(int x, int y) const
{
    for (int k = 0; k < static_cast<int>(cells_.size()); ++k) {
        if (cells_[static_cast<std::size_t>(k)].rect.Contains(x, y))
            return k;
    }
    return -1;
}

} // namespace orb
