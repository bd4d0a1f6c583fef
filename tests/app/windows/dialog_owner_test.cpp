#include "dialogs/insert_event_dlg.h"
#include "dialogs/option_dlg.h"
#include "tests/app/windows/shell_fixture.h"
#include "tests/support/qt_input.h"

#include <QAction>
#include <QDateEdit>
#include <QMessageBox>
#include <QPushButton>

namespace orb {
namespace {

// How a modal dialog opened, read while it is open.
struct Opened
{
    QString type;
    QWidget* parent = nullptr;
    bool onTop = false;
    QRect rect;
};

// The shell as the program wires it: message boxes from the Qt prompter, opened over the
// window the frame's owner choice names.
class DialogOwnerTest : public test::EditShellTest
{
protected:
    // The main window at (20, 30) 300 x 500 and the calendar window at (200, 60) 560 x 400.
    void StartWith(int mainMode, int calendarMode, bool showMain, bool showCalendar)
    {
        AppSettings stored;
        stored.KEY = "stored-refresh";
        stored.WindowPos = {20, 30, 320, 530};
        stored.WindowPosCalendar = {200, 60, 760, 460};
        stored.Zorder = mainMode;
        stored.ZorderCalendar = calendarMode;
        stored.bShowList = showMain ? 1 : 0;
        stored.bShowCalendar = showCalendar ? 1 : 0;
        ASSERT_TRUE(SettingsFile::Save(path, stored));
        InstallTokenRenewal(live);
        frame = std::make_unique<CMainFrame>(ShellServices{settings, live, login, opener, path});
        livePrompter.SetOwner(&frame->Owner());
        ASSERT_TRUE(frame->Create());
        WaitForIdleShell();
    }

    // Runs `act`, which opens a modal dialog; `inside` runs while it is open, then it is closed.
    static Opened OpenedBy(const std::function<void()>& act, const std::function<void()>& inside = {})
    {
        Opened seen;
        QTimer::singleShot(50, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            seen = {dialog->metaObject()->className(), dialog->parentWidget(),
                    dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint), dialog->frameGeometry()};
            if (inside)
                inside();
            qobject_cast<QDialog*>(dialog)->reject();
        });
        act();
        return seen;
    }

    static void Activate(QWidget* window)
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }

    QtPrompter livePrompter;
    ServiceContext live{transport, session, diagnostics, livePrompter, clock, config};
};

TEST_F(DialogOwnerTest, TheTreesQuestionOpensOverTheMainWindowAndAboveTheTopmostCalendarWindow)
{
    StartWith(kWindowModeNormal, kWindowModeTop, true, true);
    COrbCalenderDlg* main = frame->MainWindow();
    Select("t1");
    Activate(main);
    Opened question = OpenedBy([&] { QTest::keyClick(main->Tree(), Qt::Key_Delete); });
    EXPECT_EQ(question.type, "QMessageBox");
    EXPECT_EQ(question.parent, main);
    EXPECT_TRUE(question.onTop); // the calendar window beside it is topmost
    EXPECT_EQ(question.rect.center(), QRect(20, 30, 300, 500).center());

    // With the calendar window away, the main window's ordinary layer is enough.
    frame->CalendarWindow()->hide();
    question = OpenedBy([&] { QTest::keyClick(main->Tree(), Qt::Key_Delete); });
    EXPECT_EQ(question.parent, main);
    EXPECT_FALSE(question.onTop);
    EXPECT_TRUE(Writes().empty()); // both questions were declined
}

TEST_F(DialogOwnerTest, TheMonthViewsEditorOpensOverTheCalendarWindowAndItsMessageOverTheEditor)
{
    StartWith(kWindowModeNormal, kWindowModeTop, true, true);
    CCalendarDlg* calendar = frame->CalendarWindow();
    COrbCalendarCtrl* view = calendar->MonthView();
    Activate(calendar);
    view->RenderImage();
    const PixelRect day = view->cells()[16].rect; // a day without events
    Opened message;
    bool messageOverEditor = false;
    const Opened editor = OpenedBy(
        [&] {
            QTest::mouseDClick(view, Qt::LeftButton, {}, {day.left + 5, day.bottom - 5});
        },
        [&] {
            auto* dialog = qobject_cast<CInsertEventDlg*>(QApplication::activeModalWidget());
            auto* start = dialog->findChild<QDateEdit*>("1022");
            dialog->findChild<QDateEdit*>("1014")->setDate(start->date().addDays(-1));
            message = OpenedBy([&] { dialog->findChild<QPushButton*>("1019")->click(); });
            messageOverEditor = message.parent == dialog;
        });
    EXPECT_EQ(editor.type, "orb::CInsertEventDlg");
    EXPECT_EQ(editor.parent, calendar);
    EXPECT_TRUE(editor.onTop);
    EXPECT_EQ(editor.rect, QRect(270, 74, 420, 372)); // centred on (200, 60) 560 x 400
    EXPECT_EQ(message.type, "QMessageBox");
    EXPECT_TRUE(messageOverEditor);
    EXPECT_TRUE(message.onTop);
    EXPECT_EQ(message.rect.center(), QRect(270, 74, 420, 372).center());
}

TEST_F(DialogOwnerTest, WithNoWindowActiveTheOneLastActedInIsTheOwnerAndWithNoneShownTheScreenIs)
{
    StartWith(kWindowModeNormal, kWindowModeBottom, true, true);
    QApplication::setActiveWindow(nullptr);
    test::Click(frame->CalendarWindow()->MonthView(), {30, 300});
    EXPECT_EQ(frame->Owner().Choose(), frame->CalendarWindow());
    test::Click(frame->MainWindow()->Tree(), {30, 100});
    EXPECT_EQ(frame->Owner().Choose(), frame->MainWindow());

    // The tray's options with both windows put away: on top, centred on the 800 x 800 screen.
    frame->CalendarWindow()->hide();
    frame->MainWindow()->hide();
    QAction* option = frame->TrayMenu()->actions().first();
    ASSERT_EQ(option->data().toInt(), static_cast<int>(Command::Option));
    const Opened options = OpenedBy([&] { option->trigger(); });
    EXPECT_EQ(options.type, "orb::COptionDlg");
    EXPECT_EQ(options.parent, nullptr);
    EXPECT_TRUE(options.onTop);
    EXPECT_EQ(options.rect, QRect(230, 187, 340, 426));
}

} // namespace
} // namespace orb
