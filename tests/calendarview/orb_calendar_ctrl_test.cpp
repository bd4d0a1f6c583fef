#include "calendarview/event_color.h"
#include "calendarview/orb_calendar_ctrl.h"
#include "tests/calendarview/calendar_builders.h"
#include "tests/support/core_doubles.h"
#include "treelist/tree_list_tip_ctrl.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>

namespace orb {

// Found by argument lookup, so failures print colours readably.
std::ostream& operator<<(std::ostream& out, const RgbColor& c)
{
    return out << "RGB(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

namespace {

using test::AllDayEvent;
using test::SelectedCalendar;

class VectorSource : public CalendarSource
{
public:
    void ReadCalendars(const std::function<void(const std::vector<CalendarRecord>&)>& reader) const override
    {
        ++reads;
        reader(calendars);
        if (afterRead)
            afterRead();
    }
    std::uint64_t Revision() const override { return revision; }

    std::vector<CalendarRecord> calendars;
    std::uint64_t revision = 0; // not counted unless a test says so
    mutable int reads = 0;
    std::function<void()> afterRead; // a writer that slips in once the read is done
};

RgbColor PixelAt(const QImage& image, int x, int y)
{
    const QColor color = image.pixelColor(x, y);
    return {color.red(), color.green(), color.blue()};
}

// The darkest pixel of a region: the core of the glyphs drawn there.
RgbColor DarkestIn(const QImage& image, const QRect& region)
{
    RgbColor darkest{255, 255, 255};
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            const RgbColor c = PixelAt(image, x, y);
            if (c.red + c.green + c.blue < darkest.red + darkest.green + darkest.blue)
                darkest = c;
        }
    }
    return darkest;
}

bool Near(const RgbColor& a, const RgbColor& b, int tolerance = 24)
{
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance;
}

int CountPixels(const QImage& image, const QRect& region, const std::function<bool(const RgbColor&)>& wanted)
{
    int count = 0;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x)
            count += wanted(PixelAt(image, x, y)) ? 1 : 0;
    }
    return count;
}

constexpr RgbColor kLime{171, 255, 0};
constexpr RgbColor kPale{240, 207, 207};
constexpr RgbColor kRangeOrange{255, 100, 0};

// 700 x 680 with 20-pixel lines (a font of height 0): the grid starts at y = 80 and every
// cell is 100 x 100 with five lines. Today is Wednesday 18 September 2024; September
// starts on a Sunday, so cell k is September 1 + k at (100 (k % 7), 80 + 100 (k / 7)).
class CalendarViewTest : public ::testing::Test
{
protected:
    CalendarViewTest() : clock({2024, 9, 18, 10, 0, 0})
    {
        EventRecord future = AllDayEvent("future", "2024-09-25", "2024-09-26");
        future.description = "Bring the slides\nRoom 4";
        EventRecord pastRed = AllDayEvent("red", "2024-09-03", "2024-09-04");
        pastRed.colorText = "#FF0000";
        EventRecord pastGrey = AllDayEvent("grey", "2024-09-04", "2024-09-05");
        pastGrey.colorText = "#808080";
        std::vector<EventRecord> events{future, pastRed, pastGrey};
        for (const char* name : {"m1", "m2", "m3", "m4", "m5"})
            events.push_back(AllDayEvent(name, "2024-09-12", "2024-09-13"));
        source.calendars.push_back(SelectedCalendar(events, "#3366CC"));
        source.calendars.push_back(SelectedCalendar({AllDayEvent("H", "2024-09-16", "2024-09-17")}, "#DC2127",
                                                    "ko.south_korea#holiday@group.v.calendar.google.com"));
    }

    // The view is made on first use so a test can change the settings it starts from.
    COrbCalendarCtrl& View()
    {
        if (!view) {
            view = std::make_unique<COrbCalendarCtrl>(settings, clock);
            view->SetCalendarSource(&source);
            LogFont font;
            view->SetCalendarFont(font);
            view->resize(700, 680);
        }
        return *view;
    }

    QImage Paint() { return View().RenderImage(); }

    void Wheel(int delta, Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        QWheelEvent event(QPointF(300, 300), QPointF(300, 300), QPoint(), QPoint(0, delta), Qt::NoButton, keys,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&View(), &event);
    }

    void Mouse(QEvent::Type type, Qt::MouseButton button, QPoint point, Qt::MouseButtons held = Qt::NoButton)
    {
        QMouseEvent event(type, QPointF(point), View().mapToGlobal(QPointF(point)), button, held, Qt::NoModifier);
        QApplication::sendEvent(&View(), &event);
    }

    void Move(QPoint point, Qt::MouseButtons held = Qt::NoButton)
    {
        Mouse(QEvent::MouseMove, Qt::NoButton, point, held);
    }

    void DoubleClick(QPoint point)
    {
        Mouse(QEvent::MouseButtonPress, Qt::LeftButton, point, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, point);
        Mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, point, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, point);
    }

    int IndexOf(const std::string& summary)
    {
        for (std::size_t i = 0; i < View().events().size(); ++i) {
            if (View().events()[i].event.summary == summary)
                return static_cast<int>(i);
        }
        return -1;
    }

    MonthViewSettings settings;
    test::FixedClock clock;
    VectorSource source;
    std::unique_ptr<COrbCalendarCtrl> view;
};

TEST_F(CalendarViewTest, HeaderWeekdaysAndToday)
{
    const QImage image = Paint();
    EXPECT_EQ(PixelAt(image, 5, 5), (RgbColor{0, 0, 100}));
    EXPECT_EQ(PixelAt(image, 695, 55), (RgbColor{0, 0, 100}));
    EXPECT_EQ(View().todayRect(), QRect(550, 30, 150, 30));
    EXPECT_GT(CountPixels(image, View().todayRect(), [](const RgbColor& c) { return c.red > 200 && c.blue > 200; }),
              20);

    // Weekday strip: pale fill, separators, Sunday red, Saturday blue, weekdays dark.
    EXPECT_EQ(PixelAt(image, 2, 61), (RgbColor{255, 255, 250}));
    EXPECT_EQ(PixelAt(image, 100, 70), (RgbColor{172, 168, 153}));
    EXPECT_TRUE(Near(DarkestIn(image, QRect(1, 62, 98, 18)), {230, 0, 0})) << DarkestIn(image, QRect(1, 62, 98, 18));
    EXPECT_TRUE(Near(DarkestIn(image, QRect(601, 62, 98, 18)), {0, 0, 200}));
    EXPECT_TRUE(Near(DarkestIn(image, QRect(101, 62, 98, 18)), {30, 30, 30}));

    // Today's cell is filled grey inside the grid lines.
    EXPECT_EQ(PixelAt(image, 390, 370), (RgbColor{220, 220, 220}));
    EXPECT_EQ(PixelAt(image, 490, 370), (RgbColor{255, 255, 255}));
    EXPECT_EQ(PixelAt(image, 300, 330), (RgbColor{150, 150, 150}));
}

TEST_F(CalendarViewTest, OtherMonthDaysArePaleOnlyInTheMonthView)
{
    // October 2 is cell 31 in the month view.
    const QImage month = Paint();
    EXPECT_TRUE(Near(DarkestIn(month, QRect(301, 481, 40, 20)), {150, 150, 150}))
        << DarkestIn(month, QRect(301, 481, 40, 20));
    EXPECT_TRUE(Near(DarkestIn(month, QRect(301, 381, 40, 20)), {0, 0, 0}, 60)); // September 25

    // Five rows start at the week of the 18th: October 2 is cell 17, rows 120 high.
    settings.rowCount = 5;
    view.reset();
    const QImage weeks = Paint();
    ASSERT_EQ(View().cells()[17].date, DateValue::FromCivil(2024, 10, 2));
    EXPECT_TRUE(Near(DarkestIn(weeks, QRect(301, 321, 40, 20)), {30, 30, 30}))
        << DarkestIn(weeks, QRect(301, 321, 40, 20));
}

TEST_F(CalendarViewTest, BarColoursFollowTimeHoverAndHolidays)
{
    QImage image = Paint();
    EXPECT_EQ(PixelAt(image, 380, 410), (RgbColor{0x33, 0x66, 0xCC}));
    // Past events: red and grey fade to the same pink.
    EXPECT_EQ(PixelAt(image, 280, 110), kPale);
    EXPECT_EQ(PixelAt(image, 380, 110), kPale);
    EXPECT_EQ(PixelAt(image, 197, 297), (RgbColor{200, 0, 0}));
    EXPECT_GT(CountPixels(image, QRect(100, 282, 100, 18), [](const RgbColor& c) { return c.green > 200; }), 5)
        << "white holiday text";

    Move({380, 410});
    image = Paint();
    EXPECT_EQ(View().hoverEvent(), IndexOf("future"));
    EXPECT_EQ(PixelAt(image, 380, 410), kLime);

    Move({197, 297});
    image = Paint();
    EXPECT_EQ(View().hoverEvent(), IndexOf("H"));
    EXPECT_EQ(PixelAt(image, 197, 297), kLime);
    EXPECT_EQ(PixelAt(image, 380, 410), (RgbColor{0x33, 0x66, 0xCC}));
}

TEST_F(CalendarViewTest, AMultiWeekBarIsLimeInEveryWeek)
{
    source.calendars[0].events.push_back(AllDayEvent("trip", "2024-09-27", "2024-10-02"));
    Paint();
    Move({580, 410}); // Friday the 27th, line 1
    const QImage image = Paint();
    EXPECT_EQ(View().hoverEvent(), IndexOf("trip"));
    EXPECT_EQ(PixelAt(image, 550, 410), kLime);
    EXPECT_EQ(PixelAt(image, 150, 510), kLime); // Monday the 30th, next row
}

TEST_F(CalendarViewTest, OverflowBoxCountsHiddenEvents)
{
    QImage image = Paint();
    // Five events on the 12th (cell 11, x 400..500, y 180..280): three lines, two hidden.
    EXPECT_EQ(View().layout().HiddenCount(11), 2);
    EXPECT_EQ(PixelAt(image, 402, 270), (RgbColor{80, 80, 80}));
    EXPECT_EQ(PixelAt(image, 498, 263), (RgbColor{255, 255, 255}));
    EXPECT_TRUE(Near(DarkestIn(image, QRect(404, 262, 90, 16)), {50, 50, 100}, 40));

    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, {450, 270}, Qt::LeftButton);
    EXPECT_EQ(View().hoverMoreCell(), 11);
    image = Paint();
    EXPECT_EQ(PixelAt(image, 403, 270), (RgbColor{0, 0, 0}));
}

TEST_F(CalendarViewTest, LeftPressSelectsDaysAndClearsOnBars)
{
    Paint();
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, {250, 250}, Qt::LeftButton);
    EXPECT_EQ(View().selectedDate(), DateValue::FromCivil(2024, 9, 10));
    QImage image = Paint();
    EXPECT_EQ(PixelAt(image, 201, 230), (RgbColor{255, 0, 0}));
    EXPECT_EQ(PixelAt(image, 301, 230), (RgbColor{255, 0, 0}));
    EXPECT_EQ(PixelAt(image, 250, 181), (RgbColor{255, 0, 0}));

    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, {380, 410}, Qt::LeftButton);
    EXPECT_EQ(View().hoverEvent(), IndexOf("future"));
    EXPECT_EQ(View().selectedDate(), DateValue());
    image = Paint();
    EXPECT_NE(PixelAt(image, 201, 230), (RgbColor{255, 0, 0}));
}

TEST_F(CalendarViewTest, WheelChangesMonthsAndWeeks)
{
    clock.Set({2025, 1, 20, 8, 0, 0});
    Wheel(120);
    EXPECT_EQ(View().displayDate(), DateValue::FromCivil(2024, 12, 1));
    Wheel(-120);
    Wheel(-120);
    EXPECT_EQ(View().displayDate(), DateValue::FromCivil(2025, 2, 1));

    clock.Set({2024, 12, 5, 8, 0, 0});
    view.reset();
    Wheel(-120);
    EXPECT_EQ(View().displayDate(), DateValue::FromCivil(2025, 1, 1));

    // Fewer rows move by as many weeks as are shown.
    settings.rowCount = 3;
    view.reset();
    Wheel(-120);
    EXPECT_EQ(View().displayDate(), DateValue::FromCivil(2024, 12, 26, 8, 0, 0));
    // Another key or a held button changes nothing.
    Wheel(-120, Qt::AltModifier);
    Wheel(-120, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(View().displayDate(), DateValue::FromCivil(2024, 12, 26, 8, 0, 0));
}

TEST_F(CalendarViewTest, ControlWheelResizesTheFontWithinLimits)
{
    auto heightAfter = [this](int start, int delta) {
        LogFont font;
        font.lfHeight = start;
        View().SetCalendarFont(font);
        Wheel(delta, Qt::ControlModifier);
        return View().calendarLogFont().lfHeight;
    };
    EXPECT_EQ(heightAfter(-12, -120), -12);
    EXPECT_EQ(heightAfter(-13, -120), -12);
    EXPECT_EQ(heightAfter(14, -120), 14);
    EXPECT_EQ(heightAfter(0, -120), 14);
    EXPECT_EQ(heightAfter(-12, 120), -13);
    EXPECT_EQ(heightAfter(20, 120), 21);
    EXPECT_EQ(settings.calendarFont.lfHeight, 21);
    EXPECT_EQ(View().lineHeight(), 29);
}

TEST_F(CalendarViewTest, ShiftWheelKeepsOneToSixRowsAndSavesThem)
{
    for (int i = 0; i < 8; ++i)
        Wheel(120, Qt::ShiftModifier);
    EXPECT_EQ(View().rowCount(), 1);
    EXPECT_EQ(settings.rowCount, 1);
    EXPECT_EQ(Paint().isNull(), false);
    EXPECT_EQ(View().cells().size(), 7u);
    for (int i = 0; i < 8; ++i)
        Wheel(-120, Qt::ShiftModifier);
    EXPECT_EQ(View().rowCount(), 6);
    EXPECT_EQ(settings.rowCount, 6);

    // A broken settings value cannot make an empty or oversized grid.
    settings.rowCount = 0;
    view.reset();
    EXPECT_EQ(View().rowCount(), 1);
}

TEST_F(CalendarViewTest, DoubleClickOnTodayReturnsToTheCurrentMonthOrWeek)
{
    Paint();
    for (int i = 0; i < 14; ++i)
        Wheel(120);
    EXPECT_EQ(View().displayDate().Year(), 2023);
    DoubleClick(View().todayRect().center());
    EXPECT_EQ(View().displayDate(), DateValue::FromLocal(clock.Now()));

    settings.rowCount = 2;
    view.reset();
    Paint();
    Wheel(120);
    Wheel(120);
    DoubleClick(View().todayRect().center());
    Paint();
    EXPECT_EQ(View().cells()[0].date, DateValue::FromCivil(2024, 9, 15));
}

TEST_F(CalendarViewTest, HoverShowsTheDescriptionAndLeavingHidesIt)
{
    Paint();
    CTreeListTipCtrl& tip = *View().tip();
    Move({380, 410});
    EXPECT_TRUE(tip.isVisible());
    EXPECT_EQ(tip.Text(), QString("Bring the slides\nRoom 4"));
    const QPoint corner = View().mapToGlobal(QPoint(380, 410));
    EXPECT_EQ(tip.Anchor(), (PixelRect{corner.x(), corner.y(), corner.x() + 200, corner.y() + 200}));
    EXPECT_EQ(View().hoverMoreCell(), -1);

    Move({380, 470});
    EXPECT_FALSE(tip.isVisible());
    EXPECT_EQ(View().hoverEvent(), -1);

    // Leaving the view, or the view going away, takes the tip and the highlight with it.
    for (const QEvent::Type gone : {QEvent::Leave, QEvent::Hide}) {
        Move({380, 410});
        ASSERT_TRUE(tip.isVisible());
        if (gone == QEvent::Leave) {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(&View(), &leave);
        } else {
            View().show();
            View().hide();
        }
        EXPECT_FALSE(tip.isVisible());
        EXPECT_EQ(View().hoverEvent(), -1);
    }

    // An event without a description has nothing to show.
    source.calendars[0].events.push_back(AllDayEvent("quiet", "2024-09-26", "2024-09-27"));
    Paint();
    Move({480, 410});
    EXPECT_EQ(View().hoverEvent(), IndexOf("quiet"));
    EXPECT_FALSE(tip.isVisible());
}

TEST_F(CalendarViewTest, RightDragBackwardsMakesARangeFromTheEarlierDay)
{
    std::vector<std::tuple<DateValue, DateValue, bool>> requests;
    QObject::connect(
        &View(), &COrbCalendarCtrl::newEventRequested,
        [&](const DateValue& first, const DateValue& last, bool range) { requests.emplace_back(first, last, range); });
    Paint();
    Mouse(QEvent::MouseButtonPress, Qt::RightButton, {250, 350}, Qt::RightButton); // the 17th
    Move({150, 250}, Qt::RightButton);                                             // the 9th
    EXPECT_TRUE(View().rangeActive());
    EXPECT_EQ(View().rangeStartCell(), 16);
    EXPECT_EQ(View().rangeEndCell(), 8);
    const QImage image = Paint();
    EXPECT_EQ(PixelAt(image, 180, 190), kRangeOrange);
    EXPECT_EQ(PixelAt(image, 580, 190), kRangeOrange);
    EXPECT_EQ(PixelAt(image, 280, 290), kRangeOrange);
    EXPECT_NE(PixelAt(image, 80, 190), kRangeOrange);
    EXPECT_NE(PixelAt(image, 380, 290), kRangeOrange);
    EXPECT_FALSE(View().tip()->isVisible());

    Mouse(QEvent::MouseButtonRelease, Qt::RightButton, {150, 250});
    EXPECT_FALSE(View().rangeActive());
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(std::get<0>(requests[0]), DateValue::FromCivil(2024, 9, 9));
    EXPECT_EQ(std::get<1>(requests[0]), DateValue::FromCivil(2024, 9, 17));
    EXPECT_TRUE(std::get<2>(requests[0]));

    // A press outside every cell starts no range, so its release makes none.
    Mouse(QEvent::MouseButtonPress, Qt::RightButton, {250, 30}, Qt::RightButton);
    Mouse(QEvent::MouseButtonRelease, Qt::RightButton, {250, 350});
    EXPECT_EQ(requests.size(), 1u);
}

TEST_F(CalendarViewTest, DoubleClicksReportEditsToTheHost)
{
    std::vector<std::string> edited;
    std::vector<int> dayEvents;
    std::vector<std::pair<DateValue, bool>> created;
    QObject::connect(&View(), &COrbCalendarCtrl::editEventRequested,
                     [&](const EventEntry& entry) { edited.push_back(entry.event.summary); });
    QObject::connect(&View(), &COrbCalendarCtrl::dayEventsRequested, [&](int cell) { dayEvents.push_back(cell); });
    QObject::connect(&View(), &COrbCalendarCtrl::newEventRequested,
                     [&](const DateValue& first, const DateValue& last, bool range) {
                         EXPECT_EQ(first, last);
                         created.emplace_back(first, range);
                     });
    Paint();
    Move({380, 410});
    DoubleClick({380, 410});
    EXPECT_EQ(edited, (std::vector<std::string>{"future"}));
    EXPECT_FALSE(View().tip()->isVisible());

    DoubleClick({450, 270});
    EXPECT_EQ(dayEvents, (std::vector<int>{11}));

    DoubleClick({650, 650});
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].first, DateValue::FromCivil(2024, 10, 12));
    EXPECT_FALSE(created[0].second);
    EXPECT_EQ(View().selectedDate(), DateValue::FromCivil(2024, 10, 12));
}

TEST_F(CalendarViewTest, DeleteReportsOnlyTheHoveredEvent)
{
    std::vector<std::string> deleted;
    QObject::connect(&View(), &COrbCalendarCtrl::deleteEventRequested,
                     [&](const EventEntry& entry) { deleted.push_back(entry.event.summary); });
    Paint();
    View().DeleteHoveredEvent();
    EXPECT_TRUE(deleted.empty());
    Move({380, 410});
    View().DeleteHoveredEvent();
    EXPECT_EQ(deleted, (std::vector<std::string>{"future"}));
}

TEST_F(CalendarViewTest, TheHoveredEventStaysTheSameEventInAnotherMonth)
{
    // October lists its own first event at the index September's first had; highlighting
    // or deleting it instead would be wrong.
    source.calendars[0].events.push_back(AllDayEvent("october", "2024-10-10", "2024-10-11"));
    Paint();
    Move({280, 110});
    ASSERT_EQ(View().hoverEvent(), IndexOf("red"));
    Wheel(-120);
    Paint();
    EXPECT_EQ(View().hoverEvent(), -1);
    Wheel(120);
    const QImage image = Paint();
    EXPECT_EQ(View().hoverEvent(), IndexOf("red"));
    EXPECT_EQ(PixelAt(image, 280, 110), kLime);
}

TEST_F(CalendarViewTest, HeaderMenuCommandsReachTheHost)
{
    int treeViews = 0;
    QObject::connect(&View(), &COrbCalendarCtrl::treeViewRequested, [&] { ++treeViews; });
    View().show();
    QContextMenuEvent inCells(QContextMenuEvent::Mouse, QPoint(100, 300), View().mapToGlobal(QPoint(100, 300)));
    QApplication::sendEvent(&View(), &inCells);
    EXPECT_FALSE(View().headerMenu()->isVisible());
    QContextMenuEvent inHeader(QContextMenuEvent::Mouse, QPoint(100, 30), View().mapToGlobal(QPoint(100, 30)));
    QApplication::sendEvent(&View(), &inHeader);
    EXPECT_TRUE(View().headerMenu()->isVisible());

    QAction* treeView = nullptr;
    for (QAction* action : View().headerMenu()->actions()) {
        if (action->data().toInt() == static_cast<int>(Command::TreeView))
            treeView = action;
    }
    ASSERT_NE(treeView, nullptr);
    EXPECT_EQ(treeView->text(), QString("Tree View"));
    treeView->trigger();
    View().headerMenu()->hide();
    EXPECT_EQ(treeViews, 1);

    // "Font" changes the fonts but, as before, not the line height.
    LogFont chosen;
    chosen.lfHeight = -30;
    chosen.lfFaceName = "DejaVu Sans";
    View().SetFontChooser([&](const LogFont& current, QWidget*) -> std::optional<LogFont> {
        EXPECT_EQ(current.lfHeight, 0);
        return chosen;
    });
    EXPECT_TRUE(View().RunCommand(static_cast<int>(Command::CalendarFont)));
    EXPECT_EQ(settings.calendarFont, chosen);
    EXPECT_EQ(View().calendarLogFont(), chosen);
    EXPECT_EQ(View().lineHeight(), 20);

    View().SetFontChooser([](const LogFont&, QWidget*) { return std::optional<LogFont>(); });
    EXPECT_TRUE(View().RunCommand(static_cast<int>(Command::CalendarFont)));
    EXPECT_EQ(settings.calendarFont, chosen);
    EXPECT_FALSE(View().RunCommand(12345));
}

TEST_F(CalendarViewTest, EveryPaintRereadsTheStoreAndSurvivesBrokenDates)
{
    // Revision 0: the source does not count, so nothing but a read shows these.
    Paint();
    const int reads = source.reads;
    source.calendars[0].events.push_back(AllDayEvent("broken", "2024-13-40", "20"));
    source.calendars[0].events.push_back(AllDayEvent("empty", "", ""));
    source.calendars[0].events.push_back(AllDayEvent("late", "2024-09-26", "2024-09-27"));
    const QImage image = Paint();
    EXPECT_EQ(source.reads, reads + 1);
    EXPECT_EQ(View().events().size(), 10u);
    EXPECT_EQ(PixelAt(image, 480, 410), (RgbColor{0x33, 0x66, 0xCC}));
    EXPECT_EQ(IndexOf("broken"), -1);

    // A store that shrank since the last paint leaves no stale index to act on.
    Move({380, 410});
    source.calendars.clear();
    Paint();
    EXPECT_TRUE(View().events().empty());
    View().DeleteHoveredEvent();
    DoubleClick({380, 410});
}

// The view takes the revision before it reads, so a write landing right after the read
// costs one more read instead of a stale month.
TEST_F(CalendarViewTest, ACountedSourceIsReadOncePerRevisionAndNeverLeftStale)
{
    source.revision = 7;
    source.afterRead = [this] {
        source.afterRead = nullptr;
        source.calendars[0].events[0].summary = "later";
        ++source.revision;
    };
    Paint();
    EXPECT_EQ(IndexOf("later"), -1);
    Paint();
    Paint();
    EXPECT_NE(IndexOf("later"), -1);
    EXPECT_EQ(source.reads, 2);
}

TEST_F(CalendarViewTest, AnotherMonthRowCountSizeOrLineHeightLaysOutAgainUnderTheSameRevision)
{
    source.revision = 1;
    const std::vector<std::function<void()>> changes{[] {},
                                                     [this] { Wheel(-120); },
                                                     [this] { Wheel(120, Qt::ShiftModifier); },
                                                     [this] { Wheel(120); },
                                                     [this] { View().resize(640, 600); },
                                                     [this] { Wheel(120, Qt::ControlModifier); }};
    for (const auto& change : changes) {
        change();
        Paint();
        EXPECT_EQ(View().cells().front().date, FirstShownDay(View().displayDate(), View().rowCount()));
        EXPECT_EQ(View().layout().grid(),
                  (PixelRect{0, kHeaderHeight + View().lineHeight(), View().width(), View().height()}));
    }
    EXPECT_EQ(source.reads, 6);
}

} // namespace
} // namespace orb
