#pragma once

#include "app/commands.h"
#include "app/load_pass.h"
#include "app/settings.h"

#include <QObject>
#include <functional>
#include <memory>
#include <string>

class QSystemTrayIcon;
class QMenu;

namespace orb {

class CCalendarDlg;
class COrbCalenderDlg;
class CWaitDlg;
class LoginPage;
struct ServiceContext;

// Everything the shell shares with its windows for the whole run.
struct ShellServices
{
    AppSettings& settings;
    ServiceContext& context;
    LoginPage& loginPage;
    UrlOpener& opener;
    std::string settingsPath; // "<current folder>/info.dat", fixed at start-up
};

// The invisible frame: owns the tray icon and every window, carries out the commands the
// windows hand up, and shows the overlays and wait dialogs for the load pass.
class CMainFrame : public QObject, public WaitUi
{
    Q_OBJECT

public:
    explicit CMainFrame(ShellServices services);
    ~CMainFrame() override;

    // Start-up from the tray icon to the first load. False when the user cancelled the
    // login page: the Exit command has then been posted.
    bool Create();
    void RunCommand(Command command);
    // The Exit command. With `force` (a signal, the desktop session ending) it does not
    // wait for a running pass: the settings are saved and the program ends.
    void Exit(bool force = false);
    bool IsExiting() const { return exiting_; }

    COrbCalenderDlg* MainWindow() const { return mainWindow_.get(); }
    CCalendarDlg* CalendarWindow() const { return calendarWindow_.get(); }
    LoadPass* Pass() const { return loadPass_.get(); }
    QSystemTrayIcon* TrayIcon() const { return tray_; }
    QMenu* TrayMenu() const { return trayMenu_.get(); }

    // Where the options dialog comes from; until it exists "Option" does nothing.
    std::function<void()> showOptions;
    // Ends the process at once after a forced Exit that found a pass still running.
    std::function<void()> terminateNow;

    // WaitUi
    bool IsMainWindowVisible() override;
    bool IsCalendarWindowVisible() override;
    void ShowLoadingOverlay() override;
    void HideLoadingOverlay() override;
    void ShowCalendarOverlay() override;
    void HideCalendarOverlay() override;
    void ShowCalendarWaitDialog() override;
    void EndCalendarWaitDialog() override;
    void RepaintMonthView() override;
    void ShowWaitDialog() override;
    void EndWaitDialog() override;
    void SetWaitMessage(const std::string& text) override;
    void HideWindows() override;
    bool ShowLoginPage(std::string& code) override;
    void PostExit() override;

    static constexpr int kTrayIconId = 132;

signals:
    void exited();

private:
    bool SignIn();
    void CreateCalendarWindow();
    void CreateTrayIcon();
    void ShowLastWindow();
    void ShowCalendarView();
    void ShowTreeView();
    void Logout();
    // The windows' rectangles and modes into the settings, then the settings to the file.
    void RecordWindowsAndSave();
    void DestroyWindows();

    ShellServices services_;
    std::unique_ptr<COrbCalenderDlg> mainWindow_;
    std::unique_ptr<CCalendarDlg> calendarWindow_;
    CWaitDlg* loadingOverlay_ = nullptr; // owned by the main window
    CWaitDlg* waitDialog_ = nullptr;     // owned by the main window
    std::unique_ptr<LoadPass> loadPass_;
    QSystemTrayIcon* tray_ = nullptr;
    std::unique_ptr<QMenu> trayMenu_;
    bool exiting_ = false;
};

} // namespace orb
