#pragma once

#include "service/records.h"
#include "tasks/task_records.h"

#include <array>
#include <string>
#include <tuple>
#include <utility>

namespace orb {

// The text fields of each record beside its id, in the order of its column names. One list
// serves writing (const record) and reading (mutable record), so the two cannot drift apart.

inline constexpr std::array kCalendarTextColumns = {
    "kind",        "summary",  "description", "time_zone", "color_id", "background_color", "foreground_color",
    "access_role", "selected",
};
template <class Calendar> auto CalendarTexts(Calendar& c)
{
    return std::array{&c.kind,    &c.summary,         &c.description,     &c.timeZone,
                      &c.colorId, &c.backgroundColor, &c.foregroundColor, &c.accessRole,
                      &c.selected};
}

inline constexpr std::array kEventTextColumns = {
    "etag",          "kind",       "summary",         "description",     "status",        "created",
    "updated",       "location",   "color_id",        "creator_id",      "creator_email", "creator_display_name",
    "creator_self",  "start_date", "start_date_time", "start_time_zone", "end_date",      "end_date_time",
    "end_time_zone", "color_text",
};
template <class Event> auto EventTexts(Event& e)
{
    return std::array{&e.etag,         &e.kind,         &e.summary,        &e.description,
                      &e.status,       &e.created,      &e.updated,        &e.location,
                      &e.colorId,      &e.creator.id,   &e.creator.email,  &e.creator.displayName,
                      &e.creator.self, &e.start.date,   &e.start.dateTime, &e.start.timeZone,
                      &e.end.date,     &e.end.dateTime, &e.end.timeZone,   &e.colorText};
}

inline constexpr std::array kTaskListTextColumns = {"kind", "title", "updated", "self_link"};
template <class List> auto TaskListTexts(List& l)
{
    return std::array{&l.kind, &l.title, &l.updated, &l.selfLink};
}

inline constexpr std::array kTaskTextColumns = {
    "kind", "title", "updated", "notes", "due", "status", "parent", "self_link", "service_position",
};
template <class Task> auto TaskTexts(Task& t)
{
    return std::array{&t.kind, &t.title, &t.updated, &t.notes, &t.due, &t.status, &t.parent, &t.selfLink, &t.position};
}

static_assert(kCalendarTextColumns.size() ==
              std::tuple_size_v<decltype(CalendarTexts(std::declval<CalendarRecord&>()))>);
static_assert(kEventTextColumns.size() == std::tuple_size_v<decltype(EventTexts(std::declval<EventRecord&>()))>);
static_assert(kTaskListTextColumns.size() == std::tuple_size_v<decltype(TaskListTexts(std::declval<TaskListInfo&>()))>);
static_assert(kTaskTextColumns.size() == std::tuple_size_v<decltype(TaskTexts(std::declval<TaskInfo&>()))>);

// The last day an event covers, "YYYY-MM-DD", for day-range reads: an all-day end is
// exclusive, so its day before; a timed end's own day; never before `startDay`, so a
// range read cannot miss an event whose end is absent or out of order.
std::string EventEndDay(const EventTime& end, const std::string& startDay);

} // namespace orb
