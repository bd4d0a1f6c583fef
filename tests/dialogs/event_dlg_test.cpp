#include "calendarview/orb_calendar_ctrl.h"
#include "dialogs/event_dlg.h"
#include "tests/calendarview/calendar_builders.h"
#include "tests/support/core_doubles.h"
#include "tests/support/qt_input.h"
#include "treelist/tree_list_tip_ctrl.h"

#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace orb {
namespace {

using test::AllDayEvent;
using test::SelectedCalendar;

class VectorSource : public CalendarSource
{
public:
    void ReadCalendars(const std::function<void(const std::vector<CalendarRecord>&)>& reader) const override
    {
        reader(calendars);
    }
    std::vector<CalendarRecord> calendars;
};

// The view shows December 2026, which begins on a Tuesday: cell 9 is Tuesday 8 December,
// "today" on the test clock.
constexpr int kDecember8 = 9;
const QColor kLime(171, 255, 0);

// Seven events that day: a two-day one first (it is longer), five one-day events of the
// user's, then one of a calendar the user may only read.
class EventDlgTest : public ::testing::Test
{
protected:
    EventDlgTest() : view(settings, clock)
    {
        std::vector<EventRecord> own{AllDayEvent("two days", "2026-12-08", "2026-12-10")};
        for (int i = 1; i <= 5; ++i) {
            own.push_back(AllDayEvent("own " + std::to_string(i), "2026-12-08", "2026-12-09"));
            own.back().description = "notes " + std::to_string(i);
        }
        CalendarRecord shared = SelectedCalendar({AllDayEvent("shared", "2026-12-08", "2026-12-09")}, "#FF0000", "s@x");
        shared.accessRole = "reader";
        source.calendars = {SelectedCalendar(std::move(own), "#FF0000"), shared};
        view.SetCalendarSource(&source);
        view.resize(700, 700);
        dialog = std::make_unique<CEventDlg>(view, kDecember8, clock);
        QObject::connect(dialog.get(), &CEventDlg::deleteRequested,
                         [this](const EventEntry& e) { deleted.push_back(e); });
        QObject::connect(dialog.get(), &CEventDlg::editRequested, [this](const EventEntry& e) { edited.push_back(e); });
    }

    void ClickRow(int row) { test::Click(dialog.get(), RowCentre(row)); }
    static QPoint RowCentre(int row) { return {150, 10 + row * 25 + 12}; }

    MonthViewSettings settings;
    test::FixedClock clock{{2026, 12, 8, 9, 30, 0}};
    VectorSource source;
    COrbCalendarCtrl view;
    std::unique_ptr<CEventDlg> dialog;
    std::vector<EventEntry> deleted;
    std::vector<EventEntry> edited;
};

TEST_F(EventDlgTest, SevenEventsAtLineHeight25OpenA300By225WindowOfColouredBars)
{
    ASSERT_EQ(view.lineHeight(), 25);
    EXPECT_EQ(dialog->Rows().Count(), 7);
    EXPECT_EQ(dialog->size(), QSize(300, 225));
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("12월 08일(Tuesday)"));

    ClickRow(2);
    const QImage image = dialog->RenderImage();
    // Row 0 goes on tomorrow: full red, and its top right corner is cut by the arrow point.
    EXPECT_EQ(image.pixelColor(150, 22), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(288, 13), QColor(Qt::white));
    // Row 1 ends today, so it is past: pale, and square at the right.
    EXPECT_EQ(image.pixelColor(287, 38), QColor(240, 207, 207));
    EXPECT_EQ(image.pixelColor(150, 72), kLime);
}

TEST_F(EventDlgTest, DeleteAsksOnlyForASelectedEventOfAWritableCalendar)
{
    dialog->show();
    QTest::keyClick(dialog.get(), Qt::Key_Delete);
    EXPECT_TRUE(deleted.empty()) << "nothing selected";
    ClickRow(6);
    ASSERT_EQ(dialog->Rows().Entry(6)->accessRole, "reader");
    QTest::keyClick(dialog.get(), Qt::Key_Delete);
    EXPECT_TRUE(deleted.empty());

    ClickRow(3);
    QTest::keyClick(dialog.get(), Qt::Key_Delete);
    ASSERT_EQ(deleted.size(), 1u);
    EXPECT_EQ(deleted[0].event.summary, "own 3");
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible()) << "Enter does not close the window";
}

TEST_F(EventDlgTest, EventsChangedReadsTheRowsAgainWithNothingSelected)
{
    ClickRow(5);
    ASSERT_EQ(dialog->SelectedRow(), 5);
    source.calendars[0].events.pop_back(); // the opener deleted "own 5"
    dialog->EventsChanged();
    EXPECT_EQ(dialog->SelectedRow(), -1);
    ASSERT_EQ(dialog->Rows().Count(), 6);
    EXPECT_EQ(dialog->Rows().Entry(5)->event.summary, "shared");
    QTest::keyClick(dialog.get(), Qt::Key_Delete);
    EXPECT_TRUE(deleted.empty());
    EXPECT_NE(dialog->RenderImage().pixelColor(150, RowCentre(5).y()), kLime);
}

TEST_F(EventDlgTest, HoverShowsTheDescriptionAndDoubleClickAsksToEditTheRow)
{
    dialog->show();
    test::SendMouse(dialog.get(), QEvent::MouseMove, RowCentre(4), Qt::NoButton);
    EXPECT_TRUE(dialog->tip()->isVisible());
    EXPECT_EQ(dialog->tip()->Text(), "notes 4");

    test::SendMouse(dialog.get(), QEvent::MouseButtonDblClick, RowCentre(4));
    EXPECT_FALSE(dialog->tip()->isVisible());
    ASSERT_EQ(edited.size(), 1u);
    EXPECT_EQ(edited[0].event.summary, "own 4");
    EXPECT_EQ(edited[0].indexInCalendar, 4);
    test::SendMouse(dialog.get(), QEvent::MouseButtonDblClick, {150, 200});
    EXPECT_EQ(edited.size(), 1u) << "below the rows";
}

} // namespace
} // namespace orb
