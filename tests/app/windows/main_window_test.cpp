#include "app/windows/about_dlg.h"
#include "app/windows/orb_calender_dlg.h"
#include "tests/app/windows/tree_lookup.h"
#include "tests/support/doubles.h"
#include "treelist/tree_list_ctrl.h"
#include "treelist/tree_list_item.h"
#include "widgets/bitmap_slider.h"
#include "widgets/sizing_border.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace orb {
namespace {

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        settings.WindowPos = {100, 100, 600, 800};
        window = std::make_unique<COrbCalenderDlg>(settings, clock, diagnostics, prompter);
        window->resize(500, 700);
    }

    void Prepare()
    {
        window->PrepareControls();
        window->SetWindowMode(settings.Zorder);
    }

    // Rows posted by the sink arrive through the event queue.
    static void Deliver() { QCoreApplication::processEvents(); }

    std::vector<std::string> TopLevelTexts() const { return test::TopLevelTexts(*window->Tree()); }

    CTreeListItem* FindRow(const std::string& id) const { return test::FindRowById(*window->Tree(), id); }

    void FillStore()
    {
        window->Store().Write([](LocalStore::Data& data) {
            CalendarRecord calendar;
            calendar.id = "cal";
            calendar.summary = "Work";
            calendar.backgroundColor = "#112233";
            calendar.selected = "true";
            calendar.tag = 1;
            EventRecord event;
            event.id = "ev";
            event.summary = "Review";
            event.start.date = "2026-12-07";
            calendar.events.push_back(event);
            data.calendars.push_back(calendar);
            TaskListInfo list;
            list.id = "L1";
            list.title = "Home";
            list.expanded = 1;
            TaskInfo task;
            task.id = "t1";
            task.title = "Milk";
            task.status = "completed";
            list.tasks.push_back(task);
            list.tree->AppendChild(list.root(), task).expanded = 1;
            data.taskLists.push_back(list);
        });
    }

    // Both branches, filled from FillStore's records.
    void ShowFilledStore()
    {
        Prepare();
        FillStore();
        window->UpdateBranchRows(kCalendarBranch, {});
        window->UpdateBranchRows(kTaskBranch, {});
        Deliver();
        window->RebuildCalendarBranch();
        window->RebuildTaskBranch();
    }

    AppSettings settings;
    test::FixedClock clock{{2026, 12, 8, 9, 0, 0}};
    test::RecordingDiagnostics diagnostics;
    test::ScriptedPrompter prompter;
    std::unique_ptr<COrbCalenderDlg> window;
};

TEST_F(MainWindowTest, StoredAlphaBelowTheSliderRangeStartsAtZeroUntilMoved)
{
    settings.Alpha = 90;
    Prepare();
    EXPECT_EQ(window->Slider()->Pos(), 0);
    EXPECT_NEAR(window->windowOpacity(), 90 / 255.0, 0.01);
    window->show();
    // Any slider movement gives 100 or more.
    QTest::mouseClick(window->Slider(), Qt::LeftButton, {}, QPoint(window->Slider()->width() / 2, 3));
    EXPECT_GE(settings.Alpha, 100);
    EXPECT_LE(settings.Alpha, 255);
    EXPECT_NEAR(window->windowOpacity(), settings.Alpha / 255.0, 0.01);
}

TEST_F(MainWindowTest, LayoutLimitsAndColumns)
{
    Prepare();
    EXPECT_EQ(window->minimumSize(), QSize(242, 300));
    EXPECT_EQ(window->Tree()->geometry(), QRect(0, 20, 488, 668));
    // With the dialog font's h = -12: at creation Name W + 7h - 5 and Due -7h - 5, after
    // a resize W + 7h - 15 and -7h.
    EXPECT_EQ(window->Tree()->Model().Column(kNameColumn)->width, 488 - 84 - 5);
    EXPECT_EQ(window->Tree()->Model().Column(kDueColumn)->width, 84 - 5);
    window->show();
    window->resize(400, 600);
    EXPECT_EQ(window->Tree()->Model().Column(kNameColumn)->width, 388 - 84 - 15);
    EXPECT_EQ(window->Tree()->Model().Column(kDueColumn)->width, 84);
    EXPECT_EQ(window->Tree()->Model().Column(kMemoColumn)->width, 0);
    EXPECT_EQ(window->Tree()->colours[1], QColor(0x22, 0x22, 0x22));
    EXPECT_EQ(window->Tree()->textColours[4], QColor(0xC8, 0xC8, 0xC8));
}

// The "+" keeps its place in a wide window and stays in sight, clear of the slider, in the
// narrowest one, with or without the sizing border.
TEST_F(MainWindowTest, ThePlusButtonStaysInSightAtTheLeastWidth)
{
    Prepare();
    window->show();
    QPushButton* plus = window->InsertButton();
    EXPECT_EQ(plus->geometry().topLeft(), QPoint(279, 3));
    for (const Command mode : {Command::ModeNormal, Command::ModeResizing}) {
        window->RunCommand(mode);
        window->resize(242, 300);
        ASSERT_EQ(window->width(), 242);
        EXPECT_TRUE(plus->isVisible());
        EXPECT_TRUE(window->ClientRect().contains(plus->geometry())) << plus->geometry().x();
        EXPECT_GT(plus->geometry().left(), window->Slider()->geometry().right());
        EXPECT_EQ(window->childAt(plus->geometry().center()), plus) << "something covers it";
        EXPECT_EQ(plus->geometry().right(), window->Tree()->geometry().right());
    }
}

TEST_F(MainWindowTest, CtrlWheelChangesTheListFontButNeverBelowTwelvePixels)
{
    Prepare();
    settings.defaultFont.lfHeight = -12;
    window->show();
    const QPoint centre = window->Tree()->rect().center();
    const auto wheel = [&](int delta) {
        QWheelEvent event(centre, window->Tree()->mapToGlobal(centre), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(window->Tree(), &event);
    };
    wheel(-120);
    EXPECT_EQ(settings.defaultFont.lfHeight, -12);
    wheel(120);
    EXPECT_EQ(settings.defaultFont.lfHeight, -13);
    wheel(120);
    EXPECT_EQ(settings.defaultFont.lfHeight, -14);
    EXPECT_EQ(window->Tree()->ListFont().pixelSize(), 14);
}

TEST_F(MainWindowTest, WindowModesSetTheirStackingAndMirrorIntoSettings)
{
    Prepare();
    window->RunCommand(Command::ModeBottom);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnBottomHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(settings.Zorder, 1);
    window->RunCommand(Command::ModeTop);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(settings.Zorder, 2);
    window->RunCommand(Command::ModeResizing);
    EXPECT_FALSE(window->windowFlags() & (Qt::WindowStaysOnTopHint | Qt::WindowStaysOnBottomHint));
    EXPECT_EQ(settings.Zorder, 3);
    window->RunCommand(Command::ModeNormal);
    EXPECT_EQ(settings.Zorder, 4);
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(MainWindowTest, AboutCommandOpensTheAboutBox)
{
    Prepare();
    int shown = 0;
    window->showAbout = [&] { ++shown; };
    window->RunCommand(Command::About);
    EXPECT_EQ(shown, 1);
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), QString::fromUtf8("OrbCalender 정보"));
    EXPECT_EQ(about.findChild<QLabel*>("aboutVersion")->text(), QString::fromUtf8("OrbCalender, 버전 1.0"));
}

TEST_F(MainWindowTest, KeysF5SpaceTabAndEscape)
{
    Prepare();
    QSignalSpy requested(window.get(), &COrbCalenderDlg::commandRequested);
    window->show();
    QTest::keyClick(window->Tree(), Qt::Key_F5);
    EXPECT_TRUE(diagnostics.Contains("OnControlSynchronizing 2"));
    QTest::keyClick(window->Tree(), Qt::Key_Tab);
    Deliver();
    ASSERT_EQ(requested.count(), 1);
    EXPECT_EQ(requested[0][0].value<Command>(), Command::CalendarView);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, RowsFromTheLoadArriveUnderTheirBranches)
{
    Prepare();
    window->UpdateBranchRows(kTaskBranch, {}); // the calendars' root still comes first
    TreeRow calendar;
    calendar.level = 2;
    calendar.texts = {"0x112233Work", "", "", "cal"};
    calendar.expanded = true;
    TreeRow event;
    event.level = 3;
    event.texts = {"0x112233Review", "2026-12-07", "memo", "ev"};
    event.checked = true;
    window->UpdateBranchRows(kCalendarBranch, {calendar, event});
    Deliver();

    EXPECT_EQ(TopLevelTexts(), (std::vector<std::string>{"Calendar's", "Task's"}));
    CTreeListItem* row = FindRow("ev");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->level, 3);
    EXPECT_EQ(row->texts[kDueColumn], "2026-12-07");
    EXPECT_EQ(window->Tree()->GetCheck(row), 1);
    EXPECT_TRUE(FindRow("cal")->IsExpanded());

    window->RemoveAllRows();
    Deliver();
    EXPECT_TRUE(TopLevelTexts().empty());
}

TEST_F(MainWindowTest, RebuildsPutCalendarsFirstAndTasksLast)
{
    Prepare();
    FillStore();
    // Roots in the wrong order, as nothing the program does leaves them.
    window->Tree()->InsertItem(kTaskBranch);
    window->Tree()->InsertItem(kCalendarBranch);
    window->RebuildCalendarBranch();
    EXPECT_EQ(TopLevelTexts(), (std::vector<std::string>{"Calendar's", "Task's"}));
    ASSERT_NE(FindRow("ev"), nullptr);
    EXPECT_TRUE(FindRow("cal")->IsExpanded());

    window->RebuildTaskBranch();
    EXPECT_EQ(TopLevelTexts(), (std::vector<std::string>{"Calendar's", "Task's"}));
    EXPECT_TRUE(diagnostics.Contains("Calendar's")); // rows passed over are written out
    ASSERT_NE(FindRow("t1"), nullptr);
    EXPECT_TRUE(prompter.messages.empty());

    // The view mode command rebuilds without the completed task.
    window->RunCommand(Command::ViewNeedsAction);
    EXPECT_EQ(settings.nTaskViewMode, 2);
    EXPECT_EQ(FindRow("t1"), nullptr);
    ASSERT_NE(FindRow("L1"), nullptr);
}

TEST_F(MainWindowTest, RebuildWithoutATaskRootSaysSoAndStillAppends)
{
    Prepare();
    FillStore();
    window->RebuildTaskBranch();
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{"error DeleteItem"}));
    EXPECT_EQ(TopLevelTexts(), (std::vector<std::string>{"Task's"}));
}

TEST_F(MainWindowTest, ExpansionChangesAreRememberedInTheStore)
{
    ShowFilledStore();

    window->Tree()->Expand(TreeListExpand::Collapse, FindRow("cal"));
    window->Tree()->Expand(TreeListExpand::Collapse, FindRow("L1"));
    window->Store().Read([](const LocalStore::Data& data) {
        EXPECT_EQ(data.calendars[0].tag, 0);
        EXPECT_EQ(data.taskLists[0].expanded, 0);
    });
    window->RebuildCalendarBranch();
    EXPECT_FALSE(FindRow("cal")->IsExpanded());
}

// Before the frame hands over the edit tools the rows are there but nothing may edit them:
// every edit is refused quietly, and the rest of the tree goes on working.
TEST_F(MainWindowTest, BeforeSetEditingEditsAreRefusedQuietlyButTheTreeStillWorks)
{
    ShowFilledStore();
    QSignalSpy requested(window.get(), &COrbCalenderDlg::commandRequested);
    const auto notify = [&](TreeListCode code, const char* id) {
        return window->OnTreeListNotify({window->Tree(), kTreeControlId, code, FindRow(id), 0});
    };
    EXPECT_EQ(notify(TreeListCode::CheckChanging, "t1"), -1);
    EXPECT_EQ(notify(TreeListCode::CheckChanging, "L1"), -1);
    EXPECT_EQ(notify(TreeListCode::CheckChanging, "ev"), 0); // an event's mark is never sent
    window->Tree()->SelectItem(FindRow("t1"));
    EXPECT_EQ(notify(TreeListCode::DropQuery, "L1"), -1);
    EXPECT_EQ(notify(TreeListCode::Dropped, "L1"), -1);
    notify(TreeListCode::DoubleClick, "t1");
    notify(TreeListCode::InsertKey, "t1");
    notify(TreeListCode::DeleteKey, "t1");
    for (const Command command : {Command::InsertButton, Command::DeleteTask, Command::Synchronizing})
        EXPECT_TRUE(window->RunCommand(command));
    EXPECT_EQ(requested.count(), 0); // the window's own commands never go out to the frame
    EXPECT_NE(FindRow("t1"), nullptr);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(MainWindowTest, TheSelectedRowOfAFocusedTreeStandsOutAndItsTextsStayReadable)
{
    ShowFilledStore();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    CTreeListCtrl* tree = window->Tree();
    tree->setFocus();
    ASSERT_TRUE(tree->hasFocus());
    // Pixels at least this much brighter than the fill: text drawn on it.
    const auto textPixels = [&](const QImage& image, const QRect& cell) {
        int count = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            for (int x = cell.left(); x <= cell.right(); ++x)
                count += qGray(image.pixel(x, y)) >= 100 ? 1 : 0;
        }
        return count;
    };

    for (const char* id : {"L1", "t1"}) { // plain text, and the grey of a finished task
        tree->SelectItem(FindRow(id));
        const QImage& image = tree->RenderImage();
        const QRect due = tree->CellRect(FindRow(id), kDueColumn);
        const QRect name = tree->CellRect(FindRow(id), kNameColumn); // the focused cell
        EXPECT_EQ(image.pixelColor(due.center()).name(), "#264f78") << id;
        EXPECT_EQ(image.pixelColor(name.right() - 1, name.top() + 1).name(), "#264f78") << id;
        EXPECT_GT(textPixels(image, name), 10) << id;
        const QRect other = tree->CellRect(FindRow(std::string(id) == "L1" ? "t1" : "L1"), kDueColumn);
        EXPECT_EQ(image.pixelColor(other.center()).name(), "#222222") << id;
    }
}

TEST_F(MainWindowTest, ResizingModeShowsASizingBorderAroundTheControls)
{
    Prepare();
    window->show();
    window->RunCommand(Command::ModeResizing);
    SizingBorder* border = window->Border();
    ASSERT_TRUE(border->IsEnabled());
    constexpr int w = SizingBorder::kWidth;
    // The controls move inside the border, so nothing covers it.
    EXPECT_EQ(window->Tree()->geometry(), QRect(w, w + 20, 500 - 2 * w - 12, 700 - 2 * w - 20 - 12));
    // Every side and corner has its grip on top, with the cursor that says which way it sizes.
    const std::pair<QPoint, Qt::CursorShape> edges[] = {
        {{250, 1}, Qt::SizeVerCursor},   {{250, 698}, Qt::SizeVerCursor}, {{1, 350}, Qt::SizeHorCursor},
        {{498, 350}, Qt::SizeHorCursor}, {{1, 1}, Qt::SizeFDiagCursor},   {{498, 698}, Qt::SizeFDiagCursor},
        {{498, 1}, Qt::SizeBDiagCursor}, {{1, 698}, Qt::SizeBDiagCursor},
    };
    for (const auto& [point, cursor] : edges) {
        QWidget* hit = window->childAt(point);
        ASSERT_NE(hit, nullptr) << point.x() << "," << point.y();
        EXPECT_EQ(hit->objectName(), "sizingGrip");
        EXPECT_EQ(hit->cursor().shape(), cursor);
    }
    const QImage image = window->grab().toImage();
    EXPECT_EQ(image.pixelColor(250, 2), SizingBorder::kColour);
    EXPECT_EQ(image.pixelColor(2, 350), SizingBorder::kColour);

    window->RunCommand(Command::ModeNormal);
    EXPECT_FALSE(border->IsEnabled());
    EXPECT_EQ(window->Tree()->geometry(), QRect(0, 20, 488, 668));
    const QWidget* top = window->childAt(250, 1);
    EXPECT_TRUE(top == nullptr || top->objectName() != "sizingGrip");
}

TEST_F(MainWindowTest, ControlsFitTheirBitmapsAndModesKeepTheNativeWindowAndFocus)
{
    Prepare();
    // The channel bitmap is 77 pixels wide: the slider shows all of it.
    EXPECT_EQ(window->Slider()->width(), 77);
    window->show();
    window->Tree()->setFocus();
    const WId before = window->winId();
    for (const Command mode : {Command::ModeBottom, Command::ModeTop, Command::ModeResizing, Command::ModeNormal}) {
        window->RunCommand(mode);
        EXPECT_EQ(window->winId(), before);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->focusWidget(), window->Tree());
    }
}

TEST_F(MainWindowTest, TabIsCalendarViewEveryTimeWhereverTheFocusIs)
{
    Prepare();
    QSignalSpy requested(window.get(), &COrbCalenderDlg::commandRequested);
    window->show();
    window->setFocus();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), Qt::Key_Tab);
    Deliver();
    EXPECT_EQ(requested.count(), 3);
}

} // namespace
} // namespace orb
