#include "app/shell_core/store.h"

namespace orb {

std::uint64_t LocalStore::Revision() const
{
    std::lock_guard lock(mutex_);
    return revision_;
}

void LocalStore::Empty()
{
    std::lock_guard lock(mutex_);
    ++revision_;
    for (CalendarRecord& calendar : data_.calendars)
        calendar.events.clear();
    data_.calendars.clear();
    ReleaseTaskListsLocked(data_);
}

void LocalStore::ReleaseTaskLists()
{
    std::lock_guard lock(mutex_);
    ++revision_;
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
