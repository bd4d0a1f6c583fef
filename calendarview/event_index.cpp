#include "calendarview/event_index.h"

#include "calendarview/month_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orb {

namespace {

// The order reads the end from the same kind of text as the start, the cover from whichever
// end text there is; the two differ for records that mix an all-day start and a timed end.
long long SortLengthOf(const EventRecord& event, const DateValue& start)
{
    if (!event.start.date.empty())
        return WholeDaysBetween(start, DateOfText(event.end.date));
    if (!event.start.dateTime.empty())
        return WholeDaysBetween(start, DateOfText(event.end.dateTime));
    return 0;
}

// Earlier first; at the same start the longer first.
bool LaysOutBefore(const EventSpan& a, const EventSpan& b)
{
    return a.firstDay < b.firstDay || (a.firstDay == b.firstDay && b.sortLength < a.sortLength);
}

} // namespace

int DayNumber(const DateValue& day)
{
    return static_cast<int>(std::floor(day.Linear() + DateValue::kHalfSecond));
}

bool EventIndex::Matches(const CalendarIndex& index, const std::vector<EventRecord>& events)
{
    if (index.times.size() != events.size())
        return false;
    for (std::size_t e = 0; e < events.size(); ++e) {
        const TimeTexts& t = index.times[e];
        const EventRecord& event = events[e];
        if (t.startDate != event.start.date || t.startDateTime != event.start.dateTime || t.endDate != event.end.date ||
            t.endDateTime != event.end.dateTime)
            return false;
    }
    return true;
}

void EventIndex::Rebuild(CalendarIndex& index, const std::vector<EventRecord>& events)
{
    index.times.clear();
    index.spans.clear();
    index.times.reserve(events.size());
    for (std::size_t e = 0; e < events.size(); ++e) {
        const EventRecord& event = events[e];
        index.times.push_back({event.start.date, event.start.dateTime, event.end.date, event.end.dateTime});
        const DateValue start = EventStartDay(event);
        const DateValue end = EventEndExclusive(event);
        // Such an event covers no day of any grid.
        if (!start.IsValid() || !end.IsValid() || !(start < end))
            continue;
        index.spans.push_back({0, static_cast<int>(e), DayNumber(start), DayNumber(end), SortLengthOf(event, start)});
    }
    // The service sorts by the start instant and an edit by the start text; neither is this order.
    std::stable_sort(index.spans.begin(), index.spans.end(), LaysOutBefore);
    index.latestEnd.clear();
    int latest = std::numeric_limits<int>::min();
    for (const EventSpan& span : index.spans) {
        latest = std::max(latest, span.endDay);
        index.latestEnd.push_back(latest);
    }
}

void EventIndex::Find(const std::vector<CalendarRecord>& calendars, int firstDay, int endDay,
                      std::vector<EventSpan>& out)
{
    out.clear();
    calendars_.resize(calendars.size());
    for (std::size_t c = 0; c < calendars.size(); ++c) {
        if (!IsSelected(calendars[c]))
            continue;
        CalendarIndex& index = calendars_[c];
        if (!Matches(index, calendars[c].events))
            Rebuild(index, calendars[c].events);

        // Spans before `from` all end by firstDay; spans from `to` on start at endDay or later.
        const auto from = static_cast<std::size_t>(
            std::upper_bound(index.latestEnd.begin(), index.latestEnd.end(), firstDay) - index.latestEnd.begin());
        const auto to = static_cast<std::size_t>(
            std::lower_bound(index.spans.begin(), index.spans.end(), endDay,
                             [](const EventSpan& span, int day) { return span.firstDay < day; }) -
            index.spans.begin());
        const auto runStart = static_cast<std::ptrdiff_t>(out.size());
        for (std::size_t i = from; i < to; ++i) {
            if (index.spans[i].endDay <= firstDay)
                continue;
            // Set here, not when indexed: another calendar with the same times may hold this place now.
            out.push_back(index.spans[i]);
            out.back().calendar = static_cast<int>(c);
        }
        // Stable: at an equal key the earlier calendar stays first.
        std::inplace_merge(out.begin(), out.begin() + runStart, out.end(), LaysOutBefore);
    }
}

} // namespace orb
