#include "dialogs/insert_cal_dlg.h"
#include "tests/support/qt_input.h"
#include "widgets/colour_button.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace orb {
namespace {

using Dlg = CInsertCalDlg;

class InsertCalDlgTest : public ::testing::Test
{
protected:
    InsertCalDlgTest()
    {
        dialog.calendar.summary = "Team";
        dialog.calendar.accessRole = "owner";
        dialog.calendar.description = "line one\nline two";
        dialog.calendar.colorId = "5";
        dialog.calendar.backgroundColor = "#16a765";
        dialog.calendar.foregroundColor = "#000000";
    }

    template <class T> T* Control(int id) const { return dialog.findChild<T*>(QString::number(id)); }

    QStringList VisibleTexts() const
    {
        QStringList texts;
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->isVisible())
                texts << label->text();
        }
        return texts;
    }

    bool PressUpdate()
    {
        Control<QPushButton>(Dlg::kUpdateId)->click();
        return dialog.result() == QDialog::Accepted;
    }

    Dlg dialog;
};

TEST_F(InsertCalDlgTest, EachColourButtonStandsOnTheRowNamedAfterTheColourItEditsAndWritesIt)
{
    dialog.show();
    for (const auto& [id, text] :
         {std::pair{Dlg::kForegroundId, "Foreground :"}, std::pair{Dlg::kBackgroundId, "Background :"}}) {
        const int buttonMiddle = Control<CColorButton>(id)->geometry().center().y();
        int rowsHit = 0;
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->geometry().top() <= buttonMiddle && buttonMiddle <= label->geometry().bottom()) {
                EXPECT_EQ(label->text(), text) << id;
                ++rowsHit;
            }
        }
        EXPECT_EQ(rowsHit, 1) << id;
    }

    // Open button 1040's pop-up and confirm its colour with Enter, as a user would.
    auto* foreground = Control<CColorButton>(Dlg::kForegroundId);
    foreground->click();
    ASSERT_NE(foreground->Popup(), nullptr);
    QTest::keyClick(foreground->Popup(), Qt::Key_Return);
    EXPECT_TRUE(dialog.foregroundChanged);
    EXPECT_FALSE(dialog.backgroundChanged);

    // Swatch 0 shows the background colour, repainted as one is confirmed.
    emit Control<CColorButton>(Dlg::kBackgroundId)->colourSelected(MakeColorRef(0x12, 0x34, 0x56), Dlg::kBackgroundId);
    EXPECT_EQ(dialog.calendar.backgroundColor, "#123456");
    EXPECT_TRUE(dialog.backgroundChanged);
    const PixelRect zero = dialog.Swatches().Rect(0);
    EXPECT_EQ(dialog.grab().toImage().pixelColor(zero.right - 2, zero.bottom - 2), QColor("#123456"));
}

TEST_F(InsertCalDlgTest, Swatch16SetsColourIdSixteenAndTheLinesComeBackWhole)
{
    dialog.show();
    EXPECT_EQ(Control<QPlainTextEdit>(Dlg::kDescriptionId)->blockCount(), 2);
    const PixelRect sixteen = dialog.Swatches().Rect(16);
    test::Click(&dialog, {(sixteen.left + sixteen.right) / 2, (sixteen.top + sixteen.bottom) / 2});
    ASSERT_TRUE(PressUpdate());
    EXPECT_EQ(dialog.calendar.colorId, "16");
    EXPECT_EQ(dialog.calendar.description, "line one\nline two");
    EXPECT_FALSE(dialog.foregroundChanged);
}

TEST_F(InsertCalDlgTest, ACalendarTheUserDoesNotOwnOffersOnlyItsColoursAndSaysWhy)
{
    dialog.calendar.accessRole = "freeBusyReader";
    dialog.show();
    auto* summary = Control<QLineEdit>(Dlg::kSummaryId);
    QTest::keyClicks(summary, "x");
    EXPECT_EQ(summary->text(), "Team");
    EXPECT_TRUE(Control<QPlainTextEdit>(Dlg::kDescriptionId)->isReadOnly());
    EXPECT_TRUE(VisibleTexts().contains("read-only calendar: only its colours can be changed"));
    const PixelRect three = dialog.Swatches().Rect(3);
    test::Click(&dialog, {three.left + 5, three.top + 5});
    ASSERT_TRUE(PressUpdate());
    EXPECT_EQ(dialog.calendar.colorId, "3");
    EXPECT_EQ(dialog.calendar.summary, "Team");

    // A writer may change the events but not the calendar's title: said differently.
    Dlg writers;
    writers.calendar.accessRole = "writer";
    writers.show();
    EXPECT_TRUE(writers.findChild<QLineEdit*>(QString::number(Dlg::kSummaryId))->isReadOnly());
    QStringList said;
    for (const QLabel* label : writers.findChildren<QLabel*>())
        said << label->text();
    EXPECT_TRUE(said.contains("only the calendar's owner can change its title and description"));
    EXPECT_FALSE(said.contains("read-only calendar: only its colours can be changed"));
}

} // namespace
} // namespace orb
