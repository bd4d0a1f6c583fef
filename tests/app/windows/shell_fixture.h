#pragma once

#include "app/qt_helpers/qt_prompter.h"
#include "app/shell_core/login_page.h"
#include "app/wait_window/wait_dlg.h"
#include "app/windows/calendar_dlg.h"
#include "app/windows/main_frame.h"
#include "app/windows/orb_calender_dlg.h"
#include "cache/local_cache.h"
#include "calendarview/orb_calendar_ctrl.h"
#include "tests/app/windows/tree_lookup.h"
#include "tests/support/stand_in.h"
#include "treelist/tree_list_ctrl.h"
#include "treelist/tree_list_item.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <json/json.h>
#include <sstream>

namespace orb::test {

namespace fs = std::filesystem;

// The whole shell against the stand-in: a frame over the real transport, a scripted login page.
class ScriptedLoginPage : public LoginPage
{
public:
    bool Run(const ServiceConfig&, std::string& code) override
    {
        ++shown;
        if (modal) {
            // A real nested loop, as the embedded browser's page runs one.
            QDialog page;
            page.setObjectName("scriptedLoginPage");
            return page.exec() == QDialog::Accepted;
        }
        if (!codes.empty()) {
            code = codes.front();
            codes.erase(codes.begin());
            return true;
        }
        if (onShow)
            onShow();
        code = nextCode;
        return accept;
    }
    std::function<void()> onShow; // runs as the page opens, before it answers
    int shown = 0;
    bool accept = false;
    bool modal = false;
    std::string nextCode;
    std::vector<std::string> codes; // answered first, each accepted
};

inline constexpr const char* kSeed = R"({
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
        frame = std::make_unique<CMainFrame>(ShellServices{settings, context, login, opener, path,
                                                           (dir / "autostart" / "orbcalender.desktop").string(),
                                                           "/opt/Orb Calender/orbcalender"});
        frame->terminateNow = [this] { terminated = true; };
        QObject::connect(frame.get(), &CMainFrame::exited, [this] { exited = true; });
    }

    // Exit tears the windows down from the event loop, once every menu and dialog it
    // closed has returned.
    void WaitForExit()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return exited; }, 5000));
    }

    void ExitAndWait()
    {
        frame->RunCommand(Command::Exit);
        WaitForExit();
    }

    // Runs `during` from the event loop once `open` has started a nested loop.
    static void WhileOpen(const std::function<void()>& open, const std::function<void()>& during)
    {
        QTimer::singleShot(50, during);
        open();
    }

    // Lets queued rows and overlay changes reach the windows.
    void WaitForIdleShell()
    {
        ASSERT_TRUE(frame->Pass());
        ASSERT_TRUE(QTest::qWaitFor([&] { return frame->Pass()->WaitForIdle(std::chrono::milliseconds(0)); }, 20000));
        frame->Pass()->JoinWorker();
        QCoreApplication::processEvents();
    }

    fs::path CachePath() const { return dir / CMainFrame::kCacheFileName; }

    // The next start finds no cached data.
    void ForgetCache() const
    {
        for (const char* suffix : {"", "-wal", "-shm"})
            fs::remove(CachePath().string() + suffix);
    }

    std::vector<std::string> TopLevelTexts() const { return orb::test::TopLevelTexts(*frame->MainWindow()->Tree()); }

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
    bool exited = false;
};

// The editing flows, started against the seed plus `extraSeed`.
class EditShellTest : public ShellTest
{
protected:
    void Start(const char* extraSeed)
    {
        std::string error;
        ASSERT_TRUE(service.SeedFromJson(extraSeed, error)) << error;
        StoreKey("stored-refresh");
        MakeFrame();
        ASSERT_TRUE(frame->Create());
        WaitForIdleShell();
        service.ClearRequests();
    }

    // Runs `act`, which opens a modal editor of type Dialog; `fill` answers it.
    template <class Dialog> void WithEditor(const std::function<void()>& act, const std::function<void(Dialog&)>& fill)
    {
        bool seen = false;
        QTimer::singleShot(50, [&] {
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
                seen = true;
                fill(*dialog);
            }
        });
        act();
        EXPECT_TRUE(seen) << "the editor did not open";
    }

    CTreeListItem* Row(const std::string& id) const { return test::FindRowById(*frame->MainWindow()->Tree(), id); }

    void Select(const std::string& id)
    {
        CTreeListItem* row = Row(id);
        ASSERT_NE(row, nullptr) << id;
        frame->MainWindow()->Tree()->SelectItem(row);
    }

    static Json::Value Body(const fake::RecordedRequest& request)
    {
        Json::Value body;
        std::stringstream(request.body) >> body;
        return body;
    }

    // The cache as another reader of the file sees it now.
    std::unique_ptr<LocalCache> ReadCache() const
    {
        CacheOpening opening = LocalCache::Open(CachePath().string(), {}, clock);
        EXPECT_TRUE(opening.cache) << opening.reason;
        return std::move(opening.cache);
    }

    // What reached the service besides the listings and the token checks.
    std::vector<fake::RecordedRequest> Writes() const
    {
        std::vector<fake::RecordedRequest> writes;
        for (const auto& request : service.Requests()) {
            if (request.method != "GET" && request.target.find("/oauth2/") == std::string::npos)
                writes.push_back(request);
        }
        return writes;
    }
};

} // namespace orb::test
