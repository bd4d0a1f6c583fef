#include "treelist/tree_list_accessible.h"

#include "treelist/tree_list_cell_rules.h"
#include "treelist/tree_list_ctrl.h"
#include "treelist/tree_list_style.h"

#include "widgets/accessible_announce.h"

#include <QWidget>
#include <algorithm>
#include <vector>

namespace orb {

namespace {

// The controls whose interface exists, so that the control's own calls never make one.
std::map<const CTreeListCtrl*, TreeListAccessible*>& Interfaces()
{
    static std::map<const CTreeListCtrl*, TreeListAccessible*> interfaces;
    return interfaces;
}

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int ShownPosition(const TreeListModel& model, int column)
{
    const std::vector<int>& order = model.ShownOrder();
    const auto found = std::find(order.begin(), order.end(), column);
    return found == order.end() ? -1 : static_cast<int>(found - order.begin());
}

QAccessibleInterface* Factory(const QString&, QObject* object)
{
    if (auto* tree = qobject_cast<CTreeListCtrl*>(object))
        return new TreeListAccessible(tree);
    return nullptr;
}

} // namespace

TreeListAccessible::TreeListAccessible(CTreeListCtrl* tree) : QAccessibleWidget(tree, QAccessible::Tree)
{
    Interfaces()[tree] = this;
}

TreeListAccessible::~TreeListAccessible()
{
    std::erase_if(Interfaces(), [this](const auto& entry) { return entry.second == this; });
    for (const auto& [key, id] : cells_)
        QAccessible::deleteAccessibleInterface(id);
}

TreeListAccessible* TreeListAccessible::Existing(const CTreeListCtrl* tree)
{
    const auto found = Interfaces().find(tree);
    return found == Interfaces().end() ? nullptr : found->second;
}

CTreeListCtrl* TreeListAccessible::Tree() const
{
    return static_cast<CTreeListCtrl*>(widget());
}

TreeListCellAccessible* TreeListAccessible::Cell(CTreeListItem* item, int column)
{
    const TreeListModel& model = Tree()->Model();
    if (!item || model.RowOfItem(item) < 0 || ShownPosition(model, column) < 0)
        return nullptr;
    const auto key = std::make_pair(static_cast<const CTreeListItem*>(item), column);
    if (const auto found = cells_.find(key); found != cells_.end())
        return static_cast<TreeListCellAccessible*>(QAccessible::accessibleInterface(found->second));
    auto* cell = new TreeListCellAccessible(this, item, column);
    cells_[key] = QAccessible::registerAccessibleInterface(cell);
    return cell;
}

TreeListCellAccessible* TreeListAccessible::FocusedCell()
{
    const TreeListModel& model = Tree()->Model();
    return Cell(model.FocusedItem(), model.FocusedColumn());
}

void TreeListAccessible::ForgetItem(CTreeListItem* item)
{
    for (auto it = cells_.lower_bound({item, 0}); it != cells_.end() && it->first.first == item;) {
        QAccessible::deleteAccessibleInterface(it->second);
        it = cells_.erase(it);
    }
}

void* TreeListAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface* TreeListAccessible::child(int index) const
{
    const int columns = columnCount();
    if (index < 0 || columns == 0)
        return nullptr;
    return cellAt(index / columns, index % columns);
}

int TreeListAccessible::childCount() const
{
    return rowCount() * columnCount();
}

int TreeListAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    const QAccessibleTableCellInterface* cell =
        child ? const_cast<QAccessibleInterface*>(child)->tableCellInterface() : nullptr;
    if (!cell || child->parent() != this)
        return -1;
    return cell->rowIndex() * columnCount() + cell->columnIndex();
}

QAccessibleInterface* TreeListAccessible::childAt(int x, int y) const
{
    const TreeListHit hit = Tree()->HitTest(Tree()->mapFromGlobal(QPoint(x, y)));
    return const_cast<TreeListAccessible*>(this)->Cell(hit.item, hit.column);
}

QAccessibleInterface* TreeListAccessible::focusChild() const
{
    if (!Tree()->hasFocus())
        return nullptr;
    return const_cast<TreeListAccessible*>(this)->FocusedCell();
}

QAccessibleInterface* TreeListAccessible::cellAt(int row, int column) const
{
    const TreeListModel& model = Tree()->Model();
    if (column < 0 || column >= columnCount())
        return nullptr;
    return const_cast<TreeListAccessible*>(this)->Cell(model.ItemAtRow(row),
                                                       model.ShownOrder()[static_cast<std::size_t>(column)]);
}

int TreeListAccessible::selectedCellCount() const
{
    return selectedRowCount() * columnCount();
}

QList<QAccessibleInterface*> TreeListAccessible::selectedCells() const
{
    QList<QAccessibleInterface*> cells;
    for (const int row : selectedRows()) {
        for (int column = 0; column < columnCount(); ++column)
            cells.append(cellAt(row, column));
    }
    return cells;
}

QString TreeListAccessible::columnDescription(int column) const
{
    const TreeListModel& model = Tree()->Model();
    if (column < 0 || column >= columnCount())
        return {};
    return FromUtf8(model.Column(model.ShownOrder()[static_cast<std::size_t>(column)])->text);
}

int TreeListAccessible::selectedRowCount() const
{
    return static_cast<int>(selectedRows().size());
}

int TreeListAccessible::columnCount() const
{
    return static_cast<int>(Tree()->Model().ShownOrder().size());
}

int TreeListAccessible::rowCount() const
{
    return Tree()->Model().VisibleRowCount();
}

QList<int> TreeListAccessible::selectedRows() const
{
    // A selected item inside a collapsed parent has no row to name.
    QList<int> rows;
    for (const CTreeListItem* item : Tree()->Model().Selection()) {
        if (const int row = Tree()->Model().RowOfItem(item); row >= 0)
            rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool TreeListAccessible::isRowSelected(int row) const
{
    const CTreeListItem* item = Tree()->Model().ItemAtRow(row);
    return item && item->HasState(tli::kSelected);
}

bool TreeListAccessible::selectRow(int row)
{
    // As a click would: the parent hears -401 and may refuse.
    CTreeListItem* item = Tree()->Model().ItemAtRow(row);
    if (!item)
        return false;
    Tree()->SelectItem(item, Tree()->Model().FocusedColumn(), true);
    return item->HasState(tli::kSelected);
}

TreeListCellAccessible::TreeListCellAccessible(TreeListAccessible* table, CTreeListItem* item, int column)
    : table_(table), item_(item), column_(column)
{}

bool TreeListCellAccessible::isValid() const
{
    return table_->isValid() && table_->Tree()->Model().RowOfItem(item_) >= 0;
}

QWindow* TreeListCellAccessible::window() const
{
    return table_->window();
}

bool TreeListCellAccessible::InFirstColumn() const
{
    return columnIndex() == 0;
}

QString TreeListCellAccessible::text(QAccessible::Text type) const
{
    if (type != QAccessible::Name || !isValid())
        return {};
    const std::string& text = table_->Tree()->Model().ItemText(item_, column_);
    // A colour prefix is drawn as a bar; only the label is read.
    if (column_ == 0) {
        if (const std::optional<ColourPrefix> prefix = ParseColourPrefix(text))
            return FromUtf8(prefix->label);
    }
    return FromUtf8(text);
}

QRect TreeListCellAccessible::rect() const
{
    const CTreeListCtrl* tree = table_->Tree();
    const QRect local = tree->CellRect(item_, column_);
    return local.isNull() ? QRect() : QRect(tree->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::State TreeListCellAccessible::state() const
{
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    const CTreeListCtrl* tree = table_->Tree();
    const TreeListModel& model = tree->Model();
    state.selectable = true;
    state.focusable = true;
    state.selected = item_->HasState(tli::kSelected);
    state.focused = tree->hasFocus() && model.FocusedItem() == item_ && model.FocusedColumn() == column_;
    state.multiSelectable = model.HasStyle(tls::kMultiSelect);
    const int row = model.RowOfItem(item_);
    const TreeListLayout& layout = tree->Layout();
    if (row < layout.TopRow() || row >= layout.TopRow() + layout.RowsPerPage() || !tree->isVisible()) {
        state.offscreen = true;
        state.invisible = !tree->isVisible();
    }
    if (!InFirstColumn())
        return state;
    if (model.HasStyle(tls::kCheckBoxes) && item_->HasState(tli::kShowCheckBox)) {
        state.checkable = true;
        const int check = model.GetCheck(item_);
        state.checked = check == 1;
        state.checkStateMixed = check == 2;
    }
    if (item_->firstChild) {
        state.expandable = true;
        state.expanded = item_->IsExpanded();
        state.collapsed = !item_->IsExpanded();
    }
    return state;
}

void* TreeListCellAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface*>(this);
    return nullptr;
}

bool TreeListCellAccessible::isSelected() const
{
    return item_->HasState(tli::kSelected);
}

int TreeListCellAccessible::columnIndex() const
{
    return ShownPosition(table_->Tree()->Model(), column_);
}

int TreeListCellAccessible::rowIndex() const
{
    return table_->Tree()->Model().RowOfItem(item_);
}

void InstallTreeListAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

namespace {

// Made through the factory, so the interface found next is this library's.
TreeListAccessible* Accessible(CTreeListCtrl* tree)
{
    QAccessible::queryAccessibleInterface(tree);
    return TreeListAccessible::Existing(tree);
}

void AnnounceState(CTreeListCtrl* tree, CTreeListItem* item, QAccessible::State changed)
{
    if (!AccessibleAnnouncementsHeard())
        return;
    TreeListAccessible* iface = Accessible(tree);
    const std::vector<int>& order = tree->Model().ShownOrder();
    if (TreeListCellAccessible* cell = iface && !order.empty() ? iface->Cell(item, order.front()) : nullptr) {
        QAccessibleStateChangeEvent event(cell, changed);
        Announce(event);
    }
}

} // namespace

void AnnounceTreeListFocus(CTreeListCtrl* tree)
{
    if (!AccessibleAnnouncementsHeard())
        return;
    TreeListAccessible* iface = Accessible(tree);
    TreeListCellAccessible* cell = iface ? iface->FocusedCell() : nullptr;
    if (!cell)
        return;
    if (tree->hasFocus()) {
        QAccessibleEvent focus(cell, QAccessible::Focus);
        Announce(focus);
    }
    QAccessibleEvent selection(cell, QAccessible::Selection);
    Announce(selection);
}

void AnnounceTreeListCheck(CTreeListCtrl* tree, CTreeListItem* item)
{
    QAccessible::State changed;
    changed.checked = true;
    changed.checkStateMixed = true;
    AnnounceState(tree, item, changed);
}

void AnnounceTreeListExpansion(CTreeListCtrl* tree, CTreeListItem* item)
{
    QAccessible::State changed;
    changed.expanded = true;
    changed.collapsed = true;
    AnnounceState(tree, item, changed);
}

void AnnounceTreeListRows(CTreeListCtrl* tree)
{
    if (!AccessibleAnnouncementsHeard())
        return;
    QAccessibleTableModelChangeEvent event(tree, QAccessibleTableModelChangeEvent::ModelReset);
    Announce(event);
}

void ForgetTreeListAccessibleItem(const CTreeListCtrl* tree, CTreeListItem* item)
{
    if (TreeListAccessible* iface = TreeListAccessible::Existing(tree))
        iface->ForgetItem(item);
}

} // namespace orb
