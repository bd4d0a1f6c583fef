#pragma once

#include "service/edit_result.h"
#include "service/service_context.h"
#include "tasks/task_records.h"

#include <string>
#include <vector>

namespace orb {

// Shown when a task names a parent the list does not hold.
constexpr const char* kMissingParentMessage = "error!!";

// The Tasks API client. Every operation blocks for its exchanges and checks the access token
// first. A listing reports its own failures as diagnostic lines; records passed to an edit
// keep their values when it is not applied. The calls work on the caller's records, never
// on the store.

// Appends the user's task lists, without their tasks (see LoadTasks), following the pages
// to the end. False when a page could not be read, with `failure` saying why in plain
// words; the lists read before that stay appended, and the listing is said to be incomplete.
bool ListTaskLists(ServiceContext& context, std::vector<TaskListInfo>& taskLists, std::string* failure = nullptr);

// Appends the list's tasks (completed and hidden ones included) to `list.tasks` and its
// hierarchy, following the pages to the end, then orders the hierarchy by due. A task is
// placed under its parent once the whole list is read; a task whose parent is not in the
// list is shown at the top level. Touches no other list, so lists can be read side by side.
// False when a page failed, with `failure` saying why in plain words.
bool LoadTasks(ServiceContext& context, TaskListInfo& list, std::string* failure = nullptr);

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
