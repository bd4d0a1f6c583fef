#pragma once

#include "treelist/tree_list_column_info.h"
#include "treelist/tree_list_item.h"
#include "treelist/tree_list_notify.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orb {

// Item arguments that are not items: the root, and the insert positions.
constexpr std::intptr_t kTliRootValue = -65535;
constexpr std::intptr_t kTliFirstValue = -65533;
constexpr std::intptr_t kTliLastValue = -65534;
constexpr std::intptr_t kTliSortValue = -65532; // inserted like kTliLast
inline CTreeListItem* const kTliRoot = reinterpret_cast<CTreeListItem*>(kTliRootValue);
inline CTreeListItem* const kTliFirst = reinterpret_cast<CTreeListItem*>(kTliFirstValue);
inline CTreeListItem* const kTliLast = reinterpret_cast<CTreeListItem*>(kTliLastValue);
inline CTreeListItem* const kTliSort = reinterpret_cast<CTreeListItem*>(kTliSortValue);

enum class TreeListExpand
{
    Expand = 0,
    Collapse = 1,
    Toggle = 2,
    CollapseReset = 3, // collapse and delete the children
};

enum class SelectOutcome
{
    ScrollOnly, // already the first selected item in the focused column
    Refused,    // the parent answered -1 to -401
    Changed,
};

// 0 unchecked, 1 checked, 2 partly checked (both bits).
int BoxState(const CTreeListItem& item, TreeListBitPair bits);

// The items, columns, selection and style of one tree list, without any drawing. Every
// change that the parent must hear about goes out through the notifier, whose return
// value is the parent's reply.
class TreeListModel
{
public:
    using Notifier = std::function<int(TreeListCode code, CTreeListItem* item, int column)>;

    TreeListModel();
    ~TreeListModel(); // frees what is left without notifying anyone
    TreeListModel(const TreeListModel&) = delete;
    TreeListModel& operator=(const TreeListModel&) = delete;

    void SetNotifier(Notifier notifier) { notifier_ = std::move(notifier); }
    // Told about every item just before its -401, so that nothing keeps pointing at it.
    void SetDeleteObserver(std::function<void(CTreeListItem*)> observer) { deleteObserver_ = std::move(observer); }

    std::uint32_t SetStyle(std::uint32_t style);
    std::uint32_t Style() const { return style_; }
    bool HasStyle(std::uint32_t bits) const { return (style_ & bits) != 0; }

    // Columns.
    int InsertColumn(const std::string& text, std::uint32_t format);
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    const CTreeListColumnInfo* Column(int column) const;
    // Width 0 or more with the min/max rules; false for an unknown column.
    bool SetColumnWidth(int column, int width, int minWidth, int maxWidth);
    bool SetColumnEditor(int column, TreeListEditor editor);
    const std::vector<int>& ShownOrder() const { return shownOrder_; }
    const std::vector<int>& EditableColumns() const { return editable_; }
    bool IsEditableColumn(int column) const;
    // Moves a column within the shown order (positions, not column indexes).
    bool MoveShownColumn(int fromPosition, int toPosition);

    // Items.
    CTreeListItem* Root() const { return root_.get(); }
    // The root for kTliRoot (and null), the item itself otherwise.
    CTreeListItem* Resolve(CTreeListItem* item) const;
    CTreeListItem* InsertItem(const std::string& text, CTreeListItem* parent, CTreeListItem* after);
    bool DeleteItem(CTreeListItem* item);
    bool SetItemText(int column, CTreeListItem* item, const std::string& text);
    // The text of a cell; empty for a column the item has no text for.
    const std::string& ItemText(const CTreeListItem* item, int column) const;
    bool Expand(TreeListExpand code, CTreeListItem* item, int column);

    // Check and lock boxes. Set spreads down and up; a click toggles and spreads unless
    // `spread` is false.
    void SetCheck(CTreeListItem* item, bool checked) { SetBox(item, kCheckBits, checked, true); }
    void SetLock(CTreeListItem* item, bool locked) { SetBox(item, kLockBits, locked, true); }
    int GetCheck(const CTreeListItem* item) const { return BoxState(*item, kCheckBits); }
    int GetLock(const CTreeListItem* item) const { return BoxState(*item, kLockBits); }
    void SetBox(CTreeListItem* item, TreeListBitPair bits, bool on, bool spread);
    void ToggleBox(CTreeListItem* item, TreeListBitPair bits, bool spread);

    // Selection.
    SelectOutcome SelectItem(CTreeListItem* item, int column, bool replace);
    CTreeListItem* FirstSelected() const { return selection_.empty() ? nullptr : selection_.front(); }
    CTreeListItem* NextSelected(const CTreeListItem* item) const;
    const std::vector<CTreeListItem*>& Selection() const { return selection_; }
    CTreeListItem* FocusedItem() const { return focused_; }
    int FocusedColumn() const { return focusedColumn_; }
    CTreeListItem* LastChild(CTreeListItem* item) const;

    // Rows: the shown items top to bottom, row 0 being the first top-level item.
    int VisibleRowCount() const { return root_->shownCount - 1; }
    CTreeListItem* ItemAtRow(int row) const;
    int RowOfItem(const CTreeListItem* item) const; // -1 when not shown
    CTreeListItem* NextVisible(const CTreeListItem* item) const;
    CTreeListItem* PrevVisible(const CTreeListItem* item) const;
    bool IsVisible(const CTreeListItem* item) const;

    // Every item of the tree except the root, parents before children.
    void ForEachItem(const std::function<void(CTreeListItem&)>& visit) const;

private:
    int Notify(TreeListCode code, CTreeListItem* item, int column) const;
    void DeleteSubtree(CTreeListItem* item);
    void Unlink(CTreeListItem* item);
    void ForgetSelected(CTreeListItem* item);
    void ClearSelection();
    void SetSubtreeBox(CTreeListItem* item, TreeListBitPair bits, bool on);
    void RecomputeAncestorBoxes(CTreeListItem* item, TreeListBitPair bits);
    static void AddShownRows(CTreeListItem* item, int delta);

    std::unique_ptr<CTreeListItem> root_;
    std::vector<CTreeListColumnInfo> columns_;
    std::vector<int> shownOrder_;
    std::vector<int> editable_;
    std::vector<CTreeListItem*> selection_;
    CTreeListItem* focused_ = nullptr;
    int focusedColumn_ = 0;
    std::uint32_t style_ = 0;
    Notifier notifier_;
    std::function<void(CTreeListItem*)> deleteObserver_;
};

} // namespace orb
