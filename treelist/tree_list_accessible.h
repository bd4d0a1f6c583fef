#pragma once

#include <QAccessibleWidget>

#include <map>
#include <utility>

namespace orb {

class CTreeListCtrl;
class CTreeListItem;
class TreeListCellAccessible;

// What a screen reader sees of a tree list: a tree whose children are the cells of the
// shown rows, row by row in the shown column order. It reads the control's own model and
// layout; the cells are made on demand and live until their item goes.
class TreeListAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit TreeListAccessible(CTreeListCtrl* tree);
    ~TreeListAccessible() override;

    // The interface of a control that already has one, without making it.
    static TreeListAccessible* Existing(const CTreeListCtrl* tree);

    CTreeListCtrl* Tree() const;
    // Null for a row or column that is not shown.
    TreeListCellAccessible* Cell(CTreeListItem* item, int column);
    TreeListCellAccessible* FocusedCell();
    void ForgetItem(CTreeListItem* item);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    // The cells are kept by item, so a changed model leaves nothing stale to drop.
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    std::map<std::pair<const CTreeListItem*, int>, QAccessible::Id> cells_;
};

// One cell: the column's text, and in the first shown column the row's check and
// expansion states.
class TreeListCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    TreeListCellAccessible(TreeListAccessible* table, CTreeListItem* item, int column);

    CTreeListItem* Item() const { return item_; }
    int Column() const { return column_; }

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return table_; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::TreeItem; }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    bool isSelected() const override;
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override;
    int rowIndex() const override;
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return table_; }

private:
    bool InFirstColumn() const;

    TreeListAccessible* table_;
    CTreeListItem* item_;
    int column_; // the model's column, not its shown place
};

// Makes the interfaces of the tree lists; installed once, by the first control made.
void InstallTreeListAccessibility();

// The control tells the accessible side what changed; each is cheap when nobody listens.
void AnnounceTreeListFocus(CTreeListCtrl* tree);
void AnnounceTreeListCheck(CTreeListCtrl* tree, CTreeListItem* item);
void AnnounceTreeListExpansion(CTreeListCtrl* tree, CTreeListItem* item);
void AnnounceTreeListRows(CTreeListCtrl* tree);
void ForgetTreeListAccessibleItem(const CTreeListCtrl* tree, CTreeListItem* item);

} // namespace orb
