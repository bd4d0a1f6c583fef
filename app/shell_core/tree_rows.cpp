#include "app/shell_core/tree_rows.h"

#include "app/shell_core/settings.h"

namespace orb {

namespace {

constexpr const char* kTaskColourPrefix = "0xEF0000";
constexpr std::size_t kDateLength = 10;

void AppendTaskRows(TaskNode* node, int level, int nTaskViewMode, FillMode mode, std::vector<TreeRow>& rows)
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
        if (mode == FillMode::Load)
            node->expanded = 1;
        row.expanded = node->expanded == 1;
        rows.push_back(std::move(row));
        AppendTaskRows(node->firstChild, level + 1, nTaskViewMode, mode, rows);
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

std::vector<TreeRow> CalendarRows(CalendarRecord& calendar, const std::string& today, FillMode mode, bool allExpand)
{
    std::vector<TreeRow> rows;
    if (!IsSelected(calendar))
        return rows;
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
    rows.push_back(std::move(calendarRow));

    for (const EventRecord& event : calendar.events) {
        TreeRow row;
        row.level = kBranchChildLevel + 1;
        row.texts = EventRowTexts(event, calendar.backgroundColor);
        row.checked = StartsBeforeToday(event, today);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<TreeRow> TaskListRows(TaskListInfo& list, int nTaskViewMode, FillMode mode, bool allExpand)
{
    std::vector<TreeRow> rows;
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
    rows.push_back(std::move(listRow));
    AppendTaskRows(list.root().firstChild, kBranchChildLevel + 1, nTaskViewMode, mode, rows);
    return rows;
}

} // namespace orb
