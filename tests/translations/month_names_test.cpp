#include "calendarview/month_text.h"
#include "calendarview/month_view_settings.h"
#include "calendarview/orb_calendar_ctrl.h"
#include "core/ui_text.h"
#include "dialogs/day_event_rows.h"
#include "tests/support/core_doubles.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QTranslator>
#include <gtest/gtest.h>

#include <iterator>

namespace orb {
namespace {

std::string TranslateThroughQt(const char* source)
{
    return QCoreApplication::translate(kTextContext, source).toStdString();
}

// One of the program's own catalogues, installed for the life of the scope, as start-up
// installs it; none keeps the design's texts.
class CatalogueScope
{
public:
    explicit CatalogueScope(const char* name)
    {
        SetTextTranslator(&TranslateThroughQt);
        if (name) {
            loaded_ = translator_.load(QString::fromLatin1(name), ":/i18n");
            QCoreApplication::installTranslator(&translator_);
        }
    }
    ~CatalogueScope()
    {
        QCoreApplication::removeTranslator(&translator_);
        SetTextTranslator(nullptr);
    }
    bool loaded() const { return loaded_; }

private:
    QTranslator translator_;
    bool loaded_ = true;
};

struct Expected
{
    const char* catalogue;
    const char* header;
    const char* strip[7];
    const char* firstOfMonthCell;
    const char* firstCell;
    const char* dayTitle;
    const char* columnName;
};

// December 2026 begins on a Tuesday, so the grid opens on Sunday 29 November; the 10th is a
// Thursday. The machine's C locale is plain C here: any name that follows the language comes
// from the catalogue, not from strftime.
TEST(MonthNamesTest, MonthViewAndDayTitleNameMonthsAndDaysInTheChosenLanguage)
{
    const Expected languages[] = {
        {"orbcalender_ko",
         "12월",
         {"일", "월", "화", "수", "목", "금", "토"},
         "12월 1",
         "11월 29",
         "12월 10일(목요일)",
         "일요일"},
        {"orbcalender_en",
         "December",
         {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
         "Dec 1",
         "Nov 29",
         "Thursday, 12-10",
         "Sunday"},
        {nullptr,
         "December",
         {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
         "Dec 1",
         "Nov 29",
         "12월 10일(Thursday)",
         "Sunday"},
    };
    test::FixedClock clock({2026, 12, 10, 10, 0, 0});
    for (const Expected& expected : languages) {
        const char* language = expected.catalogue ? expected.catalogue : "source";
        const CatalogueScope scope(expected.catalogue);
        ASSERT_TRUE(scope.loaded()) << language;

        MonthViewSettings settings;
        COrbCalendarCtrl view(settings, clock);
        view.resize(700, 680);
        view.UpdateLayout();
        EXPECT_EQ(FullMonthName(view.displayDate()), expected.header) << language;
        ASSERT_GE(view.cells().size(), std::size(expected.strip));
        for (std::size_t column = 0; column < std::size(expected.strip); ++column)
            EXPECT_EQ(ShortWeekdayName(view.cells()[column].date), expected.strip[column])
                << language << " column " << column;
        EXPECT_EQ(CellDateText(view.cells()[2].date, false), expected.firstOfMonthCell) << language;
        EXPECT_EQ(CellDateText(view.cells()[0].date, true), expected.firstCell) << language;
        EXPECT_EQ(CellDateText(view.cells()[3].date, false), "2") << language;
        EXPECT_EQ(DayEventsTitle(view.displayDate()), expected.dayTitle) << language;

        QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(&view);
        ASSERT_NE(grid, nullptr);
        ASSERT_NE(grid->tableInterface(), nullptr);
        EXPECT_EQ(grid->tableInterface()->columnDescription(0).toStdString(), expected.columnName) << language;
    }
}

} // namespace
} // namespace orb
