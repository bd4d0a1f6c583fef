#include "app/windows/main_frame.h"

#include "app/browser_sign_in/browser_sign_in.h"
#include "app/notifications/reminder_driver.h"
#include "app/qt_helpers/periodic_sync_timer.h"
#include "app/qt_helpers/window_mode.h"
#include "app/shell_core/login_page.h"
#include "app/wait_window/wait_dlg.h"
#include "app/windows/calendar_dlg.h"
#include "app/windows/edit_runner.h"
#include "app/windows/event_flows.h"
#include "app/windows/orb_calender_dlg.h"
#include "app/windows/task_flows.h"
#include "cache/local_cache.h"
#include "calendarview/orb_calendar_ctrl.h"
#include "core/diagnostics.h"
#include "resources/resources.h"
#include "service/http.h"
#include "service/oauth.h"
#include "translations/qt_text.h"
#include "widgets/log_font_qt.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace orb {

namespace {

constexpr std::size_t kTrayTipLimit = 127;
constexpr const char* kMovedAsideMessage =
    ORB_TEXT("OrbCalender",
             "The settings file could not be read; it was kept as %s and the program starts with default settings.");
constexpr const char* kCacheNotOpenedLine = "Cache not opened, data kept in memory only: ";
constexpr const char* kCacheMovedAsideLine = "Cache file moved aside: ";
// An expiry long past: the first request renews the access token.
constexpr long long kRenewBeforeUse = 1;
constexpr const char* kNotReadMessage =
    ORB_TEXT("OrbCalender", "The settings file could not be read (%s). The program starts with default "
                            "settings and leaves the file as it is: nothing is saved over it.");

template <class Work> void Post(QObject* target, Work work)
{
    if (target)
        QMetaObject::invokeMethod(target, std::move(work), Qt::QueuedConnection);
}

// How often the teardown looks again whether the closed menus and dialogs have returned.
constexpr int kUnwindPollMs = 10;
// Menus can open submenus; closing one pops the next, never more than a handful.
constexpr int kMostNestedPopups = 16;

// Every open menu, message box and dialog ends as cancelled; their loops return once
// control gets back to them.
void CloseModalLoops()
{
    for (int i = 0; i < kMostNestedPopups; ++i) {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup)
            break;
        popup->close();
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isHidden())
            continue;
        if (auto* dialog = qobject_cast<QDialog*>(widget))
            dialog->reject();
        else if (auto* wait = qobject_cast<CWaitDlg*>(widget))
            wait->EndWait();
    }
}

// Shown, raised and active, and out of the taskbar's minimised state.
void BringBack(QWidget* window)
{
    if (window->isMinimized())
        window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

CMainFrame::CMainFrame(ShellServices services) : services_(std::move(services))
{
    setObjectName("mainFrame");
    searchPool_.setMaxThreadCount(kSearchThreads);
    terminateNow = [] {
        std::fflush(stdout);
        std::_Exit(0);
    };
}

CMainFrame::~CMainFrame()
{
    if (!exiting_)
        DestroyWindows();
}

void CMainFrame::CreateTrayIcon()
{
    tray_ = new QSystemTrayIcon(ApplicationIcon(), this);
    tray_->setToolTip(QString::fromStdString(std::string(kAppTitle).substr(0, kTrayTipLimit)));
    trayMenu_ = std::make_unique<QMenu>();
    trayMenu_->setObjectName("POP_UP");
    const auto add = [this](const char* label, Command command) {
        QAction* action = trayMenu_->addAction(UiText(label));
        action->setData(static_cast<int>(command));
        connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    };
    add(kOptionLabel, Command::Option);
    add(kLogoutLabel, Command::Logout);
    trayMenu_->addSeparator();
    add(kExitLabel, Command::Exit);
    tray_->setContextMenu(trayMenu_.get());
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick)
            Post(this, [this] { RunCommand(Command::ShowLastWindow); });
    });
    tray_->show();
}

bool CMainFrame::Create()
{
    if (exiting_)
        return false;
    AppSettings& settings = services_.settings;
    if (hasTray)
        CreateTrayIcon();

    auto& context = services_.context;
    mainWindow_ = std::make_unique<COrbCalenderDlg>(settings, context.clock, context.diagnostics, context.prompter);
    mainWindow_->SetTrayAvailable(hasTray);
    connect(mainWindow_.get(), &COrbCalenderDlg::commandRequested, this, &CMainFrame::RunCommand);
    owner_.Watch(mainWindow_.get());

    SettingsFile::RemoveStaleTemporaries(services_.settingsPath);
    std::string movedAside;
    std::string failure;
    // A file that could not be read may hold a good sign-in: this run never saves over it.
    settingsRead_ = SettingsFile::Load(services_.settingsPath, settings, &movedAside, &failure);
    if (!settingsRead_)
        context.prompter.ShowMessage(WithTitle(Translated(kNotReadMessage), failure));
    if (!movedAside.empty())
        context.prompter.ShowMessage(WithTitle(Translated(kMovedAsideMessage), movedAside));
    for (const std::string& notice : services_.startupNotices)
        context.prompter.ShowMessage(notice);
    if (!services_.windowSystemNotice.empty() && !settings.bWindowSystemTold) {
        context.prompter.ShowMessage(services_.windowSystemNotice);
        settings.bWindowSystemTold = 1;
    }
    PlaceWindow(mainWindow_.get(), settings.WindowPos);

    mainWindow_->SetListFont(settings.defaultFont);
    loadingOverlay_ = new CWaitDlg(mainWindow_.get());
    loadingOverlay_->setObjectName("loadingOverlay");
    waitDialog_ = new CWaitDlg(mainWindow_.get());
    waitDialog_->setObjectName("waitDialog");
    mainWindow_->SetWindowMode(settings.Zorder);
    CreateCalendarWindow();
    mainWindow_->PrepareControls();

    loadPass_ =
        std::make_unique<LoadPass>(context, mainWindow_->Store(), settings, *mainWindow_, *this, services_.opener);
    loadPass_->saveSettings = [this] {
        std::string why;
        if (!SaveSettings(&why))
            services_.context.prompter.ShowMessage(Translated(kSettingsNotSaved) + why);
    };
    // The last sync's data comes up before the sign-in, without the network.
    loadPass_->SetCache(OpenCache());
    loadPass_->reopenCache = [this] { return OpenCache(); };
    const bool cached = loadPass_->ShowCached();
    if (cached)
        ShowStartWindows();
    if (!SignIn(cached))
        return false;
    signedIn_ = true;

    editRunner_ = std::make_unique<EditRunner>(*loadPass_, context.diagnostics, context.prompter);
    editRunner_->onEnded = [this] {
        if (exitAfterEdit_)
            QMetaObject::invokeMethod(
                this, [this] { Exit(); }, Qt::QueuedConnection);
    };
    eventFlows_ = std::make_unique<EventFlows>(context, mainWindow_->Store(), *editRunner_);
    eventFlows_->changed = [this] {
        mainWindow_->RebuildCalendarBranch();
        if (calendarWindow_)
            calendarWindow_->MonthView()->update();
    };
    taskFlows_ = std::make_unique<TaskFlows>(context, mainWindow_->Store(), *editRunner_);
    taskFlows_->changed = [this] { mainWindow_->RebuildTaskBranch(); };
    mainWindow_->SetEditing({*loadPass_, *eventFlows_, *taskFlows_, *waitDialog_});
    calendarWindow_->SetEventFlows(eventFlows_.get());
    reminders_ = std::make_unique<ReminderDriver>(
        mainWindow_->Store(), settings, context.clock, context.diagnostics,
        std::filesystem::path(services_.settingsPath).replace_filename(FiredKeys::kFileName).string());
    reminders_->SetTray(tray_);
    connect(reminders_.get(), &ReminderDriver::openRequested, this, &CMainFrame::OpenReminder);
    reminders_->Start();
    connect(mainWindow_.get(), &COrbCalenderDlg::shown, this, [this] {
        if (loadPass_ && loadPass_->IsLoading() && loadingOverlay_)
            loadingOverlay_->ShowWait();
    });
    // Passes the program starts by itself; a pass, an edit, a modal dialog or a menu holds them.
    PeriodicSyncTimer* periodicSync =
        StartPeriodicSync(this, settings, context.clock,
                          {[this] { return !exiting_ && loadPass_ && !loadPass_->IsBusy(); },
                           [this] { return loadPass_->Synchronize(PassMode::Quiet); }});
    loadPass_->passStarted = [periodicSync] { periodicSync->Schedule().NotePassStarted(); };
    // Over data already shown the first pass only brings it up to date.
    if (!cached) {
        ShowStartWindows();
        if (settings.bShowList)
            loadingOverlay_->ShowWait();
    }
    loadPass_->StartInitialLoad(cached ? PassMode::Quiet : PassMode::Normal);
    return true;
}

LocalCache* CMainFrame::OpenCache()
{
    cache_.reset();
    const std::string path = (std::filesystem::path(services_.settingsPath).parent_path() / kCacheFileName).string();
    // The account is known once the first pass reads the calendar list; until then the
    // rows stored are shown as they are.
    CacheOpening opening = LocalCache::Open(path, {}, services_.context.clock);
    Diagnostics& diagnostics = services_.context.diagnostics;
    if (!opening.movedTo.empty())
        diagnostics.WriteLine(kCacheMovedAsideLine + opening.movedTo + " (" + opening.reason + ")");
    if (!opening.cache) {
        diagnostics.WriteLine(kCacheNotOpenedLine + opening.reason);
        return nullptr;
    }
    cache_ = std::move(opening.cache);
    return cache_.get();
}

void CMainFrame::ShowStartWindows()
{
    if (services_.settings.bShowCalendar && calendarWindow_)
        calendarWindow_->show();
    if (services_.settings.bShowList)
        mainWindow_->show();
}

bool CMainFrame::SignIn(bool withCache)
{
    AppSettings& settings = services_.settings;
    ServiceContext& context = services_.context;
    // With no stored token there is nothing to refresh: straight to the sign-in.
    if (!settings.KEY.empty()) {
        const TokenRenewal renewal = RenewAccessToken(context, settings.KEY);
        if (renewal.granted) {
            context.session.set_refresh_token(settings.KEY);
            // Only a token without a stated lifetime needs asking about.
            if (context.session.expires_at() == 0)
                CheckAccessToken(context, context.session.access_token());
            return true;
        }
        if (renewal.revoked) {
            // Dead for good: never offered again, and the user learns why sign-in is back.
            settings.KEY.clear();
            context.prompter.ShowMessage(Translated(kSignInAgainMessage));
        } else if (withCache) {
            // Most likely out of reach: the cached data stays up, and the first pass tries
            // again (renewing first) and says what it could not read.
            context.session.set_refresh_token(settings.KEY);
            context.session.set_expires_at(kRenewBeforeUse);
            return true;
        }
    }
    if (!SignInByLoginPage(context, *this, settings)) {
        PostExit();
        return false;
    }
    return true;
}

void CMainFrame::CreateCalendarWindow()
{
    AppSettings& settings = services_.settings;
    // Owned by the main window, as its companion: never below it, and no taskbar entry of its own.
    calendarWindow_ = std::make_unique<CCalendarDlg>(settings, services_.context.clock, mainWindow_->Store(),
                                                     services_.context.prompter, mainWindow_.get());
    calendarWindow_->SetTrayAvailable(hasTray);
    owner_.Watch(calendarWindow_.get());
    PlaceWindow(calendarWindow_.get(), settings.WindowPosCalendar);
    calendarWindow_->MonthView()->SetCalendarFont(settings.defaultCalendarFont);
    calendarWindow_->SetWindowMode(settings.ZorderCalendar);
    connect(calendarWindow_.get(), &CCalendarDlg::synchronizeRequested, this,
            [this] { RunCommand(Command::Synchronizing); });
    connect(calendarWindow_.get(), &CCalendarDlg::treeViewRequested, this, &CMainFrame::ShowTreeView);
    // A window shown while a pass fills the store is covered like one shown before it began.
    connect(calendarWindow_.get(), &CCalendarDlg::shown, this, [this] {
        if (loadPass_ && loadPass_->IsLoading())
            calendarWindow_->Overlay()->ShowWait();
    });
    FollowMainWindowVisibility();
}

void CMainFrame::RunCommand(Command command)
{
    if (exiting_)
        return;
    switch (command) {
    case Command::Exit:
        Exit();
        return;
    case Command::Logout:
        Logout();
        return;
    case Command::Option:
        ShowOptions();
        return;
    case Command::SearchCalendar:
        ShowSearch();
        return;
    case Command::ShowLastWindow:
        ShowLastWindow();
        return;
    case Command::CalendarView:
        ShowCalendarView();
        return;
    case Command::TreeView:
        ShowTreeView();
        return;
    default:
        break;
    }
    // Each window runs its own ids and reports the rest as not handled; none sends one back.
    if (mainWindow_ && mainWindow_->RunCommand(command))
        return;
    if (calendarWindow_ && calendarWindow_->RunCommand(command))
        return;
    services_.context.diagnostics.WriteLine(kUnhandledCommandLine + std::to_string(static_cast<int>(command)));
}

void CMainFrame::ShowLastWindow()
{
    if (services_.settings.bShowCalendar && calendarWindow_)
        BringBack(calendarWindow_.get());
    else if (mainWindow_)
        BringBack(mainWindow_.get());
}

void CMainFrame::ShowCalendarView()
{
    if (!calendarWindow_)
        return;
    BringBack(calendarWindow_.get());
    mainWindow_->hide();
    services_.settings.bShowList = 0;
    services_.settings.bShowCalendar = 1;
}

void CMainFrame::ShowTreeView()
{
    if (mainWindow_)
        BringBack(mainWindow_.get());
    if (calendarWindow_)
        calendarWindow_->hide();
    services_.settings.bShowList = 1;
    services_.settings.bShowCalendar = 0;
}

void CMainFrame::Logout()
{
    if (!loadPass_ || !loadPass_->WaitForIdle(kIdleWait))
        return;
    // Without a tray nothing could bring the hidden windows back after the new sign-in.
    if (loadPass_->Logout() && !hasTray && !exiting_)
        ShowLastWindow();
}

void CMainFrame::RecordWindows()
{
    if (calendarWindow_)
        calendarWindow_->RecordState();
    if (mainWindow_)
        services_.settings.WindowPos = OuterRect(mainWindow_.get());
}

void CMainFrame::SaveAtExit()
{
    std::lock_guard lock(saveMutex_);
    if (savedAtExit_ || !settingsRead_)
        return;
    savedAtExit_ = true;
    SettingsFile::Save(services_.settingsPath, services_.settings);
}

bool CMainFrame::SaveSettings(std::string* why)
{
    std::lock_guard lock(saveMutex_);
    if (!settingsRead_) {
        if (why)
            *why = Translated(kNotReadAtStart);
        return false;
    }
    return SettingsFile::Save(services_.settingsPath, services_.settings, why);
}

void CMainFrame::Exit(bool force)
{
    if (exiting_)
        return;
    AppSettings& settings = services_.settings;
    // Visibility is recorded only once the windows were ever set up: a login cancelled at
    // start-up must not hide the main window at the next start.
    if (loadPass_ && signedIn_) {
        if (calendarWindow_)
            settings.bShowCalendar = calendarWindow_->isVisible() ? 1 : 0;
        settings.bShowList = mainWindow_ && mainWindow_->isVisible() ? 1 : 0;
    }
    // An edit ends only once control is back in its wait loop, which is below this call:
    // waiting here would always time out, so Exit goes ahead when the edit ends.
    if (!force && loadPass_ && loadPass_->IsEditing()) {
        exitAfterEdit_ = true;
        return;
    }
    const bool busy = loadPass_ && !loadPass_->WaitForIdle(force ? std::chrono::milliseconds(0) : kIdleWait);
    if (busy && !force)
        return;
    exiting_ = true;
    // A pass waiting to retry a listing must not hold up the exit.
    services_.context.transport.Stop();
    if (tray_)
        tray_->hide();
    // Recorded now, so that a save by the signal watcher, should the teardown stall, has them.
    RecordWindows();
    if (busy) {
        // A pass is still using the store: keep everything the user owns, then leave
        // without tearing down what the worker holds.
        SaveAtExit();
        terminateNow();
        return;
    }
    services_.loginPage.Cancel();
    CloseModalLoops();
    FinishExitWhenUnwound();
}

void CMainFrame::FinishExitWhenUnwound()
{
    QTimer::singleShot(0, this, [this] {
        // A menu or dialog closed by Exit still has its loop on the stack until control
        // returns to it; the windows it belongs to must outlive it.
        if (QThread::currentThread()->loopLevel() > baseLoopLevel) {
            CloseModalLoops(); // one opened since, by code that was unwinding
            QTimer::singleShot(kUnwindPollMs, this, [this] { FinishExitWhenUnwound(); });
            return;
        }
        FinishExit();
    });
}

void CMainFrame::FinishExit()
{
    if (loadPass_ && !loadPass_->WaitForIdle(std::chrono::milliseconds(0))) {
        SaveAtExit();
        terminateNow();
        return;
    }
    if (mainWindow_)
        mainWindow_->hide();
    DestroyWindows();
    emit exited();
    QCoreApplication::quit();
}

void CMainFrame::DestroyWindows()
{
    RecordWindows();
    SaveAtExit();
    reminders_.reset();        // it reads the main window's store
    calendarWindow_.reset();   // before the main window, whose store it reads
    searchPool_.waitForDone(); // a closed search sends nothing more; one in flight ends
    eventFlows_.reset();
    taskFlows_.reset();
    editRunner_.reset();
    loadPass_.reset(); // waits for a worker that is finishing
    cache_.reset();
    if (mainWindow_) {
        mainWindow_->Store().ReleaseTaskLists();
        mainWindow_.reset();
    }
    loadingOverlay_ = nullptr;
    waitDialog_ = nullptr;
}

bool CMainFrame::IsMainWindowVisible()
{
    return mainWindow_ && mainWindow_->IsShownNow();
}

bool CMainFrame::IsCalendarWindowVisible()
{
    return calendarWindow_ && calendarWindow_->IsShownNow();
}

void CMainFrame::ShowLoadingOverlay()
{
    Post(loadingOverlay_, [overlay = loadingOverlay_] { overlay->ShowWait(); });
}

void CMainFrame::HideLoadingOverlay()
{
    Post(loadingOverlay_, [overlay = loadingOverlay_] { overlay->EndWait(); });
    // A pass ends here; a refresh token it found dead means signing in again.
    if (services_.context.session.refresh_revoked())
        Post(this, [this] { SignInAgainAfterRevocation(); });
}

void CMainFrame::SignInAgainAfterRevocation()
{
    ServiceContext& context = services_.context;
    if (exiting_ || !loadPass_ || !context.session.refresh_revoked())
        return;
    loadPass_->WaitForIdle();
    context.session.set_refresh_revoked(false);
    context.prompter.ShowMessage(Translated(kSignInAgainMessage));
    loadPass_->Logout(); // forgets the dead key, signs in, loads
}

void CMainFrame::ShowCalendarOverlay()
{
    if (calendarWindow_)
        Post(calendarWindow_->Overlay(), [overlay = calendarWindow_->Overlay()] { overlay->ShowWait(); });
}

void CMainFrame::HideCalendarOverlay()
{
    if (calendarWindow_)
        Post(calendarWindow_->Overlay(), [overlay = calendarWindow_->Overlay()] { overlay->EndWait(); });
}

void CMainFrame::RepaintMonthView()
{
    if (calendarWindow_)
        Post(calendarWindow_->MonthView(), [view = calendarWindow_->MonthView()] { view->update(); });
}

void CMainFrame::HideWindows()
{
    if (calendarWindow_)
        calendarWindow_->hide();
    if (mainWindow_)
        mainWindow_->hide();
}

bool CMainFrame::ShowLoginPage(SignInGrant& grant, std::string& failure)
{
    // Exit closes the page; a page asked for after that would hold the exit up.
    if (exiting_)
        return false;
    const ServiceConfig& config = services_.context.config;
    if (config.UsesLoginPage()) {
        grant.redirectUri = config.redirectUri;
        return services_.loginPage.Run(config, grant.code);
    }
    BrowserSignIn browser(services_.opener);
    return browser.Run(config, grant, failure);
}

void CMainFrame::PostExit()
{
    Post(this, [this] { RunCommand(Command::Exit); });
}

void CMainFrame::ShowPassProblem(const PassProblem& problem)
{
    Post(this, [this, problem] {
        if (mainWindow_)
            mainWindow_->SetPassProblem(problem);
        if (calendarWindow_)
            calendarWindow_->SetPassProblem(problem);
    });
}

void CMainFrame::FollowMainWindowVisibility()
{
    const auto follow = [this] {
        if (calendarWindow_ && mainWindow_)
            calendarWindow_->SetShownAlone(!mainWindow_->IsShownNow());
    };
    connect(mainWindow_.get(), &COrbCalenderDlg::shown, calendarWindow_.get(), follow);
    connect(mainWindow_.get(), &COrbCalenderDlg::hidden, calendarWindow_.get(), follow);
    follow();
}

} // namespace orb
