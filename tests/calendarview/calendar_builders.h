#pragma once

#include "service/records.h"

#include <string>
#include <utility>
#include <vector>

namespace orb::test {

inline EventRecord AllDayEvent(std::string summary, std::string firstDay, std::string dayAfterLast)
{
    EventRecord event;
    event.summary = std::move(summary);
    event.start.date = std::move(firstDay);
    event.end.date = std::move(dayAfterLast);
    return event;
}

inline EventRecord TimedEvent(std::string summary, std::string start, std::string end)
{
    EventRecord event;
    event.summary = std::move(summary);
    event.start.dateTime = std::move(start);
    event.end.dateTime = std::move(end);
    return event;
}

inline CalendarRecord SelectedCalendar(std::vector<EventRecord> events, std::string background = "#3366CC",
                                       std::string id = "me@example.com")
{
    CalendarRecord calendar;
    calendar.id = std::move(id);
    calendar.summary = "Calendar " + calendar.id;
    calendar.backgroundColor = std::move(background);
    calendar.accessRole = "owner";
    calendar.selected = "true";
    calendar.events = std::move(events);
    return calendar;
}

} // namespace orb::test
