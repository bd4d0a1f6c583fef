#pragma once

#include "app/shell_core/manual_reset_event.h"
#include "app/shell_core/settings.h"
#include "app/shell_core/store.h"
#include "app/shell_core/tree_rows.h"
#include "core/prompter.h"
#include "core/url_opener.h"
#include "service/oauth.h"
#include "service/service_context.h"

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace orb {

// Receives the rows of the main window's tree. Called from the load worker as well as the
// user-interface thread: the window's implementation marshals to its own thread.
class TreeSink
{
public:
    virtual ~TreeSink() = default;
    // Appends a branch root ("Calendar's" or "Task's") as the last top-level row, expanded.
    virtual void AddBranchRoot(const std::string& text) = 0;
    // Appends rows (pre-order, levels 2 and deeper) at the end of the named branch.
    virtual void AddBranchRows(const std::string& branch, std::vector<TreeRow> rows) = 0;
    virtual void RemoveAllRows() = 0;
};

// What a pass could not load: `line` names the first failure and counts the rest, for one
// line of text; `details` names every failure with its reason, one a line. Both are empty
// when everything loaded.
struct PassProblem
{
    std::string line;
    std::string details;
};

// The windows as a load pass and Logout see them: their loading overlays, the month view,
// hiding, the sign-in, Exit and the line telling what a pass missed. Called from the load
// worker too; the window's implementation marshals to its own thread.
class PassUi
{
public:
    virtual ~PassUi() = default;
    virtual bool IsMainWindowVisible() = 0;
    virtual bool IsCalendarWindowVisible() = 0; // false while the window does not exist
    virtual void ShowLoadingOverlay() = 0;
    virtual void HideLoadingOverlay() = 0;
    virtual void ShowCalendarOverlay() = 0;
    virtual void HideCalendarOverlay() = 0;
    virtual void RepaintMonthView() = 0;
    virtual void HideWindows() = 0;
    // Runs the sign-in the configuration asks for (the login page or the browser); true with
    // what the token endpoint needs. False with `failure` saying why, or with it empty when
    // the user closed or cancelled it.
    virtual bool ShowLoginPage(SignInGrant& grant, std::string& failure) = 0;
    virtual void PostExit() = 0;
    // What the last pass could not load and why, shown under the tree; empty takes it away.
    virtual void ShowPassProblem(const PassProblem& problem) = 0;
};

// Signs in; on success exchanges the grant and keeps the new refresh token in `KEY`. A
// failed sign-in or exchange is told with its reason, and the user may try again. False
// when the user closed it or chose not to try again. `KEY` is never replaced by an empty
// token here.
// `beforeExchange` runs between the page and the exchange of its code.
bool SignInByLoginPage(ServiceContext& context, PassUi& ui, AppSettings& settings,
                       const std::function<void()>& beforeExchange = {});

constexpr const char* kSynchronizingLine = "gSynchronizingProcess";
constexpr const char* kSynchronizingBusyLine = "Synchronizing ignored: busy";
// Listings a pass reads at the same time: as many as the transport opens to one host.
constexpr std::size_t kListingsSideBySide = 16;
// Exit and Logout wait this long for the idle signal, then give up.
constexpr std::chrono::milliseconds kIdleWait{500};

// The load pass and the idle signal around it. Only one pass runs at a time: a pass starts
// from Idle (or at start-up), and a request while busy is ignored, so the store is never
// emptied under a running pass.
class LoadPass
{
public:
    // `listingsSideBySide` is how many listings a pass reads at the same time; 1 reads them
    // one after another.
    LoadPass(ServiceContext& context, LocalStore& store, AppSettings& settings, TreeSink& tree, PassUi& ui,
             UrlOpener& opener, std::size_t listingsSideBySide = kListingsSideBySide);
    ~LoadPass(); // waits for a running worker
    LoadPass(const LoadPass&) = delete;
    LoadPass& operator=(const LoadPass&) = delete;

    // Start-up: creates the idle signal unsignalled and starts the first pass on a worker.
    void StartInitialLoad();
    // The Synchronizing command: empties the tree and the store and starts a pass. Ignored
    // (false) while a pass or an edit runs.
    bool Synchronize();
    // The main window's part of Logout: forgets the stored token (in the file at once, and
    // at the service), empties, hides, signs in again and reloads. False when the login
    // page was cancelled (the program then exits).
    bool Logout();
    // Writes the settings file now; Logout calls it once the old token is forgotten and
    // again once the new one is had.
    std::function<void()> saveSettings;

    // An edit holds the idle signal unsignalled while it runs (the edit runner shows its
    // wait). Begin is refused (false) while a pass or another edit runs.
    bool BeginEdit();
    void EndEdit();
    bool IsEditing() const { return editing_; }

    // Exit and Logout: true when idle within `timeout`, or when no pass was ever started.
    bool WaitForIdle(std::chrono::milliseconds timeout = kIdleWait) const;
    bool IsBusy() const;
    // A pass is running (not an edit): a window shown now shows its loading overlay.
    bool IsLoading() const;

    // One pass on the calling thread.
    void FullLoad();

    ManualResetEvent& WaitingEvent() { return waitingEvent_; }
    ManualResetEvent& CalendarReadyEvent() { return calendarReadyEvent_; }
    // Waits until the worker thread has ended (tests, shutdown).
    void JoinWorker();

private:
    struct Options
    {
        int nCal_from = 0;
        int nCal_to = 0;
        int nTaskViewMode = 0;
        bool allExpand = false;
        std::string startPage;
    };

    Options SnapshotOptions() const;
    void FullLoad(const Options& options);
    void InitialLoadThread(const Options& options);
    void SyncThread(const Options& options);
    void StartWorker(void (LoadPass::*body)(const Options&));
    // Holds the idle signal unsignalled and runs `body` on the worker.
    void StartPass(void (LoadPass::*body)(const Options&));
    void JoinRevoker();

    ServiceContext& context_;
    LocalStore& store_;
    AppSettings& settings_;
    TreeSink& tree_;
    PassUi& ui_;
    UrlOpener& opener_;
    ManualResetEvent waitingEvent_;
    ManualResetEvent calendarReadyEvent_;
    bool waitingEventCreated_ = false; // user-interface thread only
    bool editing_ = false;             // user-interface thread only
    const std::size_t sideBySide_;
    std::thread worker_;
    std::thread revoker_; // withdraws a logged-out refresh token
};

} // namespace orb
