#include "app/calendar_dlg.h"
#include "app/login_page.h"
#include "app/main_frame.h"
#include "app/orb_calender_dlg.h"
#include "app/wait_dlg.h"
#include "tests/support/stand_in.h"
#include "treelist/tree_list_ctrl.h"
#include "treelist/tree_list_item.h"

#include <QCoreApplication>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace orb {
namespace {

namespace fs = std::filesystem;

class ScriptedLoginPage : public LoginPage
{
public:
    bool Run(const ServiceConfig&, std::string& code) override
    {
        ++shown;
        code = nextCode;
        return accept;
    }
    int shown = 0;
    bool accept = false;
    std::string nextCode;
};

constexpr const char* kSeed = R"({
  "oauth": {"accessTokens": ["t1"], "refreshTokens": ["stored-refresh"]},
  "calendar": {"calendars": [
    {"id": "work@example.com", "summary": "Work", "colorId": "14", "accessRole": "owner", "selected": true,
     "events": [{"id": "w1", "summary": "Review", "start": {"date": "2026-12-08"}, "end": {"date": "2026-12-09"}}]}]},
  "tasks": {"taskLists": [{"id": "L1", "title": "Home", "tasks": [{"id": "t1", "title": "Milk"}]}]}
})";

class ShellTest : public ::testing::Test, protected test::StandInServices
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(StartStandIn(error)) << error;
        ASSERT_TRUE(service.SeedFromJson(kSeed, error)) << error;
        dir = fs::temp_directory_path() / ("orb-shell-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = SettingsFile::PathIn(dir.string());
    }

    void TearDown() override
    {
        frame.reset();
        fs::remove_all(dir);
    }

    void StoreKey(const std::string& key)
    {
        AppSettings stored;
        stored.KEY = key;
        stored.bShowCalendar = 1;
        ASSERT_TRUE(SettingsFile::Save(path, stored));
    }

    void MakeFrame()
    {
        frame = std::make_unique<CMainFrame>(ShellServices{settings, context, login, opener, path});
        frame->terminateNow = [this] { terminated = true; };
    }

    // Lets queued rows and overlay changes reach the windows.
    void WaitForIdleShell()
    {
        ASSERT_TRUE(frame->Pass());
        ASSERT_TRUE(QTest::qWaitFor([&] { return frame->Pass()->WaitForIdle(std::chrono::milliseconds(0)); }, 20000));
        frame->Pass()->JoinWorker();
        QCoreApplication::processEvents();
    }

    std::vector<std::string> TopLevelTexts() const
    {
        std::vector<std::string> texts;
        for (CTreeListItem* item = frame->MainWindow()->Tree()->GetRootItem()->firstChild; item;
             item = item->nextSibling)
            texts.push_back(item->texts[kNameColumn]);
        return texts;
    }

    AppSettings ReadBack() const
    {
        AppSettings read;
        SettingsFile::Load(path, read);
        return read;
    }

    ScriptedLoginPage login;
    test::RecordingUrlOpener opener;
    AppSettings settings;
    fs::path dir;
    std::string path;
    std::unique_ptr<CMainFrame> frame;
    bool terminated = false;
};

TEST_F(ShellTest, FirstRunShowsTheLoginPageAndCancellingSavesAnEmptyKey)
{
    MakeFrame();
    EXPECT_FALSE(frame->Create());
    EXPECT_EQ(login.shown, 1);
    EXPECT_FALSE(frame->MainWindow()->isVisible());
    QCoreApplication::processEvents(); // the posted Exit
    EXPECT_TRUE(frame->IsExiting());
    ASSERT_TRUE(fs::exists(path));
    const AppSettings saved = ReadBack();
    EXPECT_EQ(saved.KEY, "");
    EXPECT_EQ(saved.bShowList, 1); // the next start still shows the main window
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
    frame->RunCommand(Command::Exit);
    EXPECT_TRUE(frame->IsExiting());
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
    frame->RunCommand(Command::Exit);
    EXPECT_EQ(ReadBack().ZorderCalendar, 1);
}

} // namespace
} // namespace orb
