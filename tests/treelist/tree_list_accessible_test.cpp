#include "tests/support/accessible_events.h"
#include "tests/support/qt_input.h"
#include "tests/treelist/recording_handler.h"
#include "treelist/tree_list_ctrl.h"
#include "treelist/tree_list_style.h"

#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

namespace orb {
namespace {

using test::AccessibleEvents;

constexpr int kRow = 20;
constexpr int kHeader = 20;

// The main window's style and columns; every row but the first has a check box. Rows: 0 "Task's", 1 "Home" (a list,
// collapsed over two tasks, one done), 2 "Work".
class TreeListAccessibleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        host.resize(420, 320);
        tree = new CTreeListCtrl(1002, &host);
        tree->setGeometry(0, 0, 300, 200);
        tree->SetNotifyHandler(&handler);
        tree->SetStyle(tls::kApplicationStyle);
        tree->InsertColumn("Name", 0x504144);
        tree->InsertColumn("Due", 0x104444);
        tree->SetColumnWidth(0, 200);
        tree->SetColumnWidth(1, 90);
        tasks = tree->InsertItem("Task's");
        home = tree->InsertItem("0xEF0000Home", tasks);
        buy = tree->InsertItem("0xEF0000Buy bread", home);
        tree->SetItemText(1, buy, "2026-12-09");
        call = tree->InsertItem("0xEF0000Call Ann", home);
        work = tree->InsertItem("0x00FF00Work", tasks);
        tasks->state &= ~tli::kShowCheckBox;
        tree->SetItemCheck(call, true);
        tree->Expand(TreeListExpand::Expand, tasks);
        host.show();
        iface = QAccessible::queryAccessibleInterface(tree);
        ASSERT_NE(iface, nullptr);
        table = iface->tableInterface();
        ASSERT_NE(table, nullptr);
    }

    QString Name(int row, int column) const
    {
        QAccessibleInterface* cell = table->cellAt(row, column);
        return cell ? cell->text(QAccessible::Name) : QStringLiteral("<none>");
    }
    QAccessible::State State(int row) const { return table->cellAt(row, 0)->state(); }

    test::RecordingHandler handler;
    QWidget host;
    CTreeListCtrl* tree = nullptr;
    CTreeListItem* tasks = nullptr;
    CTreeListItem* home = nullptr;
    CTreeListItem* buy = nullptr;
    CTreeListItem* call = nullptr;
    CTreeListItem* work = nullptr;
    QAccessibleInterface* iface = nullptr;
    QAccessibleTableInterface* table = nullptr;
};

TEST_F(TreeListAccessibleTest, RowsColumnsAndBoxesReadAsTheTreeShowsThem)
{
    EXPECT_EQ(iface->role(), QAccessible::Tree);
    EXPECT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->columnCount(), 2);
    EXPECT_EQ(iface->childCount(), 6);
    EXPECT_EQ(table->columnDescription(1), "Due");
    // The colour prefix is drawn as a bar, not read out.
    EXPECT_EQ(Name(0, 0), "Task's");
    EXPECT_EQ(Name(1, 0), "Home");
    EXPECT_EQ(Name(2, 0), "Work");
    EXPECT_EQ(table->cellAt(3, 0), nullptr);
    EXPECT_EQ(iface->child(3)->text(QAccessible::Name), Name(1, 1));
    EXPECT_EQ(iface->indexOfChild(table->cellAt(2, 1)), 5);

    // One of two children done: the list is partly checked, and collapsed over them.
    EXPECT_TRUE(State(1).checkable);
    EXPECT_TRUE(State(1).checkStateMixed);
    EXPECT_FALSE(State(1).checked);
    EXPECT_TRUE(State(1).expandable);
    EXPECT_TRUE(State(1).collapsed);
    EXPECT_FALSE(State(2).expandable);
    EXPECT_FALSE(State(0).checkable);
    EXPECT_FALSE(table->cellAt(1, 1)->state().checkable); // only the first column has the box

    tree->Expand(TreeListExpand::Expand, home);
    EXPECT_EQ(table->rowCount(), 5);
    EXPECT_TRUE(State(1).expanded);
    EXPECT_EQ(Name(2, 0), "Buy bread");
    EXPECT_EQ(Name(2, 1), "2026-12-09");
    EXPECT_TRUE(State(3).checked);
    EXPECT_EQ(table->cellAt(4, 0)->tableCellInterface()->rowIndex(), 4);

    // A moved column moves its cells.
    tree->MoveShownColumn(1, 0);
    EXPECT_EQ(table->columnDescription(0), "Due");
    EXPECT_EQ(Name(2, 0), "2026-12-09");
    EXPECT_EQ(table->cellAt(2, 1)->tableCellInterface()->columnIndex(), 1);
    // The box is drawn in whichever column is shown first, and read there.
    EXPECT_TRUE(table->cellAt(1, 0)->state().checkStateMixed);
    EXPECT_FALSE(table->cellAt(1, 1)->state().checkable);
}

TEST_F(TreeListAccessibleTest, ArrowKeysMoveFocusAndAnnounceTheRow)
{
    tree->setFocus();
    tree->activateWindow();
    QApplication::setActiveWindow(&host);
    tree->SelectItem(tasks);
    AccessibleEvents events;

    QTest::keyClick(tree, Qt::Key_Down);
    QTest::keyClick(tree, Qt::Key_Down);
    ASSERT_TRUE(tree->hasFocus());
    EXPECT_EQ(events.NamesOf(QAccessible::Focus), (QStringList{"Home", "Work"}));
    EXPECT_EQ(events.NamesOf(QAccessible::Selection), (QStringList{"Home", "Work"}));
    EXPECT_TRUE(State(2).focused);
    EXPECT_TRUE(State(2).selected);
    EXPECT_FALSE(State(1).selected);
    EXPECT_EQ(table->selectedRows(), QList<int>{2});
    EXPECT_EQ(iface->focusChild(), table->cellAt(2, 0));

    // Space expands the focused row; the expansion is announced on its first cell.
    QTest::keyClick(tree, Qt::Key_Up);
    AccessibleEvents expansion;
    QTest::keyClick(tree, Qt::Key_Space);
    ASSERT_FALSE(expansion.All().empty());
    bool heard = false;
    for (const AccessibleEvents::Heard& event : expansion.All())
        heard |= event.type == QAccessible::StateChanged && event.name == "Home" && event.changed.expanded;
    EXPECT_TRUE(heard);
    EXPECT_EQ(table->rowCount(), 5);

    // A click on a check box announces the new state, and the parent follows.
    AccessibleEvents check;
    test::Click(tree, {3 * 16 + 2 + 8, kHeader + 2 * kRow + kRow / 2}); // "Buy bread"'s box, level 3
    EXPECT_TRUE(buy->HasState(tli::kChecked));
    EXPECT_EQ(check.NamesOf(QAccessible::StateChanged), QStringList{"Buy bread"});
    EXPECT_TRUE(State(1).checked);
    EXPECT_FALSE(State(1).checkStateMixed);

    // An assistive tool selects a row the way a click would, through the parent.
    handler.notes.clear();
    EXPECT_TRUE(table->selectRow(4));
    EXPECT_EQ(handler.Codes(), (std::vector<TreeListCode>{TreeListCode::SelectChanging, TreeListCode::SelectChanged}));
    EXPECT_EQ(tree->GetFirstSelectedItem(), work);
}

TEST_F(TreeListAccessibleTest, ACellGoesWithItsItem)
{
    tree->Expand(TreeListExpand::Expand, home);
    QAccessibleInterface* cell = table->cellAt(2, 0);
    const QAccessible::Id id = QAccessible::uniqueId(cell);
    ASSERT_EQ(QAccessible::accessibleInterface(id), cell);
    EXPECT_EQ(table->cellAt(2, 0), cell); // kept, not made again

    tree->DeleteItem(buy);
    EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr);
    EXPECT_EQ(Name(2, 0), "Call Ann");

    // A collapsed row has no cell: its old one stays, but reads as gone.
    QAccessibleInterface* hidden = table->cellAt(2, 0);
    tree->Expand(TreeListExpand::Collapse, home);
    EXPECT_FALSE(hidden->isValid());
    EXPECT_TRUE(hidden->state().invalid);

    const QAccessible::Id rowCell = QAccessible::uniqueId(table->cellAt(1, 1));
    tree->DeleteAllItems();
    EXPECT_EQ(QAccessible::accessibleInterface(rowCell), nullptr);
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_EQ(iface->child(0), nullptr);
}

} // namespace
} // namespace orb
