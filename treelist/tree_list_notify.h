#pragma once

#include <vector>

namespace orb {

class CTreeListCtrl;
class CTreeListItem;

// Notification codes the tree list sends to its parent.
enum class TreeListCode : int
{
    SelectChanging = -401, // also sent for every item about to be deleted
    SelectChanged = -402,
    Expanding = -405,
    Expanded = -406,
    BeginDrag = -407,
    BeginControl = -410,
    EndControl = -411,
    EditTextChanging = -420,
    EditEnding = -421,
    EditEnded = -422,
    DragEnter = -423,
    DragLeave = -424,
    DropQuery = -425,
    Dropped = -426,
    CheckChanging = -427,
    LockChanging = -428,
    DoubleClick = -430,
    DeleteKey = -431,
    CheckChanged = -432,
    InsertKey = -433,
    RightDoubleClick = -434,
};

constexpr TreeListCode kItemDeleting = TreeListCode::SelectChanging;

// A reply of -1 refuses where the code allows refusing.
constexpr int kTreeListRefuse = -1;

struct TreeListNotify
{
    CTreeListCtrl* source = nullptr;
    int sourceId = 0;
    TreeListCode code = TreeListCode::SelectChanging;
    CTreeListItem* item = nullptr;
    int column = 0;
    CTreeListCtrl* dragSource = nullptr; // where the dragged items come from (-423 to -426)
};

// The parent's side: every notification arrives here and the return value is the reply.
// A handler that goes away first detaches itself from the trees still sending to it, so a
// tree deleted later (which reports each of its items) never calls a dead handler. A
// window that is its own handler lists its QWidget base first, so that it detaches before
// its children are deleted.
class TreeListNotifyHandler
{
public:
    virtual int OnTreeListNotify(const TreeListNotify& notify) = 0;

protected:
    TreeListNotifyHandler() = default;
    virtual ~TreeListNotifyHandler();
    TreeListNotifyHandler(const TreeListNotifyHandler&) = delete;
    TreeListNotifyHandler& operator=(const TreeListNotifyHandler&) = delete;

private:
    friend class CTreeListCtrl;
    std::vector<CTreeListCtrl*> senders_;
};

} // namespace orb
