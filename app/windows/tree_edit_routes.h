#pragma once

#include <optional>
#include <string>

namespace orb {

class COrbCalenderDlg;
class CTreeListItem;
class CWaitDlg;
class Clock;
class EventFlows;
class LoadPass;
class TaskFlows;
struct TreeListNotify;
enum class TreeListCode : int;

// What the edits need of the frame; it exists only once the user has signed in.
struct EditTools
{
    LoadPass& pass;
    EventFlows& events;
    TaskFlows& tasks;
    CWaitDlg& wait; // covers the main window while an edit runs
};

// The column-0 text of the row's level-1 ancestor: which branch the row is in.
std::string BranchOf(const CTreeListItem* item);

// Turns what the user does to the main window's tree (double-clicks, keys, check marks,
// drags) and its selection into event and task edits. Before the window has its tools,
// every edit is refused quietly.
class TreeEditRoutes
{
public:
    TreeEditRoutes(COrbCalenderDlg& window, const Clock& clock, const std::optional<EditTools>& tools);

    int OnTreeListNotify(const TreeListNotify& notify);
    // The Insert and Delete commands, by the selected row's branch and level.
    void InsertForSelection();
    void DeleteSelection();

private:
    // Every edit passes here, the one place that checks for the tools; the Insert and Delete
    // keys name the commands too.
    int RouteEdit(TreeListCode code, CTreeListItem* item);
    void InsertFor(const EditTools& tools, CTreeListItem* selected);
    void InsertTaskFor(const EditTools& tools, const CTreeListItem* row);
    void DeleteRow(const EditTools& tools, CTreeListItem* selected);
    void EditRow(const EditTools& tools, CTreeListItem* item);
    int OnCheckChanging(const EditTools& tools, const CTreeListItem* item);
    int OnDropQuery(const EditTools& tools, const CTreeListItem* target) const;
    int OnDropped(const EditTools& tools, const CTreeListItem* target);

    COrbCalenderDlg& window_;
    const Clock& clock_;
    const std::optional<EditTools>& tools_; // the window's, empty until SetEditing
};

} // namespace orb
