#include "dialogs/insert_task_dlg.h"
#include "tests/support/core_doubles.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace orb {
namespace {

using Dlg = CInsertTaskDlg;

class InsertTaskDlgTest : public ::testing::Test
{
protected:
    InsertTaskDlgTest() { dialog.SetClock(clock); }

    template <class T> T* Control(int id) const { return dialog.findChild<T*>(QString::number(id)); }

    test::FixedClock clock{{2026, 12, 8, 9, 30, 0}};
    Dlg dialog;
};

TEST_F(InsertTaskDlgTest, AListShowsOnlyItsTitleOn130PixelsLessAndEnterThereSaves)
{
    const QSize full = dialog.size();
    const int buttonTop = Control<QPushButton>(Dlg::kInsertId)->y();
    dialog.listMode = dialog.updateMode = true;
    dialog.task.title = "Home";
    dialog.show();

    EXPECT_EQ(dialog.size(), QSize(full.width(), full.height() - Dlg::kListModeShrink));
    for (int id : {Dlg::kNoteLabelId, Dlg::kNoteId, Dlg::kNeedsActionId, Dlg::kCompleteId, Dlg::kDueLabelId,
                   Dlg::kDueCheckId, Dlg::kDueDateId})
        EXPECT_TRUE(Control<QWidget>(id)->isHidden()) << id;
    for (int id : {Dlg::kInsertId, Dlg::kCancelId})
        EXPECT_EQ(Control<QPushButton>(id)->y(), buttonTop - Dlg::kListModeShrink) << id;
    EXPECT_EQ(Control<QPushButton>(Dlg::kInsertId)->text(), Dlg::kUpdateText);

    auto* title = Control<QLineEdit>(Dlg::kTitleId);
    EXPECT_EQ(title->text(), "Home");
    title->setText("Work");
    QTest::keyClick(title, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.task.title, "Work");
}

TEST_F(InsertTaskDlgTest, AnExistingTaskShowsItsFieldsAndSavesTheEditsBack)
{
    dialog.updateMode = true;
    dialog.task.title = "Pay";
    dialog.task.notes = "one\ntwo";
    dialog.task.due = "2012-05-20T00:00:00.000Z";
    dialog.task.status = "completed";
    dialog.show();

    auto* due = Control<QDateEdit>(Dlg::kDueDateId);
    auto* dueCheck = Control<QCheckBox>(Dlg::kDueCheckId);
    EXPECT_EQ(due->date(), QDate(2012, 5, 20));
    EXPECT_TRUE(due->isEnabled());
    EXPECT_TRUE(dueCheck->isChecked());
    EXPECT_EQ(Control<QPlainTextEdit>(Dlg::kNoteId)->toPlainText(), "one\ntwo");
    EXPECT_TRUE(Control<QRadioButton>(Dlg::kCompleteId)->isChecked());

    // Enter in the title of a task is swallowed.
    QTest::keyClick(Control<QLineEdit>(Dlg::kTitleId), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());

    dueCheck->click();
    EXPECT_FALSE(due->isEnabled());
    dueCheck->click();
    due->setDate(QDate(2012, 5, 21));
    Control<QPushButton>(Dlg::kInsertId)->click();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.task.due, "2012-05-21T00:00:00.000Z");
    EXPECT_EQ(dialog.task.notes, "one\ntwo");
    EXPECT_EQ(dialog.task.status, "completed");
}

} // namespace
} // namespace orb
