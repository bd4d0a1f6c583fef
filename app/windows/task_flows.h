#pragma once

#include "core/ui_text.h"
#include "service/edit_result.h"

#include <functional>
#include <string>

class QWidget;

namespace orb {

class CWaitDlg;
class EditRunner;
class LocalStore;
struct ServiceContext;

// The edits of task lists and tasks from the tree. Rows name their record by id; each
// flow copies what it needs out of the store, sends through the edit runner, and writes
// back only what the service applied.
class TaskFlows
{
public:
    TaskFlows(ServiceContext& context, LocalStore& store, EditRunner& runner);

    // Each insert returns the id of what the service created, empty when nothing was.
    std::string NewTaskList(QWidget* parent, CWaitDlg& wait);
    // Under the list `listId` at the top level, or under the task `parentTaskId` (empty
    // for the top level) of the list that holds it.
    std::string NewTask(QWidget* parent, CWaitDlg& wait, const std::string& listId, const std::string& parentTaskId);
    void EditTaskList(QWidget* parent, CWaitDlg& wait, const std::string& listId);
    void EditTask(QWidget* parent, CWaitDlg& wait, const std::string& taskId);
    // Each asks first.
    void DeleteTaskList(CWaitDlg& wait, const std::string& listId);
    void DeleteTask(CWaitDlg& wait, const std::string& taskId);

    // A check mark clicked on a list row (every task of the list) or a task row (the task
    // and its descendants): each whose status differs is sent. True when all that needed
    // sending was applied; otherwise the row keeps its mark and the caller rebuilds.
    bool SetStatus(CWaitDlg& wait, const std::string& rowId, bool listRow, bool completed);

    // Where the dragged task may go: a task of its own list that is not its parent, not
    // itself and not below it, or its own list row when it is not at the top already.
    bool CanDrop(const std::string& draggedId, const std::string& targetId) const;
    // Sends the move of an accepted drop; a list row as the target means the top level.
    void Drop(CWaitDlg& wait, const std::string& draggedId, const std::string& targetId);

    // After every edit that reached the service or changed the store.
    std::function<void()> changed;

    static constexpr const char* kDeleteListQuestion =
        ORB_TEXT("OrbCalender", "정말로 '%s' TaskList를 삭제하시겠습니까?");
    static constexpr const char* kDeleteTaskQuestion = ORB_TEXT("OrbCalender", "정말로 '%s' Task를 삭제하시겠습니까?");
    // A refusal shows the operation's prefix, then the service's reason.
    static constexpr const char* kTaskRefused = ORB_TEXT("OrbCalender", "할일 생성 실패 : "); // insert and update
    static constexpr const char* kMoveRefused = ORB_TEXT("OrbCalender", "할일 Move 실패 : ");
    static constexpr const char* kListInsertRefused = ORB_TEXT("OrbCalender", "할일리스트 생성 실패 : ");
    static constexpr const char* kListUpdateRefused = ORB_TEXT("OrbCalender", "할일 리스트 업데이트 실패 : ");
    static constexpr const char* kTaskDeleteRefused = ORB_TEXT("OrbCalender", "Task Deleted Fail!!\n");
    // The wait's message line while a list is deleted or renamed.
    static constexpr const char* kDeletingListMessage = ORB_TEXT("OrbCalender", "Deleting Task List . . .");
    static constexpr const char* kUpdatingListMessage = ORB_TEXT("OrbCalender", "Updating Task List . . .");
    // Anything else that kept a change from being applied names the record; so does a
    // refused list delete, which has no text of its own.
    static constexpr const char* kListNotDeleted = ORB_TEXT("OrbCalender", "The task list '%s' was not deleted: ");
    static constexpr const char* kTaskNotDeleted = ORB_TEXT("OrbCalender", "The task '%s' was not deleted: ");
    static constexpr const char* kTaskNotChanged = ORB_TEXT("OrbCalender", "The task '%s' was not changed: ");
    static constexpr const char* kTaskNotMoved = ORB_TEXT("OrbCalender", "The task '%s' was not moved: ");
    static constexpr const char* kCreatedNotMoved = ORB_TEXT(
        "OrbCalender", "The task '%s' was created, but not under its parent; it is at the top level of its list: ");

private:
    // Shows why a change was not applied: a refusal after `refusedPrefix`, anything else
    // (or a refusal without a prefix) as `failedPattern` naming the record.
    void Report(const char* refusedPrefix, const char* failedPattern, const std::string& title,
                const EditResult& result);
    void Changed();

    ServiceContext& context_;
    LocalStore& store_;
    EditRunner& runner_;
};

} // namespace orb
