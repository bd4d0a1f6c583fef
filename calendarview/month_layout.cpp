#include "calendarview/month_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace orb {

namespace {

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

// (start, end) used only to order the events.
struct SortKey
{
    DateValue start;
    long long length = 0;
};

SortKey SortKeyOf(const EventRecord& event)
{
    DateValue start;
    DateValue end;
    if (!event.start.date.empty()) {
        start = DateOfText(event.start.date);
        end = DateOfText(event.end.date);
    } else if (!event.start.dateTime.empty()) {
        start = DateOfText(event.start.dateTime);
        end = DateOfText(event.end.dateTime);
    }
    return {start, WholeDaysBetween(start, end)};
}

// Earlier start first; at the same start the longer event first. A start that does not
// parse compares with nothing, which is no ordering at all, so those events go last.
bool SortsBefore(const SortKey& a, const SortKey& b)
{
    if (a.start.IsValid() != b.start.IsValid())
        return a.start.IsValid();
    if (!a.start.IsValid())
        return false;
    if (a.start < b.start)
        return true;
    return a.start == b.start && b.length < a.length;
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
    events_.clear();
    placements_.clear();
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
    for (DayCell& cell : cells_) {
        const int lines = std::max(0, (cell.rect.bottom - cell.rect.top) / lineHeight_);
        cell.lineTaken.assign(static_cast<std::size_t>(lines), 0);
        if (lines > 0)
            cell.lineTaken[0] = 1;
    }
}

void MonthLayout::PlaceEvents(const std::vector<CalendarRecord>& calendars, const TextMeasurer& measurer)
{
    events_.clear();
    placements_.clear();
    for (DayCell& cell : cells_) {
        cell.lineUse = 1;
        cell.coveringEvents.clear();
    }
    CollectEvents(calendars);
    CoverCells();
    BuildSegments();
    AssignLines(calendars, measurer);
}

void MonthLayout::CollectEvents(const std::vector<CalendarRecord>& calendars)
{
    // Order positions first and copy each record once, in its final place.
    struct Listed
    {
        SortKey key;
        std::size_t calendar;
        std::size_t event;
    };
    std::vector<Listed> listed;
    for (std::size_t c = 0; c < calendars.size(); ++c) {
        if (!IsSelected(calendars[c]))
            continue;
        for (std::size_t e = 0; e < calendars[c].events.size(); ++e)
            listed.push_back({SortKeyOf(calendars[c].events[e]), c, e});
    }
    std::stable_sort(listed.begin(), listed.end(),
                     [](const Listed& a, const Listed& b) { return SortsBefore(a.key, b.key); });
    events_.reserve(listed.size());
    for (const Listed& item : listed) {
        const CalendarRecord& calendar = calendars[item.calendar];
        EventEntry& entry =
            events_.emplace_back(EventEntry{calendar.events[item.event], static_cast<int>(item.event),
                                            static_cast<int>(item.calendar), calendar.id, calendar.accessRole});
        if (entry.event.colorText.empty())
            entry.event.colorText = calendar.backgroundColor;
    }
}

void MonthLayout::CoverCells()
{
    placements_.reserve(events_.size());
    for (std::size_t e = 0; e < events_.size(); ++e) {
        EventPlacement placement;
        placement.eventIndex = static_cast<int>(e);
        const DateValue start = EventStartDay(events_[e].event);
        const DateValue endExclusive = EventEndExclusive(events_[e].event);
        for (std::size_t k = 0; k < cells_.size(); ++k) {
            DayCell& cell = cells_[k];
            if ((start < cell.date || start == cell.date) && cell.date < endExclusive) {
                placement.firstCell = std::min(placement.firstCell, static_cast<int>(k));
                placement.lastCell = std::max(placement.lastCell, static_cast<int>(k));
                ++cell.lineUse;
                cell.coveringEvents.push_back(static_cast<int>(e));
            }
        }
        placements_.push_back(std::move(placement));
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
            if (i == placement.lastCell || (cell.date.IsValid() && cell.date.DayOfWeek() == kSaturday)) {
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
    for (int week = 0; week < kMaxWeekRows; ++week) {
        const int weekStart = week * kDaysPerWeek;
        std::vector<std::pair<std::size_t, std::size_t>> gathered;
        for (std::size_t p = 0; p < placements_.size(); ++p) {
            const auto& segments = placements_[p].segments;
            for (std::size_t s = 0; s < segments.size(); ++s) {
                if (segments[s].startCell >= weekStart && segments[s].endCell < weekStart + kDaysPerWeek)
                    gathered.emplace_back(p, s);
            }
        }
        for (const auto& [p, s] : gathered) {
            EventPlacement& placement = placements_[p];
            EventSegment& segment = placement.segments[s];
            const auto calendarIndex =
                static_cast<std::size_t>(events_[static_cast<std::size_t>(placement.eventIndex)].calendarIndex);
            if (calendarIndex < calendars.size() && IsHolidayCalendar(calendars[calendarIndex])) {
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
    std::size_t lineCount = 0;
    for (const DayCell& cell : cells_)
        lineCount = std::max(lineCount, cell.lineTaken.size());
    for (int line = 0; line < static_cast<int>(lineCount); ++line) {
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
    return static_cast<int>(std::count_if(placements_.begin(), placements_.end(),
                                          [cell](const EventPlacement& p) { return p.hidden && p.CoversCell(cell); }));
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
