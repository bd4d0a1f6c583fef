#include "calendarview/calendar_source.h"
#include "calendarview/orb_calendar_ctrl.h"
#include "tests/calendarview/calendar_builders.h"
#include "tests/support/accessible_events.h"
#include "tests/support/core_doubles.h"

#include <QAccessible>
#include <QApplication>
#include <QLocale>
#include <QMouseEvent>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace orb {
namespace {

using test::AccessibleEvents;
using test::AllDayEvent;
using test::SelectedCalendar;

class FixedSource : public CalendarSource
{
public:
    void ReadCalendars(const std::function<void(const std::vector<CalendarRecord>&)>& reader) const override
    {
        reader(calendars);
    }
    std::uint64_t Revision() const override { return 0; }

    std::vector<CalendarRecord> calendars;
};

// September 2024 starts on a Sunday, so cell k is September 1 + k; 700 x 680 gives cells of
// 100 x 100 from y = 80. Dates read in US English, whatever the machine's locale.
class MonthViewAccessibleTest : public ::testing::Test
{
protected:
    MonthViewAccessibleTest() : clock({2024, 9, 18, 10, 0, 0})
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        std::vector<EventRecord> events{AllDayEvent("Trip", "2024-09-11", "2024-09-13"),
                                        AllDayEvent("Sale %1 %2", "2024-09-02", "2024-09-03")};
        for (const char* name : {"m1", "m2", "m3", "m4", "m5"})
            events.push_back(AllDayEvent(name, "2024-09-12", "2024-09-13"));
        source.calendars.push_back(SelectedCalendar(events));
        view = std::make_unique<COrbCalendarCtrl>(settings, clock);
        view->SetCalendarSource(&source);
        view->SetCalendarFont(LogFont());
        view->resize(700, 680);
        iface = QAccessible::queryAccessibleInterface(view.get());
        table = iface ? iface->tableInterface() : nullptr;
    }
    ~MonthViewAccessibleTest() override { QLocale::setDefault(QLocale::c()); }

    QString Name(int row, int column) const { return table->cellAt(row, column)->text(QAccessible::Name); }

    void Press(QPoint point)
    {
        QMouseEvent event(QEvent::MouseButtonPress, QPointF(point), view->mapToGlobal(QPointF(point)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &event);
    }

    MonthViewSettings settings;
    test::FixedClock clock;
    FixedSource source;
    std::unique_ptr<COrbCalendarCtrl> view;
    QAccessibleInterface* iface = nullptr;
    QAccessibleTableInterface* table = nullptr;
};

TEST_F(MonthViewAccessibleTest, DaysAreCellsNamedByTheirDateAndEvents)
{
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Table);
    // Read before any paint: the cells lay the month out themselves.
    EXPECT_EQ(table->rowCount(), 6);
    EXPECT_EQ(table->columnCount(), 7);
    EXPECT_EQ(iface->childCount(), 42);
    EXPECT_EQ(table->columnDescription(0), "Sunday");
    EXPECT_EQ(Name(0, 0), "Sunday, September 1, 2024");
    EXPECT_EQ(table->cellAt(0, 0)->role(), QAccessible::Cell);
    // A day names every event on it, also those its overflow box hides.
    EXPECT_EQ(Name(1, 3), "Wednesday, September 11, 2024: Trip");
    EXPECT_EQ(Name(1, 4), "Thursday, September 12, 2024: Trip; m1; m2; m3; m4; m5");
    EXPECT_EQ(Name(5, 6), "Saturday, October 12, 2024");
    EXPECT_EQ(Name(0, 1), "Monday, September 2, 2024: Sale %1 %2"); // a title is text, never a pattern
    EXPECT_EQ(table->cellAt(6, 0), nullptr);

    QAccessibleInterface* eleventh = table->cellAt(1, 3);
    EXPECT_EQ(iface->indexOfChild(eleventh), 10);
    EXPECT_EQ(eleventh->rect().size(), QSize(100, 100));
    EXPECT_EQ(iface->childAt(view->mapToGlobal(QPoint(350, 230)).x(), view->mapToGlobal(QPoint(350, 230)).y()),
              eleventh);

    // Fewer rows, fewer cells; another month, other names in the same cells.
    settings.rowCount = 2;
    view = std::make_unique<COrbCalendarCtrl>(settings, clock);
    view->resize(700, 680);
    table = QAccessible::queryAccessibleInterface(view.get())->tableInterface();
    EXPECT_EQ(table->rowCount(), 2);
    EXPECT_EQ(Name(0, 0), "Sunday, September 15, 2024");
    QWheelEvent down(QPointF(300, 300), QPointF(300, 300), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    AccessibleEvents events;
    QApplication::sendEvent(view.get(), &down);
    EXPECT_EQ(Name(0, 0), "Sunday, September 29, 2024");
    ASSERT_FALSE(events.All().empty());
    EXPECT_EQ(events.All().back().type, QAccessible::TableModelChanged);
}

TEST_F(MonthViewAccessibleTest, AClickedDayIsSelectedAndAnnounced)
{
    view->show();
    QApplication::setActiveWindow(view.get());
    view->RenderImage(); // clicks are read against the painted layout
    AccessibleEvents events;
    Press({350, 230}); // September 11

    EXPECT_EQ(events.NamesOf(QAccessible::Selection), QStringList{"Wednesday, September 11, 2024: Trip"});
    QAccessibleInterface* day = table->cellAt(1, 3);
    EXPECT_TRUE(day->state().selected);
    EXPECT_FALSE(table->cellAt(1, 4)->state().selected);
    EXPECT_EQ(table->selectedCellCount(), 1);
    EXPECT_TRUE(day->tableCellInterface()->isSelected());
    ASSERT_TRUE(view->hasFocus());
    EXPECT_EQ(events.NamesOf(QAccessible::Focus), QStringList{"Wednesday, September 11, 2024: Trip"});
    EXPECT_EQ(iface->focusChild(), day);
    EXPECT_TRUE(day->state().focused);

    // A click on a bar selects no day.
    Press({450, 80 + 100 + 30});
    EXPECT_EQ(table->selectedCellCount(), 0);
    EXPECT_FALSE(day->state().selected);
}

} // namespace
} // namespace orb
