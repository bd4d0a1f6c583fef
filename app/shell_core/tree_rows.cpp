#include "app/shell_core/tree_rows.h"

#include "app/shell_core/settings.h"

namespace orb {

namespace {

constexpr const char* kTaskColourPrefix = "0xEF0000";
constexpr std::size_t kDateLength = 10;

void AppendTaskRows(TaskNode* node, int level, int nTaskViewMode, FillMode mode, std::vector<TreeRow>& rows,
                    std::vector<TaskNode*>* nodes)
{
    for (; node; node = node->nextSibling) {
        // Skipping a hidden node also skips its descendants.
        if (!IsShownInViewMode(node->task.status, nTaskViewMode))
            continue;
        TreeRow row;
        row.level = level;
        row.texts[kNameColumn] = kTaskColourPrefix + node->task.title;
        row.texts[kDueColumn] = TaskDueText(node->task);
        row.texts[kMemoColumn] = node->task.notes;
        row.texts[kIdColumn] = node->task.id;
        row.checked = node->task.status == kTaskStatusCompleted;
        row.expanded = TaskRowExpanded(*node, mode);
        rows.push_back(std::move(row));
        if (nodes)
            nodes->push_back(node);
        AppendTaskRows(node->firstChild, level + 1, nTaskViewMode, mode, rows, nodes);
    }
}

} // namespace

std::string TodayIsoDate(const Clock& clock)
{
    return FormatLocal(clock.Now(), "%Y-%m-%d");
}

std::string TaskDueText(const TaskInfo& task)
{
    if (task.due.empty())
        return {};
    return CharacterRange(task.due, 1, 4) + "-" + CharacterRange(task.due, 6, 7) + "-" +
           CharacterRange(task.due, 9, 10);
}

bool StartsBeforeToday(const EventRecord& event, const std::string& today)
{
    const std::string start =
        !event.start.date.empty() ? event.start.date : event.start.dateTime.substr(0, kDateLength);
    return start < today;
}

bool IsShownInViewMode(const std::string& status, int nTaskViewMode)
{
    if (status == kTaskStatusCompleted)
        return (nTaskViewMode & kTaskViewCompleted) != 0;
    return (nTaskViewMode & kTaskViewNeedsAction) != 0;
}

bool TaskRowExpanded(TaskNode& node, FillMode mode)
{
    if (mode == FillMode::Load)
        node.expanded = 1;
    return node.expanded == 1;
}

TreeRow CalendarRow(CalendarRecord& calendar, FillMode mode, bool allExpand)
{
    TreeRow calendarRow;
    calendarRow.level = kBranchChildLevel;
    calendarRow.texts[kNameColumn] = ColourMarker(calendar.backgroundColor) + calendar.summary;
    calendarRow.texts[kIdColumn] = calendar.id;
    if (mode == FillMode::Load) {
        calendarRow.expanded = allExpand;
        if (allExpand)
            calendar.tag = 1;
    } else {
        calendarRow.expanded = calendar.tag != 0;
    }
    return calendarRow;
}

std::vector<TreeRow> CalendarRows(CalendarRecord& calendar, const std::string& today, FillMode mode, bool allExpand)
{
    std::vector<TreeRow> rows;
    if (!IsSelected(calendar))
        return rows;
    rows.reserve(calendar.events.size() + 1);
    rows.push_back(CalendarRow(calendar, mode, allExpand));
    for (const EventRecord& event : calendar.events) {
        TreeRow row;
        row.level = kBranchChildLevel + 1;
        row.texts = EventRowTexts(event, calendar.backgroundColor);
        row.checked = StartsBeforeToday(event, today);
        rows.push_back(std::move(row));
    }
    return rows;
}

TreeRow TaskListRow(TaskListInfo& list, FillMode mode, bool allExpand)
{
    TreeRow listRow;
    listRow.level = kBranchChildLevel;
    listRow.texts[kNameColumn] = kTaskColourPrefix + list.title;
    listRow.texts[kIdColumn] = list.id;
    if (mode == FillMode::Load) {
        listRow.expanded = allExpand;
        if (allExpand)
            list.expanded = 1;
    } else {
        listRow.expanded = list.expanded == 1;
    }
    return listRow;
}

std::vector<TreeRow> TaskListRows(TaskListInfo& list, int nTaskViewMode, FillMode mode, bool allExpand,
                                  std::vector<TaskNode*>* nodes)
{
    std::vector<TreeRow> rows;
    rows.push_back(TaskListRow(list, mode, allExpand));
    if (nodes)
        nodes->assign(1, nullptr);
    AppendTaskRows(list.root().firstChild, kBranchChildLevel + 1, nTaskViewMode, mode, rows, nodes);
    return rows;
}

} // namespace orb
