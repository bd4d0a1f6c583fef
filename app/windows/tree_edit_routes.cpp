#include "app/windows/tree_edit_routes.h"

#include "app/shell_core/tree_rows.h"
#include "app/windows/event_flows.h"
#include "app/windows/orb_calender_dlg.h"
#include "app/windows/task_flows.h"
#include "treelist/tree_list_ctrl.h"
#include "treelist/tree_list_item.h"

namespace orb {

namespace {

// The calendar row at or above `item`, or nullptr.
CTreeListItem* CalendarRowOf(CTreeListItem* item)
{
    while (item && item->level > kBranchChildLevel)
        item = item->parent;
    return item && item->level == kBranchChildLevel ? item : nullptr;
}

// Rows of the task branch below its root: lists at level 2, tasks below.
bool IsTaskRow(const CTreeListItem* item)
{
    return item && item->level >= kBranchChildLevel && BranchOf(item) == kTaskBranch;
}

} // namespace

std::string BranchOf(const CTreeListItem* item)
{
    while (item && item->level > kRootLevel)
        item = item->parent;
    return item && !item->texts.empty() ? item->texts[kNameColumn] : std::string();
}

TreeEditRoutes::TreeEditRoutes(COrbCalenderDlg& window, const Clock& clock, const std::optional<EditTools>& tools)
    : window_(window), clock_(clock), tools_(tools)
{}

int TreeEditRoutes::OnTreeListNotify(const TreeListNotify& notify)
{
    switch (notify.code) {
    case TreeListCode::RightDoubleClick:
    case TreeListCode::InsertKey:
        window_.Dispatch(Command::InsertButton);
        return 0;
    case TreeListCode::DeleteKey:
        window_.Dispatch(Command::DeleteTask);
        return 0;
    case TreeListCode::CheckChanging:
        if (!notify.item || BranchOf(notify.item) == kCalendarBranch)
            return 0; // events' marks are the user's own; nothing is sent
        return RouteEdit(notify.code, notify.item);
    case TreeListCode::CheckChanged:
        if (IsTaskRow(notify.item))
            window_.RebuildTaskBranch(); // rows the view mode hides now go
        return 0;
    case TreeListCode::BeginDrag:
        // Only tasks move; lists and calendar rows stay where they are.
        return IsTaskRow(notify.item) && notify.item->level > kBranchChildLevel ? 0 : kTreeListRefuse;
    case TreeListCode::DoubleClick:
    case TreeListCode::DropQuery:
    case TreeListCode::Dropped:
        return RouteEdit(notify.code, notify.item);
    default:
        return 0;
    }
}

void TreeEditRoutes::InsertForSelection()
{
    if (CTreeListItem* selected = window_.Tree()->GetFirstSelectedItem())
        RouteEdit(TreeListCode::InsertKey, selected);
}

void TreeEditRoutes::DeleteSelection()
{
    CTreeListItem* selected = window_.Tree()->GetFirstSelectedItem();
    if (!selected)
        return;
    RouteEdit(TreeListCode::DeleteKey, selected);
    window_.Tree()->setFocus();
}

int TreeEditRoutes::RouteEdit(TreeListCode code, CTreeListItem* item)
{
    if (!tools_)
        return kTreeListRefuse;
    const EditTools& tools = *tools_;
    switch (code) {
    case TreeListCode::InsertKey:
        InsertFor(tools, item);
        return 0;
    case TreeListCode::DeleteKey:
        DeleteRow(tools, item);
        return 0;
    case TreeListCode::DoubleClick:
        EditRow(tools, item);
        return 0;
    case TreeListCode::CheckChanging:
        return OnCheckChanging(tools, item);
    case TreeListCode::DropQuery:
        return OnDropQuery(tools, item);
    case TreeListCode::Dropped:
        return OnDropped(tools, item);
    default:
        return kTreeListRefuse;
    }
}

void TreeEditRoutes::InsertFor(const EditTools& tools, CTreeListItem* selected)
{
    if (BranchOf(selected) == kTaskBranch) {
        InsertTaskFor(tools, selected);
        return;
    }
    CTreeListItem* calendarRow = CalendarRowOf(selected);
    if (calendarRow) {
        const LocalDateTime today = clock_.Now();
        const std::string calendarId = calendarRow->texts[kIdColumn];
        // As the editor starts by itself: an all-day event today.
        const std::string eventId = tools.events.NewEvent(&window_, tools.wait, calendarId, today, today, true);
        window_.RevealRow(window_.FindRow(window_.FindBranchRoot(kCalendarBranch, false), calendarId), eventId);
    }
}

void TreeEditRoutes::InsertTaskFor(const EditTools& tools, const CTreeListItem* row)
{
    const std::string id = row->texts[kIdColumn];
    std::string inserted;
    if (row->level == kRootLevel)
        inserted = tools.tasks.NewTaskList(&window_, tools.wait);
    else if (row->level == kBranchChildLevel)
        inserted = tools.tasks.NewTask(&window_, tools.wait, id, {});
    else
        inserted = tools.tasks.NewTask(&window_, tools.wait, {}, id);
    window_.RevealRow(window_.FindBranchRoot(kTaskBranch, false), inserted);
}

void TreeEditRoutes::DeleteRow(const EditTools& tools, CTreeListItem* selected)
{
    // Branch roots and calendars stay; events, lists and tasks go.
    const std::string id = selected->texts[kIdColumn];
    if (IsTaskRow(selected)) {
        if (selected->level == kBranchChildLevel)
            tools.tasks.DeleteTaskList(tools.wait, id);
        else
            tools.tasks.DeleteTask(tools.wait, id);
    } else if (selected->level > kBranchChildLevel && BranchOf(selected) == kCalendarBranch) {
        if (const CTreeListItem* calendarRow = CalendarRowOf(selected))
            tools.events.DeleteEvent(&window_, tools.wait, calendarRow->texts[kIdColumn], id);
    }
}

void TreeEditRoutes::EditRow(const EditTools& tools, CTreeListItem* item)
{
    if (!item)
        return;
    if (IsTaskRow(item)) {
        if (item->level == kBranchChildLevel)
            tools.tasks.EditTaskList(&window_, tools.wait, item->texts[kIdColumn]);
        else
            tools.tasks.EditTask(&window_, tools.wait, item->texts[kIdColumn]);
        return;
    }
    CTreeListItem* calendarRow = BranchOf(item) == kCalendarBranch ? CalendarRowOf(item) : nullptr;
    if (!calendarRow)
        return;
    const std::string calendarId = calendarRow->texts[kIdColumn];
    if (item == calendarRow)
        tools.events.EditCalendar(&window_, tools.wait, calendarId);
    else
        tools.events.EditEvent(&window_, tools.wait, calendarId, item->texts[kIdColumn]);
}

int TreeEditRoutes::OnCheckChanging(const EditTools& tools, const CTreeListItem* item)
{
    if (!IsTaskRow(item))
        return kTreeListRefuse;
    // Checked and partly checked both turn unchecked, so only an unchecked row completes.
    const bool completed = window_.Tree()->GetCheck(item) == 0;
    if (tools.tasks.SetStatus(tools.wait, item->texts[kIdColumn], item->level == kBranchChildLevel, completed))
        return 0;
    // The row keeps its mark; what the service did take shows once the control is done.
    QMetaObject::invokeMethod(
        &window_,
        [&window = window_, &pass = tools.pass] {
            if (!pass.IsBusy())
                window.RebuildTaskBranch();
        },
        Qt::QueuedConnection);
    return kTreeListRefuse;
}

int TreeEditRoutes::OnDropQuery(const EditTools& tools, const CTreeListItem* target) const
{
    const CTreeListItem* dragged = window_.Tree()->GetFirstSelectedItem();
    if (!IsTaskRow(target) || !dragged)
        return kTreeListRefuse; // calendar rows and the branch roots take nothing
    return tools.tasks.CanDrop(dragged->texts[kIdColumn], target->texts[kIdColumn]) ? 0 : kTreeListRefuse;
}

int TreeEditRoutes::OnDropped(const EditTools& tools, const CTreeListItem* target)
{
    const CTreeListItem* dragged = window_.Tree()->GetFirstSelectedItem();
    if (!IsTaskRow(target) || !dragged)
        return kTreeListRefuse;
    // Copied first: the move rebuilds the branch and the rows go.
    const std::string draggedId = dragged->texts[kIdColumn];
    const std::string targetId = target->texts[kIdColumn];
    tools.tasks.Drop(tools.wait, draggedId, targetId);
    // Where it landed, even under a row that was collapsed.
    window_.RevealRow(window_.FindBranchRoot(kTaskBranch, false), draggedId);
    return kTreeListRefuse;
}

} // namespace orb
