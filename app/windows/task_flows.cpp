#include "app/windows/task_flows.h"

#include "app/shell_core/load_pass.h"
#include "app/shell_core/store.h"
#include "app/wait_window/wait_dlg.h"
#include "app/windows/edit_runner.h"
#include "cache/local_cache.h"
#include "core/diagnostics.h"
#include "core/prompter.h"
#include "core/ui_text.h"
#include "dialogs/insert_task_dlg.h"
#include "service/service_context.h"
#include "tasks/tasks_client.h"

#include <QDialog>
#include <algorithm>

namespace orb {

namespace {

constexpr const char* kDeletingTaskListMessage = ORB_TEXT("OrbCalender", "Deleting Task List . . .");
constexpr const char* kListNotCreated = ORB_TEXT("OrbCalender", "The task list '%s' was not created: ");
constexpr const char* kListNotChanged = ORB_TEXT("OrbCalender", "The task list '%s' was not changed: ");
constexpr const char* kTaskNotCreated = ORB_TEXT("OrbCalender", "The task '%s' was not created: ");
constexpr const char* kGoneLine = "Task edit answer dropped: the list is no longer in the store";

struct FoundTask
{
    TaskListInfo* list = nullptr;
    TaskNode* node = nullptr;
};

// The first list, in store order, holding a task with the id.
FoundTask FindTask(LocalStore::Data& data, const std::string& taskId)
{
    for (TaskListInfo& list : data.taskLists) {
        if (TaskNode* node = list.tree->FindNode(taskId))
            return {&list, node};
    }
    return {};
}

TaskListInfo* FindList(LocalStore::Data& data, const std::string& listId)
{
    const auto found = std::find_if(data.taskLists.begin(), data.taskLists.end(),
                                    [&](const TaskListInfo& list) { return list.id == listId; });
    return found == data.taskLists.end() ? nullptr : &*found;
}

// The list's service-order copy follows its hierarchy.
void StoreTaskRecord(TaskListInfo& list, const TaskInfo& task)
{
    const auto found =
        std::find_if(list.tasks.begin(), list.tasks.end(), [&](const TaskInfo& held) { return held.id == task.id; });
    if (found == list.tasks.end())
        list.tasks.push_back(task);
    else
        *found = task;
}

// Children before their parent, so each delete leaves no orphan behind on the service.
void CollectDeepestFirst(const TaskNode& node, std::vector<TaskInfo>& into)
{
    for (const TaskNode* child = node.firstChild; child; child = child->nextSibling)
        CollectDeepestFirst(*child, into);
    into.push_back(node.task);
}

void CollectSubtree(const TaskNode& node, std::vector<TaskInfo>& into)
{
    into.push_back(node.task);
    for (const TaskNode* child = node.firstChild; child; child = child->nextSibling)
        CollectSubtree(*child, into);
}

} // namespace

TaskFlows::TaskFlows(ServiceContext& context, LocalStore& store, EditRunner& runner)
    : context_(context), store_(store), runner_(runner)
{}

void TaskFlows::Report(const char* refusedPrefix, const char* failedPattern, const std::string& title,
                       const EditResult& result)
{
    if (result.outcome == EditOutcome::Refused && refusedPrefix)
        context_.prompter.ShowMessage(Translated(refusedPrefix) + result.message);
    else if (!result.Applied())
        context_.prompter.ShowMessage(WithTitle(Translated(failedPattern), title) + result.message);
}

void TaskFlows::Changed()
{
    if (changed)
        changed();
}

std::string TaskFlows::NewTaskList(QWidget* parent, CWaitDlg& wait)
{
    if (runner_.RefuseWhileBusy())
        return {};
    CInsertTaskDlg editor(parent);
    editor.SetClock(context_.clock);
    editor.listMode = true;
    if (editor.exec() != QDialog::Accepted)
        return {};
    const std::string title = editor.task.title;
    TaskListInfo created;
    EditResult result;
    if (!runner_.Run(wait, [&] { result = InsertTaskList(context_, title, created); }))
        return {};
    const std::string createdId = result.Applied() ? created.id : std::string();
    if (result.Applied()) {
        runner_.WriteThrough([&](LocalCache& cache) { return cache.PutTaskList(created); });
        store_.Write([&](LocalStore::Data& data) { data.taskLists.push_back(std::move(created)); });
    }
    Report(kListInsertRefused, kListNotCreated, title, result);
    Changed();
    return createdId;
}

std::string TaskFlows::NewTask(QWidget* parent, CWaitDlg& wait, const std::string& listId,
                               const std::string& parentTaskId)
{
    if (runner_.RefuseWhileBusy())
        return {};
    std::string targetList;
    store_.Write([&](LocalStore::Data& data) {
        if (parentTaskId.empty()) {
            if (FindList(data, listId))
                targetList = listId;
        } else if (const FoundTask found = FindTask(data, parentTaskId); found.node) {
            targetList = found.list->id;
        }
    });
    if (targetList.empty())
        return {};
    CInsertTaskDlg editor(parent);
    editor.SetClock(context_.clock);
    if (editor.exec() != QDialog::Accepted)
        return {};
    TaskInfo task = editor.task;
    const std::string title = task.title;
    TaskCreation creation;
    if (!runner_.Run(wait, [&] { creation = InsertTask(context_, task, targetList, parentTaskId); }))
        return {};
    if (creation.created.Applied()) {
        const bool stored = store_.Write([&](LocalStore::Data& data) {
            TaskListInfo* list = FindList(data, targetList);
            if (!list)
                return false;
            StoreTaskRecord(*list, task);
            // Where the service says it is: a task whose move failed sits at the top level.
            TaskNode* under = task.parent.empty() ? nullptr : list->tree->FindNode(task.parent);
            TaskNode& parentNode = under ? *under : list->root();
            list->tree->AppendChild(parentNode, task);
            list->tree->SortChildren(parentNode);
            return true;
        });
        if (!stored)
            context_.diagnostics.WriteLine(kGoneLine);
        else
            runner_.WriteThrough([&](LocalCache& cache) { return cache.PutTask(targetList, task); });
    }
    if (creation.NotMoved())
        Report(kMoveRefused, kCreatedNotMoved, title, creation.moved);
    else
        Report(kTaskRefused, kTaskNotCreated, title, creation.created);
    Changed();
    return creation.created.Applied() ? task.id : std::string();
}

void TaskFlows::EditTaskList(QWidget* parent, CWaitDlg& wait, const std::string& listId)
{
    if (runner_.RefuseWhileBusy())
        return;
    TaskListInfo sent;
    const bool found = store_.Write([&](LocalStore::Data& data) {
        const TaskListInfo* list = FindList(data, listId);
        if (list) {
            sent.id = list->id;
            sent.title = list->title;
        }
        return list != nullptr;
    });
    if (!found)
        return;
    CInsertTaskDlg editor(parent);
    editor.SetClock(context_.clock);
    editor.listMode = true;
    editor.updateMode = true;
    editor.task.title = sent.title;
    if (editor.exec() != QDialog::Accepted)
        return;
    const std::string oldTitle = sent.title;
    sent.title = editor.task.title;
    EditResult result;
    if (!runner_.Run(
            wait, [&] { result = UpdateTaskList(context_, sent); }, Translated(kUpdatingListMessage)))
        return;
    if (result.Applied()) {
        store_.Write([&](LocalStore::Data& data) {
            if (TaskListInfo* list = FindList(data, listId)) {
                list->kind = sent.kind;
                list->title = sent.title;
                list->updated = sent.updated;
                list->selfLink = sent.selfLink;
                sent.expanded = list->expanded;
            }
        });
        runner_.WriteThrough([&](LocalCache& cache) { return cache.PutTaskList(sent); });
    }
    Report(kListUpdateRefused, kListNotChanged, oldTitle, result);
    Changed();
}

void TaskFlows::EditTask(QWidget* parent, CWaitDlg& wait, const std::string& taskId)
{
    if (runner_.RefuseWhileBusy())
        return;
    TaskInfo task;
    std::string listId;
    store_.Write([&](LocalStore::Data& data) {
        if (const FoundTask found = FindTask(data, taskId); found.node) {
            task = found.node->task;
            listId = found.list->id;
        }
    });
    if (listId.empty())
        return;
    CInsertTaskDlg editor(parent);
    editor.SetClock(context_.clock);
    editor.updateMode = true;
    editor.task = task;
    if (editor.exec() != QDialog::Accepted)
        return;
    const std::string oldTitle = task.title;
    task = editor.task;
    EditResult result;
    if (!runner_.Run(wait, [&] { result = UpdateTask(context_, task, listId); }))
        return;
    if (result.Applied()) {
        store_.Write([&](LocalStore::Data& data) {
            TaskListInfo* list = FindList(data, listId);
            TaskNode* node = list ? list->tree->FindNode(taskId) : nullptr;
            if (!node)
                return;
            node->task = task;
            StoreTaskRecord(*list, task);
            list->tree->SortChildren(*node->parent); // its due may have changed
        });
        runner_.WriteThrough([&](LocalCache& cache) { return cache.PutTask(listId, task); });
    }
    Report(kTaskRefused, kTaskNotChanged, oldTitle, result);
    Changed();
}

void TaskFlows::DeleteTaskList(CWaitDlg& wait, const std::string& listId)
{
    if (runner_.RefuseWhileBusy())
        return;
    std::string title;
    const bool found = store_.Write([&](LocalStore::Data& data) {
        const TaskListInfo* list = FindList(data, listId);
        if (list)
            title = list->title;
        return list != nullptr;
    });
    if (!found || !context_.prompter.AskYesNo(WithTitle(Translated(kDeleteListQuestion), title)))
        return;
    EditResult result;
    if (!runner_.Run(
            wait, [&] { result = orb::DeleteTaskList(context_, listId); }, Translated(kDeletingListMessage)))
        return;
    // A list the service kept stays here too.
    if (result.Applied()) {
        store_.Write([&](LocalStore::Data& data) {
            std::erase_if(data.taskLists, [&](const TaskListInfo& list) { return list.id == listId; });
        });
        runner_.WriteThrough([&](LocalCache& cache) { return cache.DeleteTaskList(listId); });
    }
    Report(nullptr, kListNotDeleted, title, result);
    Changed();
}

void TaskFlows::DeleteTask(CWaitDlg& wait, const std::string& taskId)
{
    if (runner_.RefuseWhileBusy())
        return;
    std::string listId;
    std::vector<TaskInfo> doomed;
    store_.Write([&](LocalStore::Data& data) {
        if (const FoundTask found = FindTask(data, taskId); found.node) {
            listId = found.list->id;
            CollectDeepestFirst(*found.node, doomed);
        }
    });
    if (doomed.empty() || !context_.prompter.AskYesNo(WithTitle(Translated(kDeleteTaskQuestion), doomed.back().title)))
        return;
    std::size_t deleted = 0;
    EditResult result;
    const bool ran = runner_.Run(wait, [&] {
        // The first refusal stops the rest: its ancestors must stay, and its siblings with them.
        for (; deleted < doomed.size(); ++deleted) {
            result = orb::DeleteTask(context_, listId, doomed[deleted].id);
            if (!result.Applied())
                break;
        }
    });
    if (!ran)
        return;
    store_.Write([&](LocalStore::Data& data) {
        TaskListInfo* list = FindList(data, listId);
        if (!list)
            return;
        for (std::size_t i = 0; i < deleted; ++i) {
            const std::string& id = doomed[i].id;
            if (TaskNode* node = list->tree->FindNode(id))
                list->tree->Release(*node);
            std::erase_if(list->tasks, [&](const TaskInfo& task) { return task.id == id; });
        }
    });
    for (std::size_t i = 0; i < deleted; ++i)
        runner_.WriteThrough([&](LocalCache& cache) { return cache.DeleteTask(listId, doomed[i].id); });
    if (deleted < doomed.size())
        Report(kTaskDeleteRefused, kTaskNotDeleted, doomed[deleted].title, result);
    Changed();
}

bool TaskFlows::SetStatus(CWaitDlg& wait, const std::string& rowId, bool listRow, bool completed)
{
    const std::string status = completed ? kTaskStatusCompleted : kTaskStatusNeedsAction;
    std::string listId;
    std::vector<TaskInfo> affected;
    store_.Write([&](LocalStore::Data& data) {
        if (listRow) {
            if (const TaskListInfo* list = FindList(data, rowId)) {
                listId = list->id;
                for (const TaskNode* node = list->root().firstChild; node; node = node->nextSibling)
                    CollectSubtree(*node, affected);
            }
        } else if (const FoundTask found = FindTask(data, rowId); found.node) {
            listId = found.list->id;
            CollectSubtree(*found.node, affected);
        }
    });
    // Tasks already in the new state cost nothing.
    std::erase_if(affected, [&](const TaskInfo& task) { return task.status == status; });
    if (affected.empty())
        return true;

    std::vector<TaskInfo> sent = affected;
    for (TaskInfo& task : sent)
        task.status = status;
    std::size_t applied = 0;
    EditResult result;
    const bool ran = runner_.Run(wait, [&] {
        for (; applied < sent.size(); ++applied) {
            result = UpdateTask(context_, sent[applied], listId);
            if (!result.Applied())
                break;
        }
    });
    if (!ran)
        return false;
    store_.Write([&](LocalStore::Data& data) {
        TaskListInfo* list = FindList(data, listId);
        for (std::size_t i = 0; list && i < applied; ++i) {
            if (TaskNode* node = list->tree->FindNode(sent[i].id)) {
                node->task = sent[i];
                StoreTaskRecord(*list, sent[i]);
            }
        }
    });
    for (std::size_t i = 0; i < applied; ++i)
        runner_.WriteThrough([&](LocalCache& cache) { return cache.PutTask(listId, sent[i]); });
    if (applied == sent.size())
        return true;
    Report(kTaskRefused, kTaskNotChanged, affected[applied].title, result);
    return false;
}

bool TaskFlows::CanDrop(const std::string& draggedId, const std::string& targetId) const
{
    return store_.Read([&](const LocalStore::Data& data) {
        for (const TaskListInfo& list : data.taskLists) {
            const TaskNode* dragged = list.tree->FindNode(draggedId);
            if (!dragged)
                continue;
            if (targetId == list.id)
                return dragged->parent != &list.root();
            const TaskNode* target = list.tree->FindNode(targetId);
            return target && target != dragged->parent && !TaskTree::IsWithin(*target, *dragged);
        }
        return false;
    });
}

void TaskFlows::Drop(CWaitDlg& wait, const std::string& draggedId, const std::string& targetId)
{
    if (!CanDrop(draggedId, targetId))
        return;
    std::string listId;
    TaskInfo task;
    store_.Write([&](LocalStore::Data& data) {
        const FoundTask found = FindTask(data, draggedId);
        listId = found.list->id;
        task = found.node->task;
    });
    // The service takes no list as a parent: its own list row means the top level.
    const std::string parentId = targetId == listId ? std::string() : targetId;
    const std::string title = task.title;
    EditResult result;
    if (!runner_.Run(wait, [&] { result = MoveTask(context_, listId, parentId, draggedId, task); }))
        return;
    if (result.Applied()) {
        store_.Write([&](LocalStore::Data& data) {
            TaskListInfo* list = FindList(data, listId);
            TaskNode* node = list ? list->tree->FindNode(draggedId) : nullptr;
            TaskNode* under = parentId.empty() || !list ? nullptr : list->tree->FindNode(parentId);
            if (!node)
                return;
            TaskNode& newParent = under ? *under : list->root();
            if (list->tree->MoveUnder(*node, newParent)) {
                node->task = task;
                StoreTaskRecord(*list, task);
                list->tree->SortChildren(newParent);
            }
        });
        runner_.WriteThrough([&](LocalCache& cache) { return cache.PutTask(listId, task); });
    }
    Report(kMoveRefused, kTaskNotMoved, title, result);
    Changed();
}

} // namespace orb
