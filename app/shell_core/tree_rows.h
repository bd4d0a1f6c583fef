#pragma once

#include "core/clock.h"
#include "service/records.h"
#include "tasks/task_records.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace orb {

constexpr const char* kCalendarBranch = "Calendar's";
constexpr const char* kTaskBranch = "Task's";

// Tree columns: 0 "Name", 1 "Due", 2 "Memo", 3 "ID".
constexpr int kNameColumn = 0;
constexpr int kDueColumn = 1;
constexpr int kMemoColumn = 2;
constexpr int kIdColumn = 3;
constexpr int kTreeColumnCount = 4;

// Levels: 1 for the branch roots, 2 for their children, 3 and deeper below.
constexpr int kRootLevel = 1;
constexpr int kBranchChildLevel = 2;

// One row of the main window's tree, in pre-order within its branch.
struct TreeRow
{
    int level = kRootLevel;
    std::array<std::string, kTreeColumnCount> texts;
    std::optional<bool> checked; // none: the tree derives it (task lists) or shows none
    bool expanded = false;

    friend bool operator==(const TreeRow&, const TreeRow&) = default;
};

// A load pass expands as the settings say and remembers it in the records; a rebuild
// restores what the records remember.
enum class FillMode
{
    Load,
    Rebuild,
};

// Today as the branches compare it, "%Y-%m-%d"; taken once per build.
std::string TodayIsoDate(const Clock& clock);

// The "Due" column of a task: "YYYY-MM-DD".
std::string TaskDueText(const TaskInfo& task);
// Decided on text: the start's date (or the first ten characters of its date-time) is
// compared byte-wise with today.
bool StartsBeforeToday(const EventRecord& event, const std::string& today);
// Whether the view mode shows a task of this status.
bool IsShownInViewMode(const std::string& status, int nTaskViewMode);

// The calendar row and its event rows; nothing for a calendar that is not selected.
// A load with `allExpand` expands the row and sets the calendar's `tag` to 1.
std::vector<TreeRow> CalendarRows(CalendarRecord& calendar, const std::string& today, FillMode mode, bool allExpand);
// The calendar's own row alone, as CalendarRows makes it.
TreeRow CalendarRow(CalendarRecord& calendar, FillMode mode, bool allExpand);

// The list row and the rows of its shown tasks, children after their parent. A task the
// view mode hides is skipped with all its descendants. A load expands every task row
// (and, with `allExpand`, the list row) and remembers it in the records. With `nodes`,
// also the node each row shows (null for the list's own row).
std::vector<TreeRow> TaskListRows(TaskListInfo& list, int nTaskViewMode, FillMode mode, bool allExpand,
                                  std::vector<TaskNode*>* nodes = nullptr);
// The list's own row alone, as TaskListRows makes it.
TreeRow TaskListRow(TaskListInfo& list, FillMode mode, bool allExpand);
// A task row's expansion as TaskListRows sets it: a load expands the node first.
bool TaskRowExpanded(TaskNode& node, FillMode mode);

} // namespace orb
