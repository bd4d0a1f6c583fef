#include "dialogs/insert_event_dlg.h"
#include "tests/support/core_doubles.h"
#include "tests/support/qt_input.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace orb {
namespace {

using Dlg = CInsertEventDlg;
const QColor kCalendarBlue(0x33, 0x66, 0xCC);

class InsertEventDlgTest : public ::testing::Test
{
protected:
    InsertEventDlgTest() { Reset(); }

    void Reset()
    {
        dialog = std::make_unique<Dlg>(prompter, clock);
        dialog->calendarNames = {"Seoul", "New York"};
        dialog->calendarColours = {MakeColorRef(0x33, 0x66, 0xCC), MakeColorRef(0, 128, 0)};
        dialog->startTimeZones = dialog->endTimeZones = {"Asia/Seoul", "America/New_York"};
    }

    template <class T> T* Control(int id) const { return dialog->findChild<T*>(QString::number(id)); }

    void EditExisting(const char* start, const char* end, const char* colorId = "")
    {
        dialog->event.id = "evt";
        dialog->event.start.dateTime = start;
        dialog->event.end.dateTime = end;
        dialog->event.colorId = colorId;
        dialog->updateMode = true;
        dialog->calendarIndex = 0;
        dialog->calendarColour = MakeColorRef(0x33, 0x66, 0xCC);
    }

    bool Press(int id)
    {
        Control<QPushButton>(id)->click();
        return dialog->result() == QDialog::Accepted;
    }

    test::ScriptedPrompter prompter;
    test::FixedClock clock{{2026, 12, 8, 9, 30, 0}};
    std::unique_ptr<Dlg> dialog;
};

TEST_F(InsertEventDlgTest, ClickingASwatchChecksItAndChoosesTheColourIdThatIsSaved)
{
    for (const auto& [swatch, colorId, colour] :
         {std::tuple{0, "", kCalendarBlue}, std::tuple{7, "7", QColor("#46D6DB")}}) {
        Reset();
        EditExisting("2026-12-10T09:00:00+09:00", "2026-12-10T10:00:00+09:00", "3");
        dialog->show();
        const SwatchStrip& swatches = dialog->Swatches();
        const PixelRect square = swatches.Rect(swatch);
        test::Click(dialog.get(), {square.left + 7, square.top + 7});
        const QImage image = dialog->grab().toImage();
        // The lower right corner of a square is clear of the check mark.
        EXPECT_EQ(image.pixelColor(square.right - 2, square.bottom - 2), colour);
        const PixelPoint mark = swatches.CheckMark(swatch)[1];
        const PixelPoint unchecked = swatches.CheckMark(3)[1];
        EXPECT_EQ(image.pixelColor(mark.x, mark.y), QColor(Qt::white));
        EXPECT_EQ(image.pixelColor(unchecked.x, unchecked.y), QColor("#DBADFF"));
        EXPECT_EQ(image.pixelColor(swatches.SeparatorX(), square.top + 5), QColor(Qt::black));
        ASSERT_TRUE(Press(Dlg::kInsertId));
        EXPECT_EQ(dialog->event.colorId, colorId);
    }
}

TEST_F(InsertEventDlgTest, EnterNeverClosesTheDialogAndBreaksLinesInTheDescription)
{
    dialog->show();
    QTest::keyClick(Control<QLineEdit>(Dlg::kSummaryId), Qt::Key_Return);
    QTest::keyClick(Control<QPushButton>(Dlg::kInsertId), Qt::Key_Return);
    QTest::keyClick(Control<QPushButton>(Dlg::kCancelId), Qt::Key_Enter);
    EXPECT_TRUE(dialog->isVisible());

    auto* description = Control<QPlainTextEdit>(Dlg::kDescriptionId);
    QTest::keyClicks(description, "one");
    QTest::keyClick(description, Qt::Key_Return);
    EXPECT_EQ(description->toPlainText(), "one\n");

    QTest::keyClick(Control<QLineEdit>(Dlg::kSummaryId), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(InsertEventDlgTest, AnExistingEventKeepsItsCalendarAndSavesUnchangedAsStored)
{
    EditExisting("2026-12-10T09:15:30-05:00", "2026-12-10T10:00:00-05:00");
    dialog->event.description = "first line\nsecond line";
    dialog->calendarIndex = 1;
    dialog->show();
    auto* calendars = Control<QComboBox>(Dlg::kCalendarId);
    EXPECT_FALSE(calendars->isEnabled());
    EXPECT_EQ(calendars->currentIndex(), 1);
    EXPECT_EQ(Control<QPushButton>(Dlg::kInsertId)->text(), "Update");
    EXPECT_EQ(Control<QTimeEdit>(Dlg::kStartTimeId)->time(), QTime(9, 15, 30));
    EXPECT_EQ(Control<QPlainTextEdit>(Dlg::kDescriptionId)->blockCount(), 2);

    ASSERT_TRUE(Press(Dlg::kInsertId));
    EXPECT_EQ(dialog->calendarIndex, 1);
    EXPECT_EQ(dialog->event.start.dateTime, "2026-12-10T09:15:30-05:00");
    EXPECT_EQ(dialog->event.description, "first line\nsecond line");
}

TEST_F(InsertEventDlgTest, AnEventMovedAcrossADaylightSavingChangeKeepsItsClockTimeByTheSystemsZoneData)
{
    struct Case
    {
        const char* zone;
        const char* start;
        const char* end;
        QDate movedTo;
        const char* sentStart;
        const char* sentEnd;
    };
    for (const Case& c : {Case{"America/New_York",
                               "2026-12-10T13:00:00-05:00",
                               "2026-12-10T14:00:00-05:00",
                               {2026, 7, 10},
                               "2026-07-10T13:00:00-04:00",
                               "2026-07-10T14:00:00-04:00"},
                          Case{"America/New_York",
                               "2026-07-10T13:00:00-04:00",
                               "2026-07-10T14:00:00-04:00",
                               {2026, 12, 10},
                               "2026-12-10T13:00:00-05:00",
                               "2026-12-10T14:00:00-05:00"},
                          Case{"Australia/Lord_Howe",
                               "2026-01-15T09:00:00+11:00",
                               "2026-01-15T09:30:00+11:00",
                               {2026, 7, 15},
                               "2026-07-15T09:00:00+10:30",
                               "2026-07-15T09:30:00+10:30"},
                          Case{"Australia/Lord_Howe",
                               "2026-07-15T09:00:00+10:30",
                               "2026-07-15T09:30:00+10:30",
                               {2026, 1, 15},
                               "2026-01-15T09:00:00+11:00",
                               "2026-01-15T09:30:00+11:00"}}) {
        Reset();
        dialog->calendarNames = {"Home"};
        dialog->startTimeZones = dialog->endTimeZones = {c.zone};
        EditExisting(c.start, c.end);
        dialog->show();
        Control<QDateEdit>(Dlg::kStartDateId)->setDate(c.movedTo); // the end date follows
        ASSERT_TRUE(Press(Dlg::kInsertId)) << c.start;
        EXPECT_EQ(dialog->event.start.dateTime, c.sentStart);
        EXPECT_EQ(dialog->event.end.dateTime, c.sentEnd);
    }
}

// The darkest grey in a rendered control: its text, when it has any.
int DarkestGrey(QWidget* control)
{
    const QImage image = control->grab().toImage();
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            darkest = std::min(darkest, qGray(image.pixel(x, y)));
    }
    return darkest;
}

// A reader's event: every field shows its value and takes no change, the dialog says why,
// and Update looks as disabled as it is.
TEST_F(InsertEventDlgTest, AReadOnlyEventCanBeBrowsedButNotChangedAndSaysSo)
{
    EditExisting("2026-12-10T09:00:00+09:00", "2026-12-10T10:00:00+09:00", "3");
    dialog->event.summary = "Holiday";
    dialog->readOnly = true;
    dialog->show();

    auto* summary = Control<QLineEdit>(Dlg::kSummaryId);
    EXPECT_TRUE(summary->isEnabled()) << "its text can still be selected";
    QTest::keyClicks(summary, "x");
    EXPECT_EQ(summary->text(), "Holiday");
    EXPECT_TRUE(Control<QLineEdit>(Dlg::kLocationId)->isReadOnly());
    EXPECT_TRUE(Control<QPlainTextEdit>(Dlg::kDescriptionId)->isReadOnly());
    auto* startDate = Control<QDateEdit>(Dlg::kStartDateId);
    QTest::keyClick(startDate, Qt::Key_Up);
    EXPECT_EQ(startDate->date(), QDate(2026, 12, 10));
    EXPECT_FALSE(startDate->calendarPopup());
    EXPECT_TRUE(Control<QTimeEdit>(Dlg::kEndTimeId)->isReadOnly());
    EXPECT_FALSE(Control<QCheckBox>(Dlg::kAllDayId)->isEnabled());
    EXPECT_FALSE(Control<QComboBox>(Dlg::kCalendarId)->isEnabled());
    // Fields on a light grey ground, not the white of ones that can change.
    const QImage field = summary->grab().toImage();
    EXPECT_EQ(field.pixelColor(field.width() - 4, field.height() / 2), QColor(240, 240, 240));

    const PixelRect seven = dialog->Swatches().Rect(7);
    test::Click(dialog.get(), {seven.left + 7, seven.top + 7});
    EXPECT_EQ(dialog->ColourIndex(), 3);

    bool told = false;
    for (const QLabel* label : dialog->findChildren<QLabel*>())
        told = told || (label->isVisible() && label->text() == "read-only calendar");
    EXPECT_TRUE(told) << "nothing says the calendar is read-only";

    auto* update = Control<QPushButton>(Dlg::kInsertId);
    EXPECT_FALSE(update->isEnabled());
    EXPECT_NE(update->palette().color(QPalette::Disabled, QPalette::ButtonText),
              update->palette().color(QPalette::Active, QPalette::ButtonText));
    // Drawn greyed: its label is far lighter than Cancel's.
    EXPECT_GT(DarkestGrey(update), DarkestGrey(Control<QPushButton>(Dlg::kCancelId)) + 60);
    EXPECT_FALSE(Press(Dlg::kInsertId));
    EXPECT_TRUE(dialog->isVisible());

    // The same event in a calendar the user may write: nothing read-only, nothing said.
    Reset();
    EditExisting("2026-12-10T09:00:00+09:00", "2026-12-10T10:00:00+09:00");
    dialog->show();
    EXPECT_FALSE(Control<QLineEdit>(Dlg::kSummaryId)->isReadOnly());
    for (const QLabel* label : dialog->findChildren<QLabel*>())
        EXPECT_FALSE(label->isVisible() && label->text() == "read-only calendar");
}

// The calendar list drops below its box, where the date pickers' calendars open too, rather
// than over the box.
TEST_F(InsertEventDlgTest, TheCalendarListOpensBelowItsBox)
{
    dialog->move(300, 200);
    dialog->show();
    auto* calendars = Control<QComboBox>(Dlg::kCalendarId);
    calendars->showPopup();
    const QWidget* list = calendars->view()->window();
    ASSERT_TRUE(list->isVisible());
    const QPoint underBox = calendars->mapToGlobal(QPoint(0, calendars->height()));
    EXPECT_EQ(list->geometry().left(), underBox.x());
    EXPECT_GE(list->geometry().top(), underBox.y() - 2) << "the list covers its box";
    EXPECT_LE(list->geometry().top(), underBox.y() + 2);
    calendars->hidePopup();
}

TEST_F(InsertEventDlgTest, ANewEventMustEndAfterItStartsAndTakesItsCalendarsOffset)
{
    dialog->allDayDefault = false;
    dialog->defaultStart = dialog->defaultEnd = {2026, 12, 1};
    dialog->show();
    EXPECT_FALSE(Control<QCheckBox>(Dlg::kAllDayId)->isChecked());
    EXPECT_TRUE(Control<QTimeEdit>(Dlg::kEndTimeId)->isVisible());
    auto* calendars = Control<QComboBox>(Dlg::kCalendarId);
    QTest::keyClick(calendars, Qt::Key_Down);
    ASSERT_EQ(calendars->currentIndex(), 1);

    Control<QDateEdit>(Dlg::kStartDateId)->setDate({2026, 12, 10});
    EXPECT_EQ(Control<QDateEdit>(Dlg::kEndDateId)->date(), QDate(2026, 12, 10)) << "the end day follows";
    Control<QTimeEdit>(Dlg::kStartTimeId)->setTime({11, 0});
    Control<QTimeEdit>(Dlg::kEndTimeId)->setTime({10, 0});
    EXPECT_FALSE(Press(Dlg::kInsertId));
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"Invalid Time & Date!!"});
    EXPECT_TRUE(dialog->isVisible());

    Control<QTimeEdit>(Dlg::kStartTimeId)->setTime({9, 0});
    Control<QTimeEdit>(Dlg::kEndTimeId)->setTime({10, 0});
    ASSERT_TRUE(Press(Dlg::kInsertId));
    EXPECT_EQ(dialog->calendarIndex, 1);
    EXPECT_EQ(dialog->event.start.dateTime, "2026-12-10T09:00:00-05:00");
    EXPECT_EQ(dialog->event.start.timeZone, "America/New_York");

    EXPECT_EQ(QtUtcOffset("America/New_York", {2026, 7, 10, 9, 0, 0}), -4 * 3600);
    EXPECT_EQ(QtUtcOffset("", {2026, 7, 10, 9, 0, 0}), std::nullopt) << "not the machine's own zone";
}

} // namespace
} // namespace orb
