#pragma once

#include "tasks/tasks_client.h"

namespace orb::test {

// A list read whole as a pass takes it: its tasks in listing order, then their hierarchy.
inline bool LoadWholeList(ServiceContext& context, TaskListInfo& list)
{
    TaskListing listing = LoadTaskChanges(context, list, {});
    list.tasks.insert(list.tasks.end(), listing.changes.upserts.begin(), listing.changes.upserts.end());
    ReportTaskPlacement(context, AddTasksToTree(*list.tree, listing.changes.upserts));
    return listing.complete;
}

} // namespace orb::test
