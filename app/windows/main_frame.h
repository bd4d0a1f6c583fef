#pragma once

#include "app/qt_helpers/dialog_owner.h"
#include "app/shell_core/load_pass.h"
#include "app/shell_core/settings.h"
#include "core/commands.h"
#include "core/ui_text.h"

#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QSystemTrayIcon;
class QMenu;

namespace orb {

class CCalendarDlg;
class COrbCalenderDlg;
class CWaitDlg;
class EditRunner;
class EventFlows;
class TaskFlows;
class LocalCache;
class LoginPage;
class ReminderDriver;
struct Reminder;
struct ServiceContext;

// Everything the shell shares with its windows for the whole run.
struct ShellServices
{
    AppSettings& settings;
    ServiceContext& context;
    LoginPage& loginPage;
    UrlOpener& opener;
    std::string settingsPath; // "<current folder>/info.dat", fixed at start-up
    // The freedesktop autostart entry the options write or remove, and the program it
    // starts; empty when there is no place for one.
    std::string autostartEntry = {};
    std::string programPath = {};
    // Told once the windows can show it (a [Service] section that was ignored, say).
    std::vector<std::string> startupNotices = {};
    // Told once ever (the settings remember it): what this window system cannot do.
    std::string windowSystemNotice = {};
};

// The invisible frame: owns the tray icon and every window, carries out the commands the
// windows hand up, and shows the load pass's overlays.
class CMainFrame : public QObject, public PassUi
{
    Q_OBJECT

public:
    explicit CMainFrame(ShellServices services);
    ~CMainFrame() override;

    // Start-up from the tray icon to the first load. False when the user cancelled the
    // login page: the Exit command has then been posted.
    bool Create();
    // Frame commands run here; the rest go to the window that owns them. An id nobody
    // owns is written to diagnostics. Commands are ignored once Exit has begun.
    void RunCommand(Command command);
    // The Exit command. Open menus and dialogs are closed first (they return as cancelled);
    // the windows are torn down once their loops have unwound, from the top-level loop.
    // With `force` (a signal, the desktop session ending) it does not wait for a running
    // pass: the settings are saved and the program ends.
    void Exit(bool force = false);
    bool IsExiting() const { return exiting_; }
    // The settings file written at exit, at most once per run, from any thread; nothing is
    // written before the settings were read, so an early exit cannot replace the file with
    // defaults.
    void SaveAtExit();
    // The settings file written now (options, Logout); false with why when it could not be,
    // and always when the file could not be read at start.
    bool SaveSettings(std::string* why);

    // How many event loops run below the top-level one when the frame is at rest: 1 under
    // QApplication::exec, 0 where tests drive the frame directly.
    int baseLoopLevel = 0;
    // Whether the desktop has a notification area; without one the windows stay reachable
    // from the taskbar and the menus offer Exit.
    bool hasTray = true;

    COrbCalenderDlg* MainWindow() const { return mainWindow_.get(); }
    CCalendarDlg* CalendarWindow() const { return calendarWindow_.get(); }
    LoadPass* Pass() const { return loadPass_.get(); }
    QSystemTrayIcon* TrayIcon() const { return tray_; }
    QMenu* TrayMenu() const { return trayMenu_.get(); }
    // Which window a question, message or editor opens over.
    const DialogOwner& Owner() const { return owner_; }

    // Ends the process at once after a forced Exit that found a pass still running.
    std::function<void()> terminateNow;

    // PassUi
    bool IsMainWindowVisible() override;
    bool IsCalendarWindowVisible() override;
    void ShowLoadingOverlay() override;
    void HideLoadingOverlay() override;
    void ShowCalendarOverlay() override;
    void HideCalendarOverlay() override;
    void RepaintMonthView() override;
    void HideWindows() override;
    bool ShowLoginPage(SignInGrant& grant, std::string& failure) override;
    void PostExit() override;
    void ShowPassProblem(const PassProblem& problem) override;

    static constexpr int kTrayIconId = 132;
    static constexpr const char* kSignInAgainMessage = ORB_TEXT(
        "OrbCalender", "Your sign-in has expired or was withdrawn in your Google account; please sign in again.");
    static constexpr const char* kSettingsNotSaved = ORB_TEXT("OrbCalender", "The settings could not be written: ");
    static constexpr const char* kNotReadAtStart =
        ORB_TEXT("OrbCalender", "the file could not be read at start, so it is left as it is");
    static constexpr const char* kSettingsNotReadBack =
        ORB_TEXT("OrbCalender", "The settings were saved but could not be read back; the values in use stay: ");
    static constexpr const char* kAutostartNotChanged =
        ORB_TEXT("OrbCalender", "Starting with the desktop could not be changed: ");
    // The searches that may run side by side.
    static constexpr int kSearchThreads = 4;
    // The cache of the signed-in account's data, beside the settings file.
    static constexpr const char* kCacheFileName = "cache.sqlite";

signals:
    void exited();

public:
    // The line written for a command id no window handles.
    static constexpr const char* kUnhandledCommandLine = "Command not handled : ";

private:
    // With `withCache`, a stored sign-in that cannot be renewed now (the service out of
    // reach) still goes ahead, over the cached data.
    bool SignIn(bool withCache);
    // The cache beside the settings file, for whichever account it holds; null when it
    // cannot be opened (the program then keeps its data in memory only).
    LocalCache* OpenCache();
    // The windows the last run left shown.
    void ShowStartWindows();
    void CreateCalendarWindow();
    void CreateTrayIcon();
    void ShowLastWindow();
    void ShowCalendarView();
    void ShowTreeView();
    // The calendar window tells what the last load missed while the main window is away.
    void FollowMainWindowVisibility();
    void Logout();
    // A pass met a refresh token the service no longer honours: the user is told and signs in again.
    void SignInAgainAfterRevocation();
    // The options dialog; its values are kept even when the file cannot be written.
    void ShowOptions();
    // The search dialog over the calendars shown in the tree.
    void ShowSearch();
    // "Open" on a reminder: the event's editor, or the task's row in the main window.
    void OpenReminder(const Reminder& reminder);
    // The windows' rectangles and modes into the settings, then the settings to the file.
    void RecordWindows();
    void DestroyWindows();
    void FinishExitWhenUnwound();
    void FinishExit();

    ShellServices services_;
    DialogOwner owner_;
    std::unique_ptr<COrbCalenderDlg> mainWindow_;
    std::unique_ptr<CCalendarDlg> calendarWindow_;
    CWaitDlg* loadingOverlay_ = nullptr; // owned by the main window
    CWaitDlg* waitDialog_ = nullptr;     // owned by the main window
    std::unique_ptr<LocalCache> cache_;  // outlives the load pass and the flows that use it
    std::unique_ptr<LoadPass> loadPass_;
    std::unique_ptr<EditRunner> editRunner_;
    std::unique_ptr<EventFlows> eventFlows_;
    std::unique_ptr<TaskFlows> taskFlows_;
    std::unique_ptr<ReminderDriver> reminders_;
    // The search dialog's requests; waited for before the windows go.
    QThreadPool searchPool_;
    bool exitAfterEdit_ = false; // Exit came while an edit ran; it goes ahead when the edit ends
    QSystemTrayIcon* tray_ = nullptr;
    std::unique_ptr<QMenu> trayMenu_;
    bool exiting_ = false;
    bool signedIn_ = false; // start-up got past the sign-in
    std::atomic<bool> settingsRead_ = false;
    std::mutex saveMutex_;
    bool savedAtExit_ = false; // under saveMutex_
};

} // namespace orb
