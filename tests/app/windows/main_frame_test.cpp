#include "tests/app/windows/shell_fixture.h"

#include <QImage>
#include <QLabel>
#include <QSystemTrayIcon>
#include <QTextDocument>

#include <algorithm>

namespace orb {
namespace {

using test::EditShellTest;
using test::ShellTest;
namespace fs = std::filesystem;

TEST_F(ShellTest, FirstRunShowsTheLoginPageAndCancellingSavesAnEmptyKey)
{
    MakeFrame();
    EXPECT_FALSE(frame->Create());
    EXPECT_EQ(login.shown, 1);
    EXPECT_FALSE(frame->MainWindow()->isVisible());
    QCoreApplication::processEvents(); // the posted Exit
    EXPECT_TRUE(frame->IsExiting());
    WaitForExit();
    ASSERT_TRUE(fs::exists(path));
    const AppSettings saved = ReadBack();
    EXPECT_EQ(saved.KEY, "");
    EXPECT_EQ(saved.bShowList, 1); // the next start still shows the main window
}

// What the window system cannot do (Wayland without XWayland) is told at the first start
// only: the settings file remembers it across starts.
TEST_F(ShellTest, TheWindowSystemNoticeIsToldOnceAndRememberedInTheSettings)
{
    StoreKey("stored-refresh");
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE(start);
        settings = AppSettings{};
        frame = std::make_unique<CMainFrame>(
            ShellServices{settings, context, login, opener, path, {}, {}, {}, "Windows cannot be placed here."});
        frame->terminateNow = [this] { terminated = true; };
        QObject::connect(frame.get(), &CMainFrame::exited, [this] { exited = true; });
        exited = false;
        ASSERT_TRUE(frame->Create());
        WaitForIdleShell();
        ExitAndWait();
        frame.reset();
    }
    EXPECT_EQ(std::count(prompter.messages.begin(), prompter.messages.end(), "Windows cannot be placed here."), 1);
    EXPECT_EQ(ReadBack().bWindowSystemTold, 1);
}

TEST_F(ShellTest, StoredKeySignsInSilentlyAndFillsBothBranches)
{
    StoreKey("stored-refresh");
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    EXPECT_EQ(login.shown, 0);
    EXPECT_EQ(settings.KEY, "stored-refresh");
    EXPECT_EQ(session.refresh_token(), "stored-refresh");
    EXPECT_TRUE(frame->MainWindow()->isVisible());
    EXPECT_TRUE(frame->CalendarWindow()->isVisible());
    WaitForIdleShell();
    EXPECT_EQ(TopLevelTexts(), (std::vector<std::string>{"Calendar's", "Task's"}));
    EXPECT_FALSE(frame->MainWindow()->findChild<CWaitDlg*>("loadingOverlay")->isVisible());
}

// The cache beside the settings: the next start shows its rows before any answer and
// without the loading overlay; with the service out of reach they stay, the line under the
// tree says since when, and a change is refused with a message, not sent later. Logout
// deletes the cache before the next account signs in.
TEST_F(ShellTest, TheLastSyncComesUpAtStartStaysWhileOfflineAndGoesWithLogout)
{
    StoreKey("stored-refresh");
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    WaitForIdleShell();
    frame.reset();
    ASSERT_TRUE(fs::exists(CachePath()));
    EXPECT_EQ(fs::status(CachePath()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

    const ServiceConfig reachable = config;
    config.apiBase = "http://127.0.0.1:1"; // nothing listens there
    config.SetAccountsBase(config.apiBase);
    settings = AppSettings();
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    EXPECT_EQ(login.shown, 0) << "a key that cannot be renewed now is no reason to sign in again";
    QCoreApplication::processEvents();
    EXPECT_NE(test::FindRowById(*frame->MainWindow()->Tree(), "w1"), nullptr);
    EXPECT_NE(test::FindRowById(*frame->MainWindow()->Tree(), "t1"), nullptr);
    EXPECT_FALSE(frame->MainWindow()->findChild<CWaitDlg*>("loadingOverlay")->isVisible());
    WaitForIdleShell();
    EXPECT_TRUE(frame->Pass()->IsOffline());
    EXPECT_NE(test::FindRowById(*frame->MainWindow()->Tree(), "w1"), nullptr);
    const auto* line = frame->MainWindow()->findChild<QLabel*>("problemLine");
    ASSERT_NE(line, nullptr);
    frame->MainWindow()->resize(900, frame->MainWindow()->height());
    EXPECT_TRUE(line->text().startsWith("Offline: data from the last successful sync, 2026-12-08 09:00. "
                                        "Not loaded: the calendar list ("))
        << line->text().toStdString();

    frame->MainWindow()->Tree()->SelectItem(test::FindRowById(*frame->MainWindow()->Tree(), "w1"));
    QTest::keyClick(frame->MainWindow()->Tree(), Qt::Key_Delete);
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"You are offline: this change cannot be sent now. The data "
                                                          "shown is from the last successful sync."});

    config = reachable;
    frame->RunCommand(Command::Synchronizing);
    WaitForIdleShell();
    EXPECT_FALSE(frame->Pass()->IsOffline());
    EXPECT_FALSE(line->isVisibleTo(frame->MainWindow()));

    bool cacheAtSignIn = true;
    login.onShow = [&] { cacheAtSignIn = fs::exists(CachePath()); };
    login.accept = true;
    login.nextCode = service.IssueAuthorizationCode();
    frame->RunCommand(Command::Logout);
    WaitForIdleShell();
    EXPECT_FALSE(cacheAtSignIn);
    EXPECT_TRUE(fs::exists(CachePath())) << "the new sign-in's data is cached again";
}

TEST_F(ShellTest, RefusedKeyLeadsToTheLoginPageAndTheNewTokenIsKept)
{
    StoreKey("revoked-token");
    login.accept = true;
    login.nextCode = service.IssueAuthorizationCode();
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    EXPECT_EQ(login.shown, 1);
    EXPECT_NE(settings.KEY, "revoked-token");
    EXPECT_TRUE(service.IsRefreshTokenValid(settings.KEY));
    WaitForIdleShell();
}

TEST_F(ShellTest, ExitWaitsForARunningPassThenSaves)
{
    StoreKey("stored-refresh");
    service.SetLatency(std::chrono::milliseconds(300));
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    frame->RunCommand(Command::Exit);
    EXPECT_FALSE(frame->IsExiting()); // busy: ignored
    WaitForIdleShell();
    frame->MainWindow()->move(40, 50);
    ExitAndWait();
    const AppSettings saved = ReadBack();
    EXPECT_EQ(saved.KEY, "stored-refresh");
    EXPECT_EQ(saved.bShowCalendar, 1);
    EXPECT_EQ(saved.WindowPos.left, 40);
}

TEST_F(ShellTest, ForcedExitSavesEvenWhileAPassRuns)
{
    StoreKey("stored-refresh");
    service.SetLatency(std::chrono::milliseconds(300));
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    settings.Alpha = 222;
    frame->Exit(true);
    EXPECT_TRUE(terminated);
    EXPECT_EQ(ReadBack().Alpha, 222);
    EXPECT_EQ(ReadBack().KEY, "stored-refresh");
    frame->Pass()->JoinWorker();
}

TEST_F(ShellTest, LogoutThenAllowKeepsBothWindowsHiddenWithTheNewKey)
{
    StoreKey("stored-refresh");
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    WaitForIdleShell();
    login.accept = true;
    login.nextCode = service.IssueAuthorizationCode();
    frame->RunCommand(Command::Logout);
    EXPECT_EQ(login.shown, 1);
    WaitForIdleShell();
    EXPECT_FALSE(frame->MainWindow()->isVisible());
    EXPECT_FALSE(frame->CalendarWindow()->isVisible());
    EXPECT_NE(settings.KEY, "stored-refresh");
    EXPECT_EQ(TopLevelTexts(), (std::vector<std::string>{"Calendar's", "Task's"}));

    // The tray double click brings back the calendar window, the last one in use.
    frame->RunCommand(Command::ShowLastWindow);
    EXPECT_TRUE(frame->CalendarWindow()->isVisible());
}

TEST_F(ShellTest, CalendarAndTreeViewSwitchWindowsAndFlags)
{
    StoreKey("stored-refresh");
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    WaitForIdleShell();
    frame->RunCommand(Command::CalendarView);
    EXPECT_TRUE(frame->CalendarWindow()->isVisible());
    EXPECT_FALSE(frame->MainWindow()->isVisible());
    EXPECT_EQ(settings.bShowList, 0);
    EXPECT_EQ(settings.bShowCalendar, 1);
    frame->RunCommand(Command::TreeView);
    EXPECT_TRUE(frame->MainWindow()->isVisible());
    EXPECT_FALSE(frame->CalendarWindow()->isVisible());
    EXPECT_EQ(settings.bShowList, 1);
    EXPECT_EQ(settings.bShowCalendar, 0);
}

TEST_F(ShellTest, TheTrayShowsTheProgramsIconInEverySizeItShips)
{
    StoreKey("stored-refresh");
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    WaitForIdleShell();
    ASSERT_NE(frame->TrayIcon(), nullptr);
    const QIcon icon = frame->TrayIcon()->icon();
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {256, 256}}));
    // Compared premultiplied, the form a pixmap keeps, so rounding at the soft edge is the same.
    const QImage shown = icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(shown, QImage(":/icons/32.png").convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

TEST_F(ShellTest, CalendarViewDoesNothingWithoutTheCalendarWindow)
{
    MakeFrame();
    settings.bShowList = 1;
    frame->RunCommand(Command::CalendarView);
    EXPECT_EQ(settings.bShowList, 1);
    EXPECT_EQ(settings.bShowCalendar, 0);
    EXPECT_EQ(frame->CalendarWindow(), nullptr);
}

TEST_F(ShellTest, CalendarWindowModesAndKeys)
{
    StoreKey("stored-refresh");
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    WaitForIdleShell();
    CCalendarDlg* calendar = frame->CalendarWindow();
    EXPECT_EQ(calendar->minimumSize(), QSize(500, 200));
    calendar->SetWindowMode(7); // out of range: Bottom
    EXPECT_EQ(calendar->WindowMode(), 1);
    QTest::keyClick(calendar, Qt::Key_Space);
    EXPECT_EQ(calendar->WindowMode(), 2);
    calendar->SetWindowMode(4);
    QTest::keyClick(calendar, Qt::Key_Space);
    EXPECT_EQ(calendar->WindowMode(), 1);
    ExitAndWait();
    EXPECT_EQ(ReadBack().ZorderCalendar, 1);
}

// Each case opens something modal from the window and asks to exit while it is open; the
// window it lives in must outlive its loop. A case a run: an exit stops the transport for good.
class ExitWithModalOpenTest : public ShellTest, public ::testing::WithParamInterface<int>
{};

TEST_P(ExitWithModalOpenTest, ClosesItFirstAndSavesOnce)
{
    const std::vector<std::function<void()>> opens = {
        [this] { QTest::mousePress(frame->MainWindow(), Qt::RightButton, {}, QPoint(150, 10)); }, // Control menu
        [this] { frame->RunCommand(Command::About); },
        [this] { QtPrompter(&frame->Owner()).ShowMessage("<b>x</b>"); },
    };
    StoreKey("stored-refresh");
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    WaitForIdleShell();
    settings.Alpha = 201;
    bool sawModal = false;
    WhileOpen(opens[static_cast<std::size_t>(GetParam())], [&] {
        sawModal = QApplication::activePopupWidget() || QApplication::activeModalWidget();
        frame->Exit(true);
    });
    EXPECT_TRUE(sawModal);
    WaitForExit();
    EXPECT_FALSE(terminated);
    EXPECT_EQ(frame->MainWindow(), nullptr);
    EXPECT_EQ(ReadBack().Alpha, 201);
    EXPECT_EQ(ReadBack().KEY, "stored-refresh");
    // Saved once: what changes after the teardown stays out of the file.
    settings.Alpha = 150;
    frame->SaveAtExit();
    EXPECT_EQ(ReadBack().Alpha, 201);
}

INSTANTIATE_TEST_SUITE_P(MenuAboutBoxAndMessageBox, ExitWithModalOpenTest, ::testing::Values(0, 1, 2));

TEST_F(ShellTest, ExitDuringTheStartUpLoginPageEndsItAndDropsARevokedKey)
{
    StoreKey("revoked-token");
    login.modal = true;
    MakeFrame();
    bool created = true;
    WhileOpen([&] { created = frame->Create(); }, [&] { frame->Exit(true); });
    EXPECT_FALSE(created);
    WaitForExit();
    EXPECT_EQ(ReadBack().KEY, "");
}

TEST_F(ShellTest, ExitDuringTheLoginPageAfterLogoutEndsItAndTheOldKeyIsGone)
{
    // The page runs inside the load pass's own call, which must survive the exit.
    StoreKey("stored-refresh");
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    WaitForIdleShell();
    login.modal = true;
    WhileOpen([&] { frame->RunCommand(Command::Logout); }, [&] { frame->Exit(true); });
    WaitForExit();
    EXPECT_EQ(ReadBack().KEY, "");
}

TEST_F(ShellTest, AKeyRevokedWhileRunningIsDroppedAndTheSignInComesBackWithTheReason)
{
    StoreKey("stored-refresh");
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    WaitForIdleShell();
    service.RevokeAccessTokens();
    service.RevokeRefreshTokens();
    login.accept = false; // the user closes the page
    frame->RunCommand(Command::Synchronizing);
    WaitForExit();
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_EQ(prompter.messages.back(), CMainFrame::kSignInAgainMessage);
    EXPECT_EQ(login.shown, 1);
    EXPECT_EQ(ReadBack().KEY, "");
}

TEST_F(ShellTest, LogoutThenCancelForgetsTheOldKey)
{
    StoreKey("stored-refresh");
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    WaitForIdleShell();
    login.accept = false;
    frame->RunCommand(Command::Logout);
    WaitForExit();
    EXPECT_EQ(ReadBack().KEY, "");
}

TEST_F(ShellTest, LogoutForgetsTheKeyOnDiskAtOnceAndWithdrawsItAtTheService)
{
    StoreKey("stored-refresh");
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    WaitForIdleShell();
    service.ClearRequests();
    login.modal = true;
    std::string keyWhileSigningIn = "?";
    // A crash while the sign-in page is up must not bring the old account back.
    WhileOpen([&] { frame->RunCommand(Command::Logout); },
              [&] {
                  keyWhileSigningIn = ReadBack().KEY;
                  frame->Exit(true);
              });
    WaitForExit();
    EXPECT_EQ(keyWhileSigningIn, "");
    const std::vector<fake::RecordedRequest> requests = service.Requests();
    const auto revoke = std::find_if(requests.begin(), requests.end(), [](const fake::RecordedRequest& request) {
        return request.target.find("revoke") != std::string::npos;
    });
    ASSERT_NE(revoke, requests.end());
    EXPECT_EQ(revoke->method, "POST");
    EXPECT_EQ(revoke->body, "token=stored-refresh");
    EXPECT_FALSE(service.IsRefreshTokenValid("stored-refresh"));
}

TEST_F(ShellTest, AWithdrawalThatFailsIsALineAndTheSignInGoesOn)
{
    StoreKey("stored-refresh");
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    WaitForIdleShell();
    service.FailNext(1, fake::Fault{fake::FaultKind::Status, 503, {}, "revoke"});
    login.accept = true;
    login.nextCode = service.IssueAuthorizationCode();
    frame->RunCommand(Command::Logout);
    WaitForIdleShell();
    EXPECT_TRUE(diagnostics.Contains("Token Revoke Fail : 503"));
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_NE(settings.KEY, "");
    EXPECT_EQ(ReadBack().KEY, settings.KEY) << "the new sign-in is kept at once too";
    EXPECT_EQ(TopLevelTexts(), (std::vector<std::string>{"Calendar's", "Task's"}));
}

TEST_F(ShellTest, SettingsThatCouldNotBeReadAtStartAreNeverSavedOver)
{
    // Reading fails (here: a folder where the file should be) while the file may be fine; the
    // trouble passes, and the exit must not write defaults over a good sign-in.
    fs::create_directory(path);
    login.accept = true;
    login.nextCode = service.IssueAuthorizationCode();
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_EQ(
        prompter.messages[0].rfind("The settings file could not be read (cannot read " + path + ": Is a directory)", 0),
        0u)
        << prompter.messages[0];
    WaitForIdleShell();
    fs::remove(path);
    std::ofstream(path, std::ios::binary) << "[Login]\r\nKEY=good-key\r\n";
    ExitAndWait();
    EXPECT_EQ(ReadBack().KEY, "good-key");
}

TEST_F(ShellTest, AFailedCodeExchangeIsAFailedSignInAndThePageComesBack)
{
    StoreKey("revoked-token");
    // "Deny" leaves the error's name where the code would be.
    login.codes = {"access_denied", service.IssueAuthorizationCode()};
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    EXPECT_EQ(login.shown, 2);
    // Why the sign-in is back, then why it failed.
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[0], CMainFrame::kSignInAgainMessage);
    EXPECT_EQ(prompter.messages[1].rfind("Sign-in failed: ", 0), 0u) << prompter.messages[1];
    EXPECT_EQ(prompter.messages[1].find('{'), std::string::npos); // words, not the raw answer
    EXPECT_TRUE(service.IsRefreshTokenValid(settings.KEY));
    WaitForIdleShell();

    // A key that only could not be renewed now (the service failing) is kept through a
    // failed sign-in and a closed page, when there is no cached data to go on with.
    frame.reset();
    ForgetCache();
    StoreKey("stored-refresh");
    settings = AppSettings();
    service.FailNext(1, fake::Fault{fake::FaultKind::Status, 500, {}, "/o/oauth2/token"});
    login.codes = {"access_denied"};
    login.accept = false;
    MakeFrame();
    EXPECT_FALSE(frame->Create());
    WaitForExit();
    EXPECT_EQ(ReadBack().KEY, "stored-refresh");
}

TEST_F(ShellTest, EveryCommandReachesItsOwnerOnceAndUnknownIdsAreReported)
{
    StoreKey("stored-refresh");
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    WaitForIdleShell();
    int about = 0;
    frame->MainWindow()->showAbout = [&] { ++about; };
    frame->MainWindow()->chooseFont = [](const QFont&) { return std::optional<QFont>(); };
    frame->CalendarWindow()->MonthView()->SetFontChooser(
        [](const LogFont&, QWidget*) { return std::optional<LogFont>(); });
    // The search and options dialogs open and are closed again.
    std::vector<std::string> dialogs;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialogs.push_back(dialog->objectName().toStdString());
            dialog->reject();
        }
    });
    closer.start(20);
    for (const Command command : kAllCommands) {
        if (command == Command::Exit || command == Command::Logout)
            continue;
        frame->RunCommand(command);
        WaitForIdleShell(); // Synchronizing starts a pass
    }
    closer.stop();
    EXPECT_EQ(about, 1);
    std::sort(dialogs.begin(), dialogs.end());
    EXPECT_EQ(dialogs, (std::vector<std::string>{"158", "159"}));
    // Insert and delete with nothing selected do nothing, and say nothing.
    EXPECT_FALSE(diagnostics.Contains(CMainFrame::kUnhandledCommandLine));
    frame->RunCommand(static_cast<Command>(12345));
    EXPECT_TRUE(diagnostics.Contains(std::string(CMainFrame::kUnhandledCommandLine) + "12345"));
    ExitAndWait();
}

TEST_F(ShellTest, AWindowShownDuringAPassIsCoveredAndRebuildsWait)
{
    StoreKey("stored-refresh"); // the main window hidden at start, the calendar window shown
    AppSettings stored = ReadBack();
    stored.bShowList = 0;
    ASSERT_TRUE(SettingsFile::Save(path, stored));
    service.SetLatency(std::chrono::milliseconds(200));
    MakeFrame();
    ASSERT_TRUE(frame->Create());
    ASSERT_FALSE(frame->MainWindow()->isVisible());
    frame->RunCommand(Command::TreeView);
    auto* overlay = frame->MainWindow()->findChild<CWaitDlg*>("loadingOverlay");
    EXPECT_TRUE(overlay->IsWaiting());
    frame->RunCommand(Command::ViewCompleted);
    EXPECT_TRUE(diagnostics.Contains(COrbCalenderDlg::kRebuildRefusedLine));
    EXPECT_EQ(settings.nTaskViewMode, 3);
    WaitForIdleShell();
    EXPECT_FALSE(overlay->IsWaiting());
    EXPECT_EQ(TopLevelTexts(), (std::vector<std::string>{"Calendar's", "Task's"}));
}

TEST_F(ShellTest, WithoutATrayWindowsMinimiseAndTheMenuOffersExit)
{
    StoreKey("stored-refresh");
    MakeFrame();
    frame->hasTray = false;
    ASSERT_TRUE(frame->Create());
    WaitForIdleShell();
    EXPECT_EQ(frame->TrayIcon(), nullptr);
    COrbCalenderDlg* window = frame->MainWindow();
    frame->RunCommand(Command::TreeView);
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(window->isMinimized());
    EXPECT_TRUE(window->isVisible());

    QStringList items;
    WhileOpen([&] { QTest::mousePress(window, Qt::RightButton, {}, QPoint(150, 10)); },
              [&] {
                  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                  if (menu) {
                      for (QAction* action : menu->actions())
                          items << action->text();
                      // Choosing Exit there ends the program like the tray's Exit.
                      QTest::keyClick(menu, Qt::Key_Up);
                      QTest::keyClick(menu, Qt::Key_Return);
                  }
              });
    ASSERT_FALSE(items.isEmpty());
    EXPECT_EQ(items.last(), "Exit");
    EXPECT_TRUE(items.contains("Logout"));
    WaitForExit();
}

// Two listings fail: the line under the tree names the first and counts the other, its tip
// and a click name both with their reasons; the calendar window tells the same while it is
// shown alone. A pass that reads everything takes both lines away.
TEST_F(EditShellTest, APassThatCouldNotReadEverythingNamesEachFailureUntilOneThatCould)
{
    service.FailNext(1,
                     fake::Fault{fake::FaultKind::Status, 403, std::chrono::seconds(60), "/work%40example.com/events"});
    service.FailNext(1, fake::Fault{fake::FaultKind::Status, 500, std::chrono::seconds(60), "/lists/L1/tasks"});
    Start("{}");
    COrbCalenderDlg& window = *frame->MainWindow();
    CCalendarDlg& calendarWindow = *frame->CalendarWindow();
    const QString details = "Not everything could be loaded:\n"
                            "calendar 'Work' (Rate Limit Exceeded)\n"
                            "task list 'Home' (Backend Error)";
    const auto* line = window.findChild<QLabel*>("problemLine");
    ASSERT_NE(line, nullptr);
    window.resize(800, window.height());
    EXPECT_TRUE(line->isVisibleTo(&window));
    EXPECT_GT(line->geometry().top(), window.Tree()->geometry().bottom());
    EXPECT_EQ(line->text().toStdString(),
              "Not everything could be loaded: calendar 'Work' (Rate Limit Exceeded) and 1 more");
    QTextDocument tip;
    tip.setHtml(line->toolTip());
    EXPECT_EQ(tip.toPlainText().toStdString(), details.toStdString());

    // Narrowed to its least width, the line is cut; the tip and the box still say it all.
    window.resize(COrbCalenderDlg::kMinimumWidth, window.height());
    EXPECT_TRUE(line->text().endsWith(QChar(0x2026))) << line->text().toStdString();
    QTest::mouseClick(const_cast<QLabel*>(line), Qt::LeftButton);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages.back(), details.toStdString());

    // The calendar window says nothing while the main window is there, and the same once alone.
    const auto* calendarLine = calendarWindow.findChild<QLabel*>("problemLine");
    ASSERT_NE(calendarLine, nullptr);
    frame->RunCommand(Command::TreeView);
    calendarWindow.show();
    EXPECT_FALSE(calendarLine->isVisibleTo(&calendarWindow));
    frame->RunCommand(Command::CalendarView);
    ASSERT_FALSE(window.isVisible());
    ASSERT_TRUE(calendarLine->isVisibleTo(&calendarWindow));
    EXPECT_EQ(calendarLine->geometry().top(), calendarWindow.MonthView()->geometry().bottom() + 1);
    EXPECT_TRUE(calendarLine->text().startsWith("Not everything could be loaded: calendar 'Work'"));
    tip.setHtml(calendarLine->toolTip());
    EXPECT_EQ(tip.toPlainText().toStdString(), details.toStdString());
    QTest::mouseClick(const_cast<QLabel*>(calendarLine), Qt::LeftButton);
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages.back(), details.toStdString());

    frame->RunCommand(Command::Synchronizing);
    WaitForIdleShell();
    EXPECT_FALSE(line->isVisibleTo(&window));
    EXPECT_FALSE(calendarLine->isVisibleTo(&calendarWindow));
    EXPECT_EQ(calendarWindow.MonthView()->geometry(), calendarWindow.ClientRect());
}

} // namespace
} // namespace orb
