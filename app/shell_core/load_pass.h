#pragma once

#include "app/shell_core/manual_reset_event.h"
#include "app/shell_core/settings.h"
#include "app/shell_core/store.h"
#include "app/shell_core/tree_rows.h"
#include "cache/local_cache.h"
#include "core/prompter.h"
#include "core/url_opener.h"
#include "service/listing.h"
#include "service/oauth.h"
#include "service/service_context.h"
#include "service/sync_state.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
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
    // Makes the branch ("Calendar's" or "Task's") show `rows` (pre-order, levels 2 and
    // deeper), adding its root when it is missing: "Calendar's" first, "Task's" last, both
    // expanded. A row already shown (by its id under the same parent) keeps its item and
    // changes only what differs; new rows come in at their place, gone ones go. Expansion,
    // selection and the scroll position stay; rows equal to what is shown change nothing.
    virtual void UpdateBranchRows(const std::string& branch, std::vector<TreeRow> rows) = 0;
    virtual void RemoveAllRows() = 0;
};

// What a pass could not load: `line` names the first failure and counts the rest, for one
// line of text; `details` names every failure with its reason, one a line. Both are empty
// when everything loaded. When nothing reached the service, both say first that the data
// shown is from the last successful sync, and when that was.
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

// A Normal pass covers the windows with their loading overlays; a Quiet one (a pass nobody
// asked for just now, or one over data already shown) changes nothing but the rows, and
// leaves the focus where it is.
enum class PassMode
{
    Normal,
    Quiet,
};

constexpr const char* kSynchronizingLine = "gSynchronizingProcess";
constexpr const char* kSynchronizingBusyLine = "Synchronizing ignored: busy";
// Listings a pass reads at the same time: as many streams as an HTTP/2 server takes on one
// connection (Google's and nghttpx's 100), so a large account is read in one wave. Over
// HTTP/1.1 the transport's 32 connections serve them and the rest wait in its queue.
constexpr std::size_t kListingsSideBySide = 100;
// While listings arrive, the tree hears a branch's rows at most this often.
constexpr std::chrono::milliseconds kShowEvery{100};
// Exit and Logout wait this long for the idle signal, then give up.
constexpr std::chrono::milliseconds kIdleWait{500};

// The load pass and the idle signal around it. Only one pass runs at a time: a pass starts
// from Idle (or at start-up), and a request while busy is ignored.
//
// A pass merges into the store and the tree in place. It reads the calendar list and the
// task lists whole, and at the same time the changes of every calendar and list it knows
// (from the cache or an earlier pass); what the lists show new is read whole next. Each
// listing's result goes to the cache on the worker, one transaction per listing.
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

    // The cache passes read from and write to; null (the default) keeps everything in memory.
    void SetCache(LocalCache* cache);
    // Start-up, before sign-in, without the network: the cache's data into the store and the
    // tree, in today's window. True when there was data to show.
    bool ShowCached();
    // Start-up: creates the idle signal unsignalled and starts the first pass on a worker.
    void StartInitialLoad(PassMode mode = PassMode::Normal);
    // The Synchronizing command: starts a pass. Ignored (false) while a pass or an edit runs.
    bool Synchronize(PassMode mode = PassMode::Normal);
    // The last pass reached the service with none of its listings: what is shown is from
    // the last successful sync.
    bool IsOffline() const { return offline_; }
    // When every listing of a pass last succeeded, "YYYY-MM-DD HH:MM" local; empty when never.
    std::string LastCompleteSync() const;
    // The cache edits write through to, while it holds the signed-in account's data; null
    // otherwise. User-interface thread, while no pass runs.
    LocalCache* WritableCache() const { return CacheWritable() ? cache_ : nullptr; }
    // The main window's part of Logout: forgets the stored token (in the file at once, and
    // at the service), empties, hides, signs in again and reloads. False when the login
    // page was cancelled (the program then exits).
    bool Logout();
    // Writes the settings file now; Logout calls it once the old token is forgotten and
    // again once the new one is had.
    std::function<void()> saveSettings;
    // Logout deletes the cache's files; once the next account has signed in, this gives the
    // cache to use from then on (null for none).
    std::function<LocalCache*()> reopenCache;
    // Runs on the calling thread whenever a pass starts, whoever asked for it.
    std::function<void()> passStarted;

    // An edit holds the idle signal unsignalled while it runs (the edit runner shows its
    // wait). Begin is refused (false) while a pass or another edit runs.
    bool BeginEdit();
    void EndEdit();
    bool IsEditing() const { return editing_; }

    // Exit and Logout: true when idle within `timeout`, or when no pass was ever started.
    bool WaitForIdle(std::chrono::milliseconds timeout = kIdleWait) const;
    bool IsBusy() const;
    // A Normal pass is running (not an edit): a window shown now shows its loading overlay.
    bool IsLoading() const;

    // One pass on the calling thread: each listing whole where nothing is known of it,
    // otherwise its changes.
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
        bool quiet = false;
    };
    struct PassWork;
    struct Wave;

    Options SnapshotOptions() const;
    // True when the store changed.
    bool FullLoad(const Options& options);
    void RunWave(PassWork& work, Wave& wave);
    void ReleaseCalendarList(PassWork& work, Wave& wave);
    void ReleaseTaskLists(PassWork& work, Wave& wave);
    void ReleaseEvents(PassWork& work, Wave& wave, std::size_t job);
    void ReleaseTasks(PassWork& work, Wave& wave, std::size_t job);
    // The listed account's primary calendar id claims the cache; another account's data goes.
    void ClaimAccount(PassWork& work, const std::vector<CalendarRecord>& listed);
    void NoteFailure(PassWork& work, const std::string& what, const ListingFailure& failure);
    // Tells the tree the branch's rows when they differ from what it was told last.
    void ShowBranch(const std::string& branch, PassWork* work);
    // A wave of a hundred listings ends within milliseconds, and showing the whole branch
    // after each one cost more than reading them: while a wave runs a branch is shown at
    // most every kShowEvery, and what is left when the wave ends.
    void ShowBranchSoon(const std::string& branch, PassWork& work);
    void ShowUnshown(PassWork& work);
    SyncState KnownState(const std::string& key);
    void ForgetState(const std::string& key);
    bool CacheWritable() const { return cache_ && cacheAccountKnown_; }
    void Report(const CacheResult& result);
    // Times what the pass's worker spends writing to the cache; the pass tells the sum.
    void WriteCache(PassWork& work, const std::function<CacheResult()>& write);
    void InitialLoadThread(const Options& options);
    void SyncThread(const Options& options);
    void StartWorker(void (LoadPass::*body)(const Options&), PassMode mode);
    // Holds the idle signal unsignalled and runs `body` on the worker.
    void StartPass(void (LoadPass::*body)(const Options&), PassMode mode);
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
    std::atomic<bool> quietPass_ = false;
    // The rest is used by the running pass, or by the user-interface thread while idle.
    LocalCache* cache_ = nullptr;
    bool cacheAccountKnown_ = false; // the cache's rows are the signed-in account's
    std::map<std::string, SyncState> states_;
    std::map<std::string, std::vector<TreeRow>> shownRows_; // by branch
    std::atomic<bool> offline_ = false;
    mutable std::mutex stampMutex_;
    std::string lastCompleteSync_; // under stampMutex_
    const std::size_t sideBySide_;
    std::thread worker_;
    std::thread revoker_; // withdraws a logged-out refresh token
};

} // namespace orb
