#pragma once

#include "calendarview/date_value.h"
#include "service/records.h"

#include <string>
#include <vector>

namespace orb {

// The whole day a valid date falls on, counted like DateValue's linear scale.
int DayNumber(const DateValue& day);

// An event that covers at least one day of a range, with the days it covers and what
// orders it in the month layout.
struct EventSpan
{
    int calendar = 0;
    int event = 0;
    int firstDay = 0;
    int endDay = 0;           // the day after the last covered
    long long sortLength = 0; // whole days from start to end text; the longer goes first
};

// Where each calendar's events lie in time, so a layout reads only the events that reach the
// shown days. It survives from one layout to the next, but a source's revision says only
// that something changed, not which calendar: every lookup compares the time texts a
// calendar was indexed from with its events and indexes it again when they differ.
// Everything else about an event is read fresh.
class EventIndex
{
public:
    // Events of the selected calendars covering a day of [firstDay, endDay), earliest first,
    // then longer first, then in calendar order and event order.
    void Find(const std::vector<CalendarRecord>& calendars, int firstDay, int endDay, std::vector<EventSpan>& out);

private:
    struct TimeTexts
    {
        std::string startDate;
        std::string startDateTime;
        std::string endDate;
        std::string endDateTime;
    };

    struct CalendarIndex
    {
        std::vector<TimeTexts> times; // what the entries below were made from
        std::vector<EventSpan> spans; // events that cover any day, in layout order
        std::vector<int> latestEnd;   // running maximum of spans[i].endDay; never decreases
    };

    static bool Matches(const CalendarIndex& index, const std::vector<EventRecord>& events);
    static void Rebuild(CalendarIndex& index, const std::vector<EventRecord>& events);

    std::vector<CalendarIndex> calendars_;
};

} // namespace orb
