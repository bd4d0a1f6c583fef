#include "dialogs/option_dlg.h"

#include <algorithm>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimeEdit>
#include <gtest/gtest.h>

namespace orb {
namespace {

using Dlg = COptionDlg;

class OptionDlgTest : public ::testing::Test
{
protected:
    OptionDlgTest() { dialog.values = stored; }

    template <class T> T* Control(const QString& name) const { return dialog.findChild<T*>(name); }
    template <class T> T* Control(int id) const { return Control<T>(QString::number(id)); }
    QCheckBox* ShowToggle(int id) const { return Control<QCheckBox>(QString::number(id) + Dlg::kShowSuffix); }

    const OptionValues stored{"me@example.com", "pa ss", "refresh-token", 7, 31, 2, 1, 0};
    Dlg dialog;
};

TEST_F(OptionDlgTest, OpeningShowsEveryValueAndSavingUnchangedKeepsThem)
{
    dialog.show();
    EXPECT_TRUE(Control<QRadioButton>(Dlg::kNeedsActionId)->isChecked());
    EXPECT_EQ(Control<QLineEdit>(Dlg::kFromId)->text(), "7");
    EXPECT_EQ(Control<QLineEdit>(Dlg::kToId)->text(), "31");

    Control<QPushButton>(Dlg::kSaveId)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.values, stored);
}

TEST_F(OptionDlgTest, RemindersAndTheTaskTimeShowWhatIsStoredAndSaveWhatIsChosen)
{
    dialog.values.reminders = false;
    dialog.values.taskReminderTime = 14 * 60 + 30;
    dialog.show();
    auto* reminders = Control<QCheckBox>(Dlg::kRemindersId);
    auto* time = Control<QTimeEdit>(Dlg::kTaskReminderTimeId);
    EXPECT_EQ(reminders->text(), "Reminders");
    EXPECT_FALSE(reminders->isChecked());
    EXPECT_EQ(time->text(), "14:30");
    // The new row sits inside the window, under the rows that were there.
    EXPECT_GT(reminders->y(), Control<QCheckBox>(Dlg::kStartWithDesktopId)->geometry().bottom());
    EXPECT_LE(Control<QPushButton>(Dlg::kSaveId)->geometry().bottom(), dialog.height());

    reminders->setChecked(true);
    time->setTime(QTime(7, 5));
    Control<QPushButton>(Dlg::kSaveId)->click();
    EXPECT_TRUE(dialog.values.reminders);
    EXPECT_EQ(dialog.values.taskReminderTime, 7 * 60 + 5);
}

TEST_F(OptionDlgTest, EscAndEnterNeverCloseItAndCancelLeavesTheValuesAlone)
{
    dialog.show();
    // Keys go to the focus widget only in the active window.
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    Control<QLineEdit>(Dlg::kFromId)->setText("100");
    Control<QRadioButton>(Dlg::kAllId)->click();
    for (int id : {Dlg::kUserId, Dlg::kPassId, Dlg::kFromId, Dlg::kAllExpendId, Dlg::kSyncMinutesId, Dlg::kSaveId}) {
        auto* control = Control<QWidget>(id);
        control->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), control) << id;
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(control, key);
        EXPECT_TRUE(dialog.isVisible()) << id;
    }

    Control<QPushButton>(Dlg::kCancelId)->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.values, stored);
}

TEST_F(OptionDlgTest, MaskedBoxesHoldTheRealTextAndShowItInClearOnlyWhileToggled)
{
    dialog.show();
    auto* pass = Control<QLineEdit>(Dlg::kPassId);
    auto* key = Control<QLineEdit>(Dlg::kKeyId);
    EXPECT_EQ(pass->text(), "pa ss");
    for (QLineEdit* box : {pass, key})
        EXPECT_EQ(box->echoMode(), QLineEdit::Password);

    ShowToggle(Dlg::kPassId)->click();
    EXPECT_EQ(pass->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(key->echoMode(), QLineEdit::Password) << "each toggle unmasks its own box";
    ShowToggle(Dlg::kKeyId)->click();
    EXPECT_EQ(key->echoMode(), QLineEdit::Normal);
    ShowToggle(Dlg::kPassId)->click();
    EXPECT_EQ(pass->echoMode(), QLineEdit::Password);

    QTest::keyClicks(pass, "!");
    key->clear();
    Control<QLineEdit>(Dlg::kToId)->setText("10 days");
    Control<QRadioButton>(Dlg::kCompletedId)->click();
    Control<QPushButton>(Dlg::kSaveId)->click();
    EXPECT_EQ(dialog.values.P, "pa ss!");
    EXPECT_EQ(dialog.values.KEY, "") << "an empty key is stored as the signed-out state";
    EXPECT_EQ(dialog.values.nCal_to, 10);
    EXPECT_EQ(dialog.values.nTaskViewMode, 1);
}

TEST_F(OptionDlgTest, TheSyncBoxIsLabelledShowsNeverAtZeroAndGoesUpToADay)
{
    dialog.show();
    auto* box = Control<QSpinBox>(Dlg::kSyncMinutesId);
    EXPECT_EQ(box->text(), "Never");
    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [box](const QLabel* label) {
        return label->buddy() == box && label->text() == "Synchronize every N minutes";
    }));
    box->setValue(5000);
    Control<QPushButton>(Dlg::kSaveId)->click();
    EXPECT_EQ(dialog.values.nSyncMinutes, 1440);
}

} // namespace
} // namespace orb
