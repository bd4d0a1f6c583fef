#include "dialogs/option_dlg.h"

#include <algorithm>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
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
