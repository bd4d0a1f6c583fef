#pragma once

#include <QAccessibleWidget>

#include <map>

namespace orb {

class COrbCalendarCtrl;

// What a screen reader sees of the month view: a table of the shown days, a week a row.
// The cells read the view's own layout, so a day's name follows the month shown.
class MonthViewAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit MonthViewAccessible(COrbCalendarCtrl* view);
    ~MonthViewAccessible() override;

    COrbCalendarCtrl* View() const;
    // Null outside the shown days.
    QAccessibleInterface* Day(int cellIndex) const;
    // The selected day's cell, or null.
    QAccessibleInterface* SelectedDay() const;

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessibleInterface* child(int index) const override { return Day(index); }
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
    int selectedRowCount() const override { return 0; }
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    // A day cell is its index; its texts are read anew every time.
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    mutable std::map<int, QAccessible::Id> days_;
};

// Makes the month view's interface; installed once, by the first view made.
void InstallMonthViewAccessibility();

// The selected day moved (focus and selection), or the days shown changed.
void AnnounceSelectedDay(COrbCalendarCtrl* view);
void AnnounceShownDays(COrbCalendarCtrl* view);

} // namespace orb
