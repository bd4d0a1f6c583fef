#include "app/shell_core/store_merge.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace orb {

namespace {

// What a load gives every task it adds (see TaskListRows).
constexpr std::int32_t kLoadedExpanded = 1;

bool SameListFields(const CalendarRecord& a, const CalendarRecord& b)
{
    return a.id == b.id && a.kind == b.kind && a.summary == b.summary && a.description == b.description &&
           a.timeZone == b.timeZone && a.colorId == b.colorId && a.backgroundColor == b.backgroundColor &&
           a.foregroundColor == b.foregroundColor && a.accessRole == b.accessRole && a.selected == b.selected &&
           a.primary == b.primary;
}

// Replaces records by id in place, appends new ones, then drops the deleted ones.
template <class Record>
void MergeById(std::vector<Record>& records, std::vector<Record> upserts, const std::vector<std::string>& deletions)
{
    std::unordered_map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < records.size(); ++i)
        index.emplace(records[i].id, i);
    for (Record& record : upserts) {
        const auto found = index.find(record.id);
        if (found != index.end()) {
            records[found->second] = std::move(record);
        } else {
            index.emplace(record.id, records.size());
            records.push_back(std::move(record));
        }
    }
    const std::unordered_set<std::string> gone(deletions.begin(), deletions.end());
    std::erase_if(records, [&](const Record& record) { return gone.contains(record.id); });
}

} // namespace

CalendarListMerge MergeCalendarList(std::vector<CalendarRecord>& calendars, std::vector<CalendarRecord> listed)
{
    CalendarListMerge merge;
    std::unordered_map<std::string, CalendarRecord*> held;
    for (CalendarRecord& calendar : calendars)
        held.emplace(calendar.id, &calendar);
    std::unordered_set<std::string> staying;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        CalendarRecord& entry = listed[i];
        staying.insert(entry.id);
        const auto found = held.find(entry.id);
        if (found == held.end()) {
            merge.added.push_back(entry.id);
            merge.changed = true;
            continue;
        }
        CalendarRecord& old = *found->second;
        if (!SameListFields(old, entry) || i >= calendars.size() || calendars[i].id != entry.id)
            merge.changed = true;
        if (old.timeZone != entry.timeZone)
            merge.rezoned.push_back(entry.id);
        if (IsSelected(entry) && !IsSelected(old))
            merge.shown.push_back(entry.id);
        entry.tag = old.tag;
        if (IsSelected(entry))
            entry.events = std::move(old.events);
        else if (!old.events.empty())
            merge.emptied.push_back(entry.id);
    }
    for (const CalendarRecord& calendar : calendars) {
        if (!staying.contains(calendar.id)) {
            merge.removed.push_back(calendar.id);
            merge.changed = true;
        }
    }
    calendars = std::move(listed);
    return merge;
}

std::vector<std::string> MergeTaskLists(std::vector<TaskListInfo>& lists, std::vector<TaskListInfo> listed,
                                        bool& changed)
{
    changed = lists.size() != listed.size();
    std::unordered_map<std::string, TaskListInfo*> held;
    for (TaskListInfo& list : lists)
        held.emplace(list.id, &list);
    std::vector<std::string> added;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        TaskListInfo& entry = listed[i];
        const auto found = held.find(entry.id);
        if (found == held.end()) {
            added.push_back(entry.id);
            changed = true;
            continue;
        }
        TaskListInfo& old = *found->second;
        if (old.title != entry.title || old.kind != entry.kind || old.updated != entry.updated ||
            old.selfLink != entry.selfLink || i >= lists.size() || lists[i].id != entry.id)
            changed = true;
        entry.tasks = std::move(old.tasks);
        entry.tree = old.tree;
        entry.expanded = old.expanded;
    }
    // A list that goes takes its nodes with it, as emptying the store does.
    std::unordered_set<std::string> staying;
    for (const TaskListInfo& entry : listed)
        staying.insert(entry.id);
    for (TaskListInfo& list : lists) {
        if (!staying.contains(list.id))
            list.tree->Clear();
    }
    lists = std::move(listed);
    return added;
}

bool ApplyEventListing(CalendarRecord& calendar, EventChanges changes, bool whole)
{
    if (whole)
        calendar.events = std::move(changes.upserts);
    else if (changes.upserts.empty() && changes.deletions.empty())
        return false;
    else
        MergeById(calendar.events, std::move(changes.upserts), changes.deletions);
    OrderEventsByStart(calendar.events);
    return true;
}

TaskPlacement ApplyTaskListing(TaskListInfo& list, TaskChanges changes, bool whole, bool& changed)
{
    changed = whole;
    if (!whole) {
        for (const TaskInfo& task : changes.upserts) {
            const auto found = std::find_if(list.tasks.begin(), list.tasks.end(),
                                            [&](const TaskInfo& held) { return held.id == task.id; });
            changed = changed || found == list.tasks.end() || *found != task;
        }
        for (const std::string& id : changes.deletions) {
            changed = changed || std::any_of(list.tasks.begin(), list.tasks.end(),
                                             [&](const TaskInfo& held) { return held.id == id; });
        }
        if (!changed)
            return {};
    }
    const std::unordered_map<std::string, std::int32_t> expansion = ExpansionById(*list.tree);
    if (whole)
        list.tasks = std::move(changes.upserts);
    else
        MergeById(list.tasks, std::move(changes.upserts), changes.deletions);
    std::vector<std::int32_t> expanded;
    expanded.reserve(list.tasks.size());
    for (const TaskInfo& task : list.tasks) {
        const auto found = expansion.find(task.id);
        expanded.push_back(found == expansion.end() ? kLoadedExpanded : found->second);
    }
    list.tree->Clear();
    return AddTasksToTree(*list.tree, list.tasks, expanded);
}

std::vector<CalendarRecord> CalendarsWithoutEvents(std::vector<CalendarRecord>& calendars)
{
    std::vector<CalendarRecord> copies;
    copies.reserve(calendars.size());
    for (CalendarRecord& calendar : calendars) {
        // Moved aside and back: copying a calendar would copy every event.
        std::vector<EventRecord> events = std::move(calendar.events);
        calendar.events.clear();
        copies.push_back(calendar);
        calendar.events = std::move(events);
    }
    return copies;
}

std::vector<TaskListInfo> ListsWithoutTasks(const std::vector<TaskListInfo>& lists)
{
    std::vector<TaskListInfo> copies;
    copies.reserve(lists.size());
    for (const TaskListInfo& list : lists) {
        TaskListInfo& copy = copies.emplace_back();
        copy.kind = list.kind;
        copy.id = list.id;
        copy.title = list.title;
        copy.updated = list.updated;
        copy.selfLink = list.selfLink;
        copy.expanded = list.expanded;
    }
    return copies;
}

} // namespace orb
