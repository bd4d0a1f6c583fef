#include "treelist/tree_list_model.h"

#include "treelist/tree_list_style.h"

#include <algorithm>

namespace orb {

namespace {
constexpr int kNoColumn = 0;

const std::string& EmptyText()
{
    static const std::string empty;
    return empty;
}

// The item after `node` in a parents-first walk of the subtree under `top`.
CTreeListItem* NextInSubtree(CTreeListItem* node, const CTreeListItem* top)
{
    if (node->firstChild)
        return node->firstChild;
    while (node != top && !node->nextSibling)
        node = node->parent;
    return node == top ? nullptr : node->nextSibling;
}
} // namespace

int BoxState(const CTreeListItem& item, TreeListBitPair bits)
{
    const bool on = (item.state & bits.on) != 0;
    const bool off = (item.state & bits.off) != 0;
    if (on && off)
        return 2;
    return on ? 1 : 0;
}

TreeListModel::TreeListModel() : root_(std::make_unique<CTreeListItem>(1))
{
    root_->state = tli::kExpanded | tli::kExpandedOnce;
}

TreeListModel::~TreeListModel()
{
    notifier_ = nullptr;
    deleteObserver_ = nullptr;
    while (root_->firstChild)
        DeleteSubtree(root_->firstChild);
}

int TreeListModel::Notify(TreeListCode code, CTreeListItem* item, int column) const
{
    return notifier_ ? notifier_(code, item, column) : 0;
}

std::uint32_t TreeListModel::SetStyle(std::uint32_t style)
{
    const std::uint32_t previous = style_;
    style_ = style;
    return previous;
}

int TreeListModel::InsertColumn(const std::string& text, std::uint32_t format)
{
    CTreeListColumnInfo info;
    info.text = text;
    info.format = format;
    info.width = 0;
    info.image = -1;
    columns_.push_back(info);
    const int index = static_cast<int>(columns_.size()) - 1;
    if (!info.IsHidden())
        shownOrder_.push_back(index);
    if (info.IsEditable())
        editable_.push_back(index);
    return index;
}

const CTreeListColumnInfo* TreeListModel::Column(int column) const
{
    if (column < 0 || column >= ColumnCount())
        return nullptr;
    return &columns_[static_cast<std::size_t>(column)];
}

bool TreeListModel::SetColumnWidth(int column, int width, int minWidth, int maxWidth)
{
    if (column < 0 || column >= ColumnCount() || width < 0)
        return false;
    minWidth = std::max(minWidth, 0);
    maxWidth = std::max(maxWidth, 0);
    width = std::max(width, minWidth);
    if (maxWidth != 0) {
        maxWidth = std::max(maxWidth, minWidth);
        width = std::min(width, maxWidth);
    }
    CTreeListColumnInfo& info = columns_[static_cast<std::size_t>(column)];
    info.width = width;
    info.minWidth = minWidth;
    info.maxWidth = maxWidth;
    return true;
}

bool TreeListModel::SetColumnEditor(int column, TreeListEditor editor)
{
    if (column < 0 || column >= ColumnCount())
        return false;
    columns_[static_cast<std::size_t>(column)].editor = editor;
    return true;
}

bool TreeListModel::IsEditableColumn(int column) const
{
    return std::find(editable_.begin(), editable_.end(), column) != editable_.end();
}

bool TreeListModel::MoveShownColumn(int fromPosition, int toPosition)
{
    const int count = static_cast<int>(shownOrder_.size());
    if (fromPosition < 0 || fromPosition >= count || toPosition < 0 || toPosition >= count)
        return false;
    const int column = shownOrder_[static_cast<std::size_t>(fromPosition)];
    shownOrder_.erase(shownOrder_.begin() + fromPosition);
    shownOrder_.insert(shownOrder_.begin() + toPosition, column);
    return true;
}

CTreeListItem* TreeListModel::Resolve(CTreeListItem* item) const
{
    if (item == nullptr || item == kTliRoot)
        return root_.get();
    return item;
}

void TreeListModel::AddShownRows(CTreeListItem* item, int delta)
{
    // A parent counts its children's rows only while it is expanded.
    for (CTreeListItem* child = item; child->parent && child->parent->IsExpanded(); child = child->parent)
        child->parent->shownCount += delta;
}

CTreeListItem* TreeListModel::InsertItem(const std::string& text, CTreeListItem* parentArg, CTreeListItem* after)
{
    CTreeListItem* parent = Resolve(parentArg);
    auto* item = new CTreeListItem(columns_.size());
    item->texts[0] = text;
    item->parent = parent;
    item->level = parent->level + 1;
    if (BoxState(*parent, kCheckBits) == 1)
        item->state = (item->state & ~tli::kCheckMask) | tli::kChecked;
    if (BoxState(*parent, kLockBits) == 1)
        item->state = (item->state & ~tli::kLockMask) | tli::kLocked;

    // The sibling to link after, or null for the front. An `after` that is not one of
    // the parent's children is never dereferenced.
    CTreeListItem* previous = nullptr;
    if (after == kTliLast || after == kTliSort) {
        previous = LastChild(parent);
    } else if (after != kTliFirst) {
        for (CTreeListItem* child = parent->firstChild; child; child = child->nextSibling) {
            if (child == after) {
                previous = child;
                break;
            }
        }
    }
    if (previous) {
        item->prevSibling = previous;
        item->nextSibling = previous->nextSibling;
        if (previous->nextSibling)
            previous->nextSibling->prevSibling = item;
        previous->nextSibling = item;
    } else {
        item->nextSibling = parent->firstChild;
        if (parent->firstChild)
            parent->firstChild->prevSibling = item;
        parent->firstChild = item;
    }

    for (CTreeListItem* ancestor = parent; ancestor; ancestor = ancestor->parent)
        ancestor->itemCount += 1;
    AddShownRows(item, item->shownCount);
    return item;
}

void TreeListModel::Unlink(CTreeListItem* item)
{
    AddShownRows(item, -item->shownCount);
    for (CTreeListItem* ancestor = item->parent; ancestor; ancestor = ancestor->parent)
        ancestor->itemCount -= item->itemCount;
    if (item->prevSibling)
        item->prevSibling->nextSibling = item->nextSibling;
    else if (item->parent)
        item->parent->firstChild = item->nextSibling;
    if (item->nextSibling)
        item->nextSibling->prevSibling = item->prevSibling;
    item->parent = item->prevSibling = item->nextSibling = nullptr;
}

void TreeListModel::DeleteSubtree(CTreeListItem* top)
{
    // Children first, without recursion so that a deep tree cannot exhaust the stack.
    CTreeListItem* node = top;
    for (;;) {
        while (node->firstChild)
            node = node->firstChild;
        CTreeListItem* parent = node->parent;
        const bool last = node == top;
        ForgetSelected(node);
        if (focused_ == node)
            focused_ = nullptr;
        if (deleteObserver_)
            deleteObserver_(node);
        Notify(kItemDeleting, node, kNoColumn);
        Unlink(node);
        delete node;
        if (last)
            return;
        node = parent;
    }
}

bool TreeListModel::DeleteItem(CTreeListItem* item)
{
    item = Resolve(item);
    if (item == root_.get()) {
        while (root_->firstChild)
            DeleteSubtree(root_->firstChild);
        return true;
    }
    DeleteSubtree(item);
    return true;
}

bool TreeListModel::SetItemText(int column, CTreeListItem* item, const std::string& text)
{
    item = Resolve(item);
    if (column < 0 || static_cast<std::size_t>(column) >= item->texts.size())
        return false;
    item->texts[static_cast<std::size_t>(column)] = text;
    return true;
}

const std::string& TreeListModel::ItemText(const CTreeListItem* item, int column) const
{
    if (item == nullptr || column < 0 || static_cast<std::size_t>(column) >= item->texts.size())
        return EmptyText();
    return item->texts[static_cast<std::size_t>(column)];
}

bool TreeListModel::Expand(TreeListExpand code, CTreeListItem* item, int column)
{
    item = Resolve(item);
    if (item == root_.get() || !item->CanExpandOrCollapse())
        return false;
    const bool expand = code == TreeListExpand::Expand || (code == TreeListExpand::Toggle && !item->IsExpanded());
    if (expand && item->IsExpanded())
        return false;
    if (!expand && !item->IsExpanded() && !(code == TreeListExpand::CollapseReset && item->firstChild))
        return false;
    if (Notify(TreeListCode::Expanding, item, column) == kTreeListRefuse)
        return false;

    if (expand) {
        // Counted after -405, which may have filled in the children.
        item->state |= tli::kExpanded | tli::kExpandedOnce;
        int rows = 0;
        for (CTreeListItem* child = item->firstChild; child; child = child->nextSibling)
            rows += child->shownCount;
        item->shownCount += rows;
        AddShownRows(item, rows);
    } else {
        if (item->IsExpanded()) {
            const int delta = 1 - item->shownCount;
            item->shownCount = 1;
            AddShownRows(item, delta);
            item->state &= ~tli::kExpanded;
        }
        if (code == TreeListExpand::CollapseReset) {
            while (item->firstChild)
                DeleteSubtree(item->firstChild);
            // Emptied on purpose, so it may be expanded and filled again.
            item->state &= ~tli::kExpandedOnce;
        }
    }
    Notify(TreeListCode::Expanded, item, column);
    return true;
}

void TreeListModel::SetSubtreeBox(CTreeListItem* top, TreeListBitPair bits, bool on)
{
    const std::uint32_t set = on ? bits.on : bits.off;
    const std::uint32_t clear = on ? bits.off : bits.on;
    for (CTreeListItem* node = top->firstChild; node; node = NextInSubtree(node, top))
        node->state = (node->state & ~clear) | set;
}

void TreeListModel::RecomputeAncestorBoxes(CTreeListItem* item, TreeListBitPair bits)
{
    for (CTreeListItem* ancestor = item->parent; ancestor && ancestor != root_.get(); ancestor = ancestor->parent) {
        std::uint32_t combined = 0;
        for (CTreeListItem* child = ancestor->firstChild; child; child = child->nextSibling)
            combined |= child->state & (bits.on | bits.off);
        ancestor->state = (ancestor->state & ~(bits.on | bits.off)) | combined;
    }
}

void TreeListModel::SetBox(CTreeListItem* item, TreeListBitPair bits, bool on, bool spread)
{
    item = Resolve(item);
    if (item != root_.get())
        item->state = (item->state & ~(bits.on | bits.off)) | (on ? bits.on : bits.off);
    if (!spread)
        return;
    SetSubtreeBox(item, bits, on);
    RecomputeAncestorBoxes(item, bits);
}

void TreeListModel::ToggleBox(CTreeListItem* item, TreeListBitPair bits, bool spread)
{
    item = Resolve(item);
    // Checked and partly checked both turn unchecked.
    SetBox(item, bits, (item->state & bits.on) == 0, spread);
}

void TreeListModel::ForgetSelected(CTreeListItem* item)
{
    const auto it = std::find(selection_.begin(), selection_.end(), item);
    if (it != selection_.end())
        selection_.erase(it);
    item->state &= ~tli::kSelected;
}

void TreeListModel::ClearSelection()
{
    for (CTreeListItem* item : selection_)
        item->state &= ~tli::kSelected;
    selection_.clear();
}

SelectOutcome TreeListModel::SelectItem(CTreeListItem* item, int column, bool replace)
{
    if (item == kTliRoot || item == root_.get())
        item = nullptr;
    if (item && item == FirstSelected() && column == focusedColumn_)
        return SelectOutcome::ScrollOnly;
    if (Notify(TreeListCode::SelectChanging, item, column) == kTreeListRefuse)
        return SelectOutcome::Refused;
    if (!item) {
        ClearSelection();
        Notify(TreeListCode::SelectChanged, nullptr, column);
        return SelectOutcome::Changed;
    }
    if (!HasStyle(tls::kMultiSelect) || replace) {
        ClearSelection();
        item->state |= tli::kSelected;
        selection_.push_back(item);
    } else if (item->state & tli::kSelected) {
        ForgetSelected(item);
    } else {
        item->state |= tli::kSelected;
        selection_.insert(selection_.begin(), item);
    }
    focused_ = item;
    focusedColumn_ = column;
    Notify(TreeListCode::SelectChanged, item, column);
    return SelectOutcome::Changed;
}

CTreeListItem* TreeListModel::NextSelected(const CTreeListItem* item) const
{
    if (item == kTliRoot || item == root_.get() || item == nullptr)
        return FirstSelected();
    const auto it = std::find(selection_.begin(), selection_.end(), item);
    if (it == selection_.end() || it + 1 == selection_.end())
        return nullptr;
    return *(it + 1);
}

CTreeListItem* TreeListModel::LastChild(CTreeListItem* item) const
{
    CTreeListItem* child = Resolve(item)->firstChild;
    while (child && child->nextSibling)
        child = child->nextSibling;
    return child;
}

CTreeListItem* TreeListModel::ItemAtRow(int row) const
{
    if (row < 0 || row >= VisibleRowCount())
        return nullptr;
    // Whole subtrees are skipped by their shown rows, so only the path down is walked.
    const CTreeListItem* node = root_.get();
    for (;;) {
        CTreeListItem* child = node->firstChild;
        while (child && row >= child->shownCount) {
            row -= child->shownCount;
            child = child->nextSibling;
        }
        if (!child || row == 0)
            return child;
        row -= 1;
        node = child;
    }
}

bool TreeListModel::IsVisible(const CTreeListItem* item) const
{
    if (item == nullptr || item == root_.get())
        return false;
    for (const CTreeListItem* ancestor = item->parent; ancestor; ancestor = ancestor->parent) {
        if (!ancestor->IsExpanded())
            return false;
    }
    return true;
}

int TreeListModel::RowOfItem(const CTreeListItem* item) const
{
    if (!IsVisible(item))
        return -1;
    int row = 0;
    for (const CTreeListItem* node = item; node->parent; node = node->parent) {
        for (const CTreeListItem* sibling = node->prevSibling; sibling; sibling = sibling->prevSibling)
            row += sibling->shownCount;
        if (node->parent->parent)
            row += 1;
    }
    return row;
}

CTreeListItem* TreeListModel::NextVisible(const CTreeListItem* item) const
{
    if (item->IsExpanded() && item->firstChild)
        return item->firstChild;
    for (const CTreeListItem* node = item; node && node != root_.get(); node = node->parent) {
        if (node->nextSibling)
            return node->nextSibling;
    }
    return nullptr;
}

CTreeListItem* TreeListModel::PrevVisible(const CTreeListItem* item) const
{
    if (item->prevSibling) {
        CTreeListItem* node = item->prevSibling;
        while (node->IsExpanded() && node->firstChild)
            node = LastChild(node);
        return node;
    }
    return item->parent == root_.get() ? nullptr : item->parent;
}

void TreeListModel::ForEachItem(const std::function<void(CTreeListItem&)>& visit) const
{
    for (CTreeListItem* node = root_->firstChild; node; node = NextInSubtree(node, root_.get()))
        visit(*node);
}

} // namespace orb
