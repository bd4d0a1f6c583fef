#include "app/store.h"

namespace orb {

void LocalStore::Empty()
{
    std::lock_guard lock(mutex_);
    for (CalendarRecord& calendar : data_.calendars)
        calendar.events.clear();
    data_.calendars.clear();
    ReleaseTaskListsLocked(data_);
}

void LocalStore::ReleaseTaskLists()
{
    std::lock_guard lock(mutex_);
    ReleaseTaskListsLocked(data_);
}

void LocalStore::ReleaseTaskListsLocked(Data& data)
{
    for (TaskListInfo& list : data.taskLists) {
        list.tree->Clear();
        list.tree = SharedTaskTree();
    }
    data.taskLists.clear();
}

} // namespace orb
