#pragma once

#include "service/edits.h"
#include "service/service_context.h"
#include "tasks/task_records.h"

#include <functional>
#include <string>
#include <vector>

namespace orb {

// Shown when a task names a parent the list does not hold.
constexpr const char* kMissingParentMessage = "error!!";

// The Tasks API client. Every operation blocks for its exchanges and checks the access token
// first. A listing reports its own failures as diagnostic lines; records passed to an edit
// keep their values when it is not applied.

// Appends every task list of the user, with its tasks and hierarchy, following the pages
// to the end. `taskLists` is usually the store's; the caller holds the store's lock for
// the whole call. False when a page of lists could not be read; the lists read before that
// stay appended, with their tasks, and the listing is said to be incomplete. `onListDone`
// is called for each list, in order, once its tasks are in; the callee may move the list away.
using TaskListDone = std::function<void(TaskListInfo&)>;
// The lists alone, without their tasks (see LoadTasks), with the same failure rule.
bool ListTaskLists(ServiceContext& context, std::vector<TaskListInfo>& taskLists, std::string* failure = nullptr);
bool LoadTaskLists(ServiceContext& context, std::vector<TaskListInfo>& taskLists, const TaskListDone& onListDone = {});

// Appends the list's tasks (completed and hidden ones included) to `list.tasks` and its
// hierarchy, following the pages to the end, then orders the hierarchy by due. A task is
// placed under its parent once the whole list is read; a task whose parent is not in the
// list is shown at the top level. Touches no other list, so lists can be read side by side.
// False when a page failed, with `failure` saying why in plain words.
bool LoadTasks(ServiceContext& context, TaskListInfo& list, std::string* failure = nullptr);

// The edits. Each shows nothing itself and returns what became of the change, in plain
// words; the records passed in receive the service's answer only when it was applied.

EditResult SendNewTaskList(ServiceContext& context, const std::string& title, TaskListInfo& list);
// Sends `list`'s id and title.
EditResult SendTaskListChange(ServiceContext& context, TaskListInfo& list);
EditResult SendTaskListDeletion(ServiceContext& context, const std::string& listId);

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
TaskCreation SendNewTask(ServiceContext& context, TaskInfo& task, const std::string& listId,
                         const std::string& parentId);
// Sends `task`'s fields to the task with its id.
EditResult SendTaskChange(ServiceContext& context, TaskInfo& task, const std::string& listId);
// Under `parentId`, or to the top level when it is empty; applied only when the answer is
// the same task.
EditResult SendTaskMove(ServiceContext& context, const std::string& listId, const std::string& parentId,
                        const std::string& taskId, TaskInfo& task);
EditResult SendTaskDeletion(ServiceContext& context, const std::string& listId, const std::string& taskId);

// Request bodies, exactly as sent. `updated` is the caller's stamp.
std::string TaskInsertBody(const TaskInfo& task, const std::string& updated);
std::string TaskUpdateBody(const TaskInfo& task, const std::string& updated);
std::string TaskListInsertBody(const std::string& title, const std::string& updated);
std::string TaskListUpdateBody(const TaskListInfo& list, const std::string& updated);

} // namespace orb
