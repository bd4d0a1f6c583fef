#pragma once

#include "core/ui_text.h"
#include "service/edit_result.h"
#include "service/listing.h"
#include "service/service_context.h"
#include "service/sync_state.h"
#include "tasks/task_records.h"

#include <string>
#include <vector>

namespace orb {

// Shown when a task names a parent the list does not hold.
constexpr const char* kMissingParentMessage = ORB_TEXT("OrbCalender", "error!!");

// The Tasks API client. Every operation blocks for its exchanges and checks the access token
// first. A listing reports its own failures as diagnostic lines; records passed to an edit
// keep their values when it is not applied. The calls work on the caller's records, never
// on the store.

// Appends the user's task lists, without their tasks (see LoadTasks), following the pages
// to the end. False when a page could not be read, with `failure` saying why in plain
// words; the lists read before that stay appended, and the listing is said to be incomplete.
bool ListTaskLists(ServiceContext& context, std::vector<TaskListInfo>& taskLists, ListingFailure* failure = nullptr);

using TaskListing = ChangeListing<TaskChanges>;

// Reads the tasks of `list`, following the pages to the end: only those updated since
// `since.updatedMin` when it is set (deleted ones among the deletions), else every one. A
// stamp the service refuses as too old (410) is dropped and the list read whole. Touches
// nothing shared, so lists can be read side by side.
TaskListing LoadTaskChanges(ServiceContext& context, const TaskListInfo& list, const SyncState& since);

// Tells what placing a list's tasks could not do: a diagnostic line per task, and the
// message kMissingParentMessage once for tasks whose parent is missing.
void ReportTaskPlacement(ServiceContext& context, const TaskPlacement& placement);

// The edits. Each shows nothing itself and returns what became of the change, in plain
// words; the records passed in receive the service's answer only when it was applied.

EditResult InsertTaskList(ServiceContext& context, const std::string& title, TaskListInfo& list);
// Sends `list`'s id and title.
EditResult UpdateTaskList(ServiceContext& context, TaskListInfo& list);
EditResult DeleteTaskList(ServiceContext& context, const std::string& listId);

// A task is created at the top of its list and then moved under its parent; the two can
// fare differently.
struct TaskCreation
{
    EditResult created;
    EditResult moved; // Applied when no move was needed

    // The task exists on the service, at the top level of its list.
    bool NotMoved() const { return created.Applied() && !moved.Applied(); }
};
// On a creation `task` is the service's record; its `parent` says where it ended up.
TaskCreation InsertTask(ServiceContext& context, TaskInfo& task, const std::string& listId,
                        const std::string& parentId);
// Sends `task`'s fields to the task with its id.
EditResult UpdateTask(ServiceContext& context, TaskInfo& task, const std::string& listId);
// Under `parentId`, or to the top level when it is empty; applied only when the answer is
// the same task.
EditResult MoveTask(ServiceContext& context, const std::string& listId, const std::string& parentId,
                    const std::string& taskId, TaskInfo& task);
EditResult DeleteTask(ServiceContext& context, const std::string& listId, const std::string& taskId);

// Request bodies, exactly as sent. `updated` is the caller's stamp.
std::string TaskInsertBody(const TaskInfo& task, const std::string& updated);
std::string TaskUpdateBody(const TaskInfo& task, const std::string& updated);
std::string TaskListInsertBody(const std::string& title, const std::string& updated);
std::string TaskListUpdateBody(const TaskListInfo& list, const std::string& updated);

} // namespace orb
