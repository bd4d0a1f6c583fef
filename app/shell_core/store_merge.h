#pragma once

#include "service/records.h"
#include "service/sync_state.h"
#include "tasks/task_records.h"

#include <string>
#include <vector>

namespace orb {

// How a pass's listings join the store: in place, so that what the user set stays (a
// calendar's tag, a list's and a task's expansion) and a listing that failed leaves its
// last good data.

// What changed with the calendar list, by calendar id.
struct CalendarListMerge
{
    std::vector<std::string> added;   // new, without events yet
    std::vector<std::string> removed; // gone, with their events
    std::vector<std::string> emptied; // no longer selected: their events went
    std::vector<std::string> rezoned; // their time zone changed, which their events' own fall back on
    std::vector<std::string> shown;   // selected now and not before: no row of theirs was shown
    bool changed = false;             // any field or the order
};

// The calendars become `listed`, in its order; one that stays keeps its events and tag.
CalendarListMerge MergeCalendarList(std::vector<CalendarRecord>& calendars, std::vector<CalendarRecord> listed);

// The lists become `listed`, in its order; one that stays keeps its tasks, hierarchy and
// expansion. The ids of the new ones.
std::vector<std::string> MergeTaskLists(std::vector<TaskListInfo>& lists, std::vector<TaskListInfo> listed,
                                        bool& changed);

// A whole listing replaces the calendar's events; changes replace events by id, add new
// ones and drop deleted ones. Either way the events end in start order (OrderEventsByStart).
// False when nothing changed.
bool ApplyEventListing(CalendarRecord& calendar, EventChanges changes, bool whole);

// A whole listing replaces `list.tasks`; changes replace tasks by id, add new ones last
// and drop deleted ones. The hierarchy is then built anew: a task keeps the expansion its
// node had, and a new one is expanded as a load expands every task. False in `changed`
// when nothing changed.
TaskPlacement ApplyTaskListing(TaskListInfo& list, TaskChanges changes, bool whole, bool& changed);

// Copies of the calendars without their events, and of the lists without their tasks, for
// work that needs only their own fields.
std::vector<CalendarRecord> CalendarsWithoutEvents(std::vector<CalendarRecord>& calendars);
std::vector<TaskListInfo> ListsWithoutTasks(const std::vector<TaskListInfo>& lists);

} // namespace orb
