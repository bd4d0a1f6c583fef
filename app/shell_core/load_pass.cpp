#include "app/shell_core/load_pass.h"

#include "app/shell_core/side_by_side.h"
#include "app/shell_core/store_merge.h"
#include "core/diagnostics.h"
#include "core/shorten_text.h"
#include "core/ui_text.h"
#include "service/calendar_client.h"
#include "service/event_client.h"
#include "service/oauth.h"
#include "tasks/tasks_client.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <set>
#include <utility>

namespace orb {

namespace {

constexpr const char* kSignInFailedPrefix = ORB_TEXT("OrbCalender", "Sign-in failed: ");
constexpr const char* kTryAgainQuestion = ORB_TEXT("OrbCalender", "\n\nTry again?");
constexpr const char* kPassProblemTitle = ORB_TEXT("OrbCalender", "Not everything could be loaded:");
constexpr const char* kCalendarListName = ORB_TEXT("OrbCalender", "the calendar list");
constexpr const char* kTaskListsName = ORB_TEXT("OrbCalender", "the task lists");
constexpr const char* kCalendarNamed = ORB_TEXT("OrbCalender", "calendar '%s'");
constexpr const char* kTaskListNamed = ORB_TEXT("OrbCalender", "task list '%s'");
// Short, so that the date still shows in a narrow window.
constexpr const char* kOfflineTitle = ORB_TEXT("OrbCalender", "Offline: data from the last successful sync, %s.");
constexpr const char* kNotLoadedTitle = ORB_TEXT("OrbCalender", "Not loaded:");
constexpr const char* kMoreFailures = ORB_TEXT("OrbCalender", " and %s more");
constexpr const char* kStampFormat = "%Y-%m-%d %H:%M";
constexpr std::size_t kDayLength = 10; // "YYYY-MM-DD"
constexpr const char* kCacheFailureLine = "Cache : ";
constexpr const char* kCacheWritesLine = "Cache : writes of the pass : ";
constexpr const char* kAccountChangedLine = "Cache : another account's data dropped for ";

std::string Failure(const std::pair<std::string, std::string>& failure)
{
    return failure.first + " (" + failure.second + ")";
}

SyncState SucceededAt(const std::string& stamp)
{
    SyncState state;
    state.lastSuccess = stamp;
    return state;
}

// With `lastSync`, the pass reached nothing and the data shown is that sync's.
PassProblem DescribeFailures(const std::vector<std::pair<std::string, std::string>>& failures,
                             const std::string& lastSync = {})
{
    if (failures.empty())
        return {};
    const std::string title =
        lastSync.empty() ? Translated(kPassProblemTitle) : WithTitle(Translated(kOfflineTitle), lastSync);
    const std::string notLoaded = Translated(kNotLoadedTitle);
    const std::string listTitle = lastSync.empty() ? std::string() : " " + notLoaded;
    PassProblem problem;
    problem.line = title + listTitle + " " + Failure(failures.front());
    if (failures.size() > 1)
        problem.line += WithTitle(Translated(kMoreFailures), std::to_string(failures.size() - 1));
    problem.details = title + (lastSync.empty() ? std::string() : "\n" + notLoaded);
    for (const auto& failure : failures)
        problem.details += "\n" + Failure(failure);
    return problem;
}

std::string DisplayName(const CalendarRecord& calendar)
{
    return calendar.summary.empty() ? calendar.id : calendar.summary;
}

} // namespace

LoadPass::LoadPass(ServiceContext& context, LocalStore& store, AppSettings& settings, TreeSink& tree, PassUi& ui,
                   UrlOpener& opener, std::size_t listingsSideBySide)
    : context_(context), store_(store), settings_(settings), tree_(tree), ui_(ui), opener_(opener),
      sideBySide_(listingsSideBySide)
{}

LoadPass::~LoadPass()
{
    JoinWorker();
    JoinRevoker();
}

void LoadPass::JoinRevoker()
{
    if (revoker_.joinable())
        revoker_.join();
}

void LoadPass::JoinWorker()
{
    if (worker_.joinable())
        worker_.join();
}

LoadPass::Options LoadPass::SnapshotOptions() const
{
    // Taken on the user-interface thread, the only writer of the settings.
    return {settings_.nCal_from, settings_.nCal_to, settings_.nTaskViewMode, settings_.bAllExpend != 0,
            context_.config.startPage};
}

void LoadPass::StartWorker(void (LoadPass::*body)(const Options&), PassMode mode)
{
    JoinWorker(); // the previous pass has signalled idle; its thread is ending
    Options options = SnapshotOptions();
    options.quiet = mode == PassMode::Quiet;
    quietPass_ = options.quiet;
    worker_ = std::thread([this, body, options] { (this->*body)(options); });
}

void LoadPass::StartPass(void (LoadPass::*body)(const Options&), PassMode mode)
{
    waitingEvent_.Reset();
    waitingEventCreated_ = true;
    StartWorker(body, mode);
    if (passStarted)
        passStarted();
}

void LoadPass::StartInitialLoad(PassMode mode)
{
    StartPass(&LoadPass::InitialLoadThread, mode);
}

void LoadPass::SetCache(LocalCache* cache)
{
    cache_ = cache;
    cacheAccountKnown_ = false;
    if (cache_) {
        const CacheRead<CacheMeta> meta = cache_->ReadMeta();
        cacheAccountKnown_ = meta.ok && !meta.value.account.empty();
    }
}

std::string LoadPass::LastCompleteSync() const
{
    std::lock_guard lock(stampMutex_);
    return lastCompleteSync_;
}

bool LoadPass::ShowCached()
{
    if (!cache_)
        return false;
    const EventListRange window = MakeEventListRange(context_.clock, settings_.nCal_from, settings_.nCal_to);
    // The window's days; what lies outside is the first pass's to drop.
    const DayRange days{window.timeMin.substr(0, kDayLength), window.timeMax.substr(0, kDayLength)};
    CacheRead<std::vector<CalendarRecord>> calendars = cache_->ReadCalendars(days);
    CacheRead<std::vector<TaskListInfo>> lists = cache_->ReadTaskLists();
    Report({calendars.ok, calendars.failure});
    Report({lists.ok, lists.failure});
    if (calendars.value.empty() && lists.value.empty())
        return false;
    for (CalendarRecord& calendar : calendars.value) {
        OrderEventsByStart(calendar.events);
        states_[EventsKey(calendar.id)] = cache_->ReadSyncState(EventsKey(calendar.id)).value;
    }
    for (const TaskListInfo& list : lists.value)
        states_[TasksKey(list.id)] = cache_->ReadSyncState(TasksKey(list.id)).value;
    {
        std::lock_guard lock(stampMutex_);
        lastCompleteSync_ = cache_->ReadMeta().value.lastCompleteSync;
    }
    store_.Write([&](LocalStore::Data& data) {
        data.calendars = std::move(calendars.value);
        data.taskLists = std::move(lists.value);
    });
    ShowBranch(kCalendarBranch, nullptr);
    ShowBranch(kTaskBranch, nullptr);
    ui_.RepaintMonthView();
    return true;
}

void LoadPass::Report(const CacheResult& result)
{
    if (!result.ok)
        context_.diagnostics.WriteLine(kCacheFailureLine + result.failure);
}

SyncState LoadPass::KnownState(const std::string& key)
{
    const auto found = states_.find(key);
    return found == states_.end() ? SyncState{} : found->second;
}

void LoadPass::ForgetState(const std::string& key)
{
    states_.erase(key);
}

bool SignInByLoginPage(ServiceContext& context, PassUi& ui, AppSettings& settings,
                       const std::function<void()>& beforeExchange)
{
    for (;;) {
        SignInGrant grant;
        std::string failure;
        if (ui.ShowLoginPage(grant, failure)) {
            if (beforeExchange)
                beforeExchange();
            if (ExchangeAuthorizationCode(context, grant, failure)) {
                // A service may grant access without a new refresh token; the stored one stays.
                if (const std::string refresh = context.session.refresh_token(); !refresh.empty())
                    settings.KEY = refresh;
                return true;
            }
        } else if (failure.empty()) {
            return false; // closed or cancelled
        }
        // The login page simply comes back; the browser is opened again only if the user wants.
        if (context.config.UsesLoginPage())
            context.prompter.ShowMessage(Translated(kSignInFailedPrefix) + failure);
        else if (!context.prompter.AskYesNo(Translated(kSignInFailedPrefix) + failure + Translated(kTryAgainQuestion)))
            return false;
    }
}

bool LoadPass::IsBusy() const
{
    return editing_ || (waitingEventCreated_ && !waitingEvent_.IsSet());
}

bool LoadPass::IsLoading() const
{
    return !editing_ && !quietPass_ && waitingEventCreated_ && !waitingEvent_.IsSet();
}

bool LoadPass::Synchronize(PassMode mode)
{
    if (IsBusy()) {
        context_.diagnostics.WriteLine(kSynchronizingBusyLine);
        return false;
    }
    if (mode == PassMode::Normal && ui_.IsMainWindowVisible())
        ui_.ShowLoadingOverlay();
    context_.diagnostics.WriteLine(kSynchronizingLine);
    StartPass(&LoadPass::SyncThread, mode);
    return true;
}

bool LoadPass::Logout()
{
    const std::string oldToken = settings_.KEY.empty() ? context_.session.refresh_token() : settings_.KEY;
    // Whatever happens next (a crash too), the old user's token must not sign anyone in at
    // the next start.
    settings_.KEY.clear();
    context_.session.set_refresh_token({});
    context_.session.set_tokens({}, {});
    if (saveSettings)
        saveSettings();
    // Withdrawn at the service too, off this thread; a failure is only a diagnostics line.
    JoinRevoker();
    revoker_ = std::thread([this, oldToken] { RevokeToken(context_, oldToken); });
    tree_.RemoveAllRows();
    store_.Empty();
    shownRows_.clear();
    states_.clear();
    offline_ = false;
    {
        std::lock_guard lock(stampMutex_);
        lastCompleteSync_.clear();
    }
    // The old account's data must not outlive its sign-in, on screen or on disk.
    if (cache_) {
        Report(cache_->CloseAndDeleteFiles());
        SetCache(nullptr);
    }
    ui_.HideWindows();
    // The same account signing in again gets a grant the late withdrawal must not take.
    if (!SignInByLoginPage(context_, ui_, settings_, [this] { JoinRevoker(); })) {
        ui_.PostExit();
        return false;
    }
    // Kept at once as well: a crash must not cost the new sign-in either.
    if (saveSettings)
        saveSettings();
    if (reopenCache)
        SetCache(reopenCache());
    StartPass(&LoadPass::SyncThread, PassMode::Normal);
    return true;
}

bool LoadPass::BeginEdit()
{
    if (IsBusy())
        return false;
    editing_ = true;
    waitingEvent_.Reset();
    waitingEventCreated_ = true;
    return true;
}

void LoadPass::EndEdit()
{
    editing_ = false;
    waitingEvent_.Set();
}

bool LoadPass::WaitForIdle(std::chrono::milliseconds timeout) const
{
    if (!waitingEventCreated_)
        return true;
    return waitingEvent_.WaitFor(timeout);
}

void LoadPass::FullLoad()
{
    FullLoad(SnapshotOptions());
}

// What one pass carries from listing to listing; used on the pass's thread only.
struct LoadPass::PassWork
{
    Options options;
    std::string today;
    EventListRange window;
    std::string stamp; // now, local: when a listing or the whole pass last succeeded
    std::vector<std::pair<std::string, std::string>> failures; // what, why; in pass order
    std::size_t attempted = 0;
    std::size_t unreached = 0;
    bool accountReset = false; // the data shown belonged to another account and went
    bool storeChanged = false;
    // Added to the store by this pass: their rows are expanded as a load expands them.
    std::set<std::string> freshCalendars;
    std::set<std::string> freshLists;
    // Read (or failed) in this pass; the rest the lists name are read whole next.
    std::set<std::string> doneCalendars;
    std::set<std::string> doneLists;
    std::deque<HeldReports> reports;
    // Each calendar's and list's rows as last built in this pass, by id, until its records
    // change: every finished listing shows its whole branch, and rebuilding the rows of all
    // the others each time made a pass quadratic in the rows.
    struct BuiltRows
    {
        std::vector<TreeRow> rows;
        std::vector<TaskNode*> nodes; // a list's: the node of each row, whose expansion may change
    };
    std::map<std::string, BuiltRows> calendarRows;
    std::map<std::string, BuiltRows> listRows;
    std::size_t cacheWrites = 0;
    std::chrono::steady_clock::duration cacheTime{};
    // When a listing's branch was last shown, and the branches changed since, in the order
    // they changed: the tree still hears them in job order.
    std::optional<std::chrono::steady_clock::time_point> lastShown;
    std::vector<std::string> unshown;
};

// One set of listings read side by side, and what each brought.
struct LoadPass::Wave
{
    bool withLists = false;                 // jobs 0 and 1 are the calendar list and the task lists
    std::vector<CalendarRecord> calendars;  // whose events are read, without their events
    std::vector<std::string> calendarZones; // each one's time zone when the wave began
    std::vector<SyncState> calendarSince;
    std::vector<TaskListInfo> lists; // whose tasks are read, without their tasks
    std::vector<SyncState> listSince;

    bool calendarsListed = false;
    std::vector<CalendarRecord> listedCalendars;
    ListingFailure calendarsFailure;
    bool listsListed = false;
    std::vector<TaskListInfo> listedLists;
    ListingFailure listsFailure;
    std::vector<EventListing> eventListings;
    std::vector<TaskListing> taskListings;

    std::size_t Offset() const { return withLists ? 2 : 0; }
    std::size_t Count() const { return Offset() + calendars.size() + lists.size(); }
};

bool LoadPass::FullLoad(const Options& options)
{
    PassWork work;
    work.options = options;
    work.today = TodayIsoDate(context_.clock);
    work.window = MakeEventListRange(context_.clock, options.nCal_from, options.nCal_to);
    work.stamp = FormatLocal(context_.clock.Now(), kStampFormat);
    // The event listings do not check the token themselves.
    EnsureAccessToken(context_);

    // First wave: the two lists, and the changes of every calendar and list known already.
    Wave first;
    first.withLists = true;
    store_.Write([&](LocalStore::Data& data) {
        for (CalendarRecord& calendar : CalendarsWithoutEvents(data.calendars)) {
            if (!IsSelected(calendar))
                continue;
            first.calendarZones.push_back(calendar.timeZone);
            first.calendarSince.push_back(KnownState(EventsKey(calendar.id)));
            first.calendars.push_back(std::move(calendar));
        }
        for (TaskListInfo& list : ListsWithoutTasks(data.taskLists)) {
            first.listSince.push_back(KnownState(TasksKey(list.id)));
            first.lists.push_back(std::move(list));
        }
    });
    RunWave(work, first);

    // Second wave: whatever the lists brought that the first did not read, read whole.
    Wave second;
    store_.Write([&](LocalStore::Data& data) {
        for (CalendarRecord& calendar : CalendarsWithoutEvents(data.calendars)) {
            if (!IsSelected(calendar) || work.doneCalendars.contains(calendar.id))
                continue;
            second.calendarZones.push_back(calendar.timeZone);
            second.calendarSince.emplace_back();
            second.calendars.push_back(std::move(calendar));
        }
        for (TaskListInfo& list : ListsWithoutTasks(data.taskLists)) {
            if (work.doneLists.contains(list.id))
                continue;
            second.listSince.emplace_back();
            second.lists.push_back(std::move(list));
        }
    });
    if (second.Count() > 0)
        RunWave(work, second);

    // A first pass shows both roots, whatever it could read.
    ShowBranch(kCalendarBranch, &work);
    ShowBranch(kTaskBranch, &work);

    offline_ = work.attempted > 0 && work.unreached == work.attempted;
    if (work.failures.empty()) {
        std::lock_guard lock(stampMutex_);
        lastCompleteSync_ = work.stamp;
    }
    if (work.failures.empty() && CacheWritable())
        WriteCache(work, [&] { return cache_->WriteLastCompleteSync(work.stamp); });
    ui_.ShowPassProblem(DescribeFailures(work.failures, offline_ ? LastCompleteSync() : std::string()));
    if (work.cacheWrites > 0)
        context_.diagnostics.WriteLine(
            kCacheWritesLine + std::to_string(work.cacheWrites) + " in " +
            std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(work.cacheTime).count()) + " ms");
    return work.storeChanged;
}

void LoadPass::RunWave(PassWork& work, Wave& wave)
{
    // Each listing speaks through its own held reports; what it found joins the store, the
    // tree, the cache and the diagnostics in job order, as soon as it and all before it are
    // complete.
    std::vector<ServiceContext> contexts;
    const std::size_t firstReport = work.reports.size();
    for (std::size_t i = 0; i < wave.Count(); ++i) {
        HeldReports& held = work.reports.emplace_back(context_.prompter);
        contexts.push_back(
            ServiceContext{context_.transport, context_.session, held, held, context_.clock, context_.config});
    }
    wave.eventListings.resize(wave.calendars.size());
    wave.taskListings.resize(wave.lists.size());
    const std::size_t offset = wave.Offset();
    const std::size_t calendarCount = wave.calendars.size();
    RunSideBySide(
        wave.Count(), sideBySide_,
        [&](std::size_t i) {
            if (wave.withLists && i == 0)
                wave.calendarsListed = ListCalendars(contexts[i], wave.listedCalendars, &wave.calendarsFailure);
            else if (wave.withLists && i == 1)
                wave.listsListed = ListTaskLists(contexts[i], wave.listedLists, &wave.listsFailure);
            else if (i - offset < calendarCount)
                wave.eventListings[i - offset] = ListEventChanges(contexts[i], wave.calendars[i - offset], work.window,
                                                                  wave.calendarSince[i - offset]);
            else
                wave.taskListings[i - offset - calendarCount] = LoadTaskChanges(
                    contexts[i], wave.lists[i - offset - calendarCount], wave.listSince[i - offset - calendarCount]);
        },
        [&](std::size_t i) {
            work.reports[firstReport + i].Release(context_.diagnostics, context_.prompter);
            if (wave.withLists && i == 0)
                ReleaseCalendarList(work, wave);
            else if (wave.withLists && i == 1)
                ReleaseTaskLists(work, wave);
            else if (i - offset < calendarCount)
                ReleaseEvents(work, wave, i - offset);
            else
                ReleaseTasks(work, wave, i - offset - calendarCount);
        });
    ShowUnshown(work);
}

void LoadPass::NoteFailure(PassWork& work, const std::string& what, const ListingFailure& failure)
{
    work.failures.emplace_back(what, failure.text);
    if (failure.unreachable)
        ++work.unreached;
}

void LoadPass::ClaimAccount(PassWork& work, const std::vector<CalendarRecord>& listed)
{
    if (!cache_)
        return;
    const auto primary =
        std::find_if(listed.begin(), listed.end(), [](const CalendarRecord& calendar) { return calendar.primary; });
    const CacheRead<CacheMeta> meta = cache_->ReadMeta();
    if (primary != listed.end() && meta.ok && meta.value.account != primary->id) {
        const CacheRead<bool> claimed = cache_->ClaimAccount(primary->id);
        Report({claimed.ok, claimed.failure});
        if (!claimed.ok) {
            cacheAccountKnown_ = false;
            return;
        }
        if (claimed.value) {
            // What is shown belongs to someone else: it all goes, and this pass reads whole.
            context_.diagnostics.WriteLine(kAccountChangedLine + primary->id);
            work.accountReset = true;
            store_.Empty();
            tree_.RemoveAllRows();
            shownRows_.clear();
            work.calendarRows.clear();
            work.listRows.clear();
            states_.clear();
            work.doneCalendars.clear();
            work.doneLists.clear();
        }
    }
    // The list read is this account's, named or not.
    cacheAccountKnown_ = true;
}

void LoadPass::ReleaseCalendarList(PassWork& work, Wave& wave)
{
    ++work.attempted;
    if (!wave.calendarsListed) {
        NoteFailure(work, Translated(kCalendarListName), wave.calendarsFailure);
        return;
    }
    ClaimAccount(work, wave.listedCalendars);
    const CalendarListMerge merge = store_.Write(
        [&](LocalStore::Data& data) { return MergeCalendarList(data.calendars, std::move(wave.listedCalendars)); });
    work.storeChanged = work.storeChanged || merge.changed || !merge.emptied.empty();
    work.calendarRows.clear();
    work.freshCalendars.insert(merge.added.begin(), merge.added.end());
    work.freshCalendars.insert(merge.shown.begin(), merge.shown.end());
    // Their events must be read whole (again) before anything of them is trusted.
    for (const auto* ids : {&merge.removed, &merge.emptied, &merge.rezoned}) {
        for (const std::string& id : *ids)
            ForgetState(EventsKey(id));
    }
    // First: the rows of new calendars set the tags the cache keeps.
    ShowBranch(kCalendarBranch, &work);
    if (CacheWritable()) {
        const std::vector<CalendarRecord> cached =
            store_.Write([](LocalStore::Data& data) { return CalendarsWithoutEvents(data.calendars); });
        WriteCache(work, [&] { return cache_->ReplaceCalendars(cached, SucceededAt(work.stamp)); });
        for (const std::string& id : merge.emptied)
            WriteCache(work, [&] { return cache_->ReplaceEvents(id, {}, {}); });
    }
}

void LoadPass::ReleaseTaskLists(PassWork& work, Wave& wave)
{
    ++work.attempted;
    if (!wave.listsListed) {
        // Lists read before a failing page still join, like calendars before a failing calendar.
        NoteFailure(work, Translated(kTaskListsName), wave.listsFailure);
        if (wave.listedLists.empty())
            return;
    }
    bool changed = false;
    const std::vector<std::string> added = store_.Write([&](LocalStore::Data& data) {
        if (!wave.listsListed) {
            // Partial: only additions, so lists not read yet are not taken for gone.
            std::vector<TaskListInfo> kept = ListsWithoutTasks(data.taskLists);
            for (TaskListInfo& list : wave.listedLists) {
                if (std::none_of(kept.begin(), kept.end(),
                                 [&](const TaskListInfo& held) { return held.id == list.id; }))
                    kept.push_back(std::move(list));
            }
            wave.listedLists = std::move(kept);
        }
        return MergeTaskLists(data.taskLists, std::move(wave.listedLists), changed);
    });
    work.storeChanged = work.storeChanged || changed;
    work.listRows.clear();
    work.freshLists.insert(added.begin(), added.end());
    // First: the rows of new lists set the expansion the cache keeps.
    ShowBranch(kTaskBranch, &work);
    if (CacheWritable() && wave.listsListed) {
        const std::vector<TaskListInfo> cached =
            store_.Read([](const LocalStore::Data& data) { return ListsWithoutTasks(data.taskLists); });
        WriteCache(work, [&] { return cache_->ReplaceTaskLists(cached, SucceededAt(work.stamp)); });
    }
}

void LoadPass::ReleaseEvents(PassWork& work, Wave& wave, std::size_t job)
{
    const CalendarRecord& asked = wave.calendars[job];
    EventListing& listing = wave.eventListings[job];
    // Asked for the account shown before: nothing of it may join.
    if (work.accountReset && wave.withLists)
        return;
    // Taken off the list, no longer selected, or moved to another zone since it was asked:
    // nothing of this answer may join (a calendar still shown is read whole next).
    const bool current = store_.Read([&](const LocalStore::Data& data) {
        const auto found = std::find_if(data.calendars.begin(), data.calendars.end(),
                                        [&](const CalendarRecord& calendar) { return calendar.id == asked.id; });
        return found != data.calendars.end() && IsSelected(*found) && found->timeZone == wave.calendarZones[job];
    });
    if (!current)
        return;
    work.doneCalendars.insert(asked.id);
    ++work.attempted;
    if (!listing.complete) {
        NoteFailure(work, WithTitle(Translated(kCalendarNamed), DisplayName(asked)), listing.failure);
        return;
    }
    listing.state.lastSuccess = work.stamp;
    if (CacheWritable()) {
        WriteCache(work, [&] {
            return listing.whole ? cache_->ReplaceEvents(asked.id, listing.changes.upserts, listing.state)
                                 : cache_->ApplyEventChanges(asked.id, listing.changes, listing.state);
        });
    }
    states_[EventsKey(asked.id)] = listing.state;
    work.calendarRows.erase(asked.id);
    const bool changed = store_.Write([&](LocalStore::Data& data) {
        CalendarRecord* calendar = FindCalendar(data.calendars, asked.id);
        return calendar && ApplyEventListing(*calendar, std::move(listing.changes), listing.whole);
    });
    if (!changed)
        return;
    work.storeChanged = true;
    ShowBranchSoon(kCalendarBranch, work);
}

void LoadPass::ReleaseTasks(PassWork& work, Wave& wave, std::size_t job)
{
    const TaskListInfo& asked = wave.lists[job];
    TaskListing& listing = wave.taskListings[job];
    if (work.accountReset && wave.withLists)
        return;
    const bool current = store_.Read([&](const LocalStore::Data& data) {
        return std::any_of(data.taskLists.begin(), data.taskLists.end(),
                           [&](const TaskListInfo& list) { return list.id == asked.id; });
    });
    if (!current)
        return;
    work.doneLists.insert(asked.id);
    ++work.attempted;
    if (!listing.complete) {
        NoteFailure(work, WithTitle(Translated(kTaskListNamed), asked.title), listing.failure);
        return;
    }
    listing.state.lastSuccess = work.stamp;
    if (CacheWritable() && !listing.whole)
        WriteCache(work, [&] { return cache_->ApplyTaskChanges(asked.id, listing.changes, listing.state); });
    states_[TasksKey(asked.id)] = listing.state;
    bool changed = false;
    work.listRows.erase(asked.id); // its nodes go with the hierarchy rebuilt here
    const TaskPlacement placement = store_.Write([&](LocalStore::Data& data) {
        const auto list = std::find_if(data.taskLists.begin(), data.taskLists.end(),
                                       [&](const TaskListInfo& held) { return held.id == asked.id; });
        TaskPlacement placed = ApplyTaskListing(*list, std::move(listing.changes), listing.whole, changed);
        // Written with the hierarchy, whose expansion the cache keeps too.
        if (CacheWritable() && listing.whole)
            WriteCache(work, [&] { return cache_->ReplaceTasks(*list, listing.state); });
        return placed;
    });
    ReportTaskPlacement(context_, placement);
    if (!changed)
        return;
    work.storeChanged = true;
    ShowBranchSoon(kTaskBranch, work);
}

void LoadPass::WriteCache(PassWork& work, const std::function<CacheResult()>& write)
{
    const auto start = std::chrono::steady_clock::now();
    Report(write());
    work.cacheTime += std::chrono::steady_clock::now() - start;
    ++work.cacheWrites;
}

void LoadPass::ShowBranchSoon(const std::string& branch, PassWork& work)
{
    const auto now = std::chrono::steady_clock::now();
    if (std::find(work.unshown.begin(), work.unshown.end(), branch) == work.unshown.end())
        work.unshown.push_back(branch);
    if (work.lastShown && now - *work.lastShown < kShowEvery)
        return;
    work.lastShown = now;
    ShowUnshown(work);
}

void LoadPass::ShowUnshown(PassWork& work)
{
    for (const std::string& branch : std::exchange(work.unshown, {}))
        ShowBranch(branch, &work);
}

void LoadPass::ShowBranch(const std::string& branch, PassWork* work)
{
    const bool calendars = branch == kCalendarBranch;
    const bool allExpand = work && work->options.allExpand;
    std::vector<TreeRow> rows;
    const auto append = [&rows](const std::vector<TreeRow>& more) {
        rows.insert(rows.end(), more.begin(), more.end());
    };
    const auto take = [&rows](std::vector<TreeRow> more) {
        rows.insert(rows.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    };
    store_.Write([&](LocalStore::Data& data) {
        if (calendars) {
            const std::string today = work ? work->today : TodayIsoDate(context_.clock);
            for (CalendarRecord& calendar : data.calendars) {
                const bool fresh = work && work->freshCalendars.contains(calendar.id);
                const FillMode mode = fresh ? FillMode::Load : FillMode::Rebuild;
                if (!work) {
                    take(CalendarRows(calendar, today, mode, allExpand));
                    continue;
                }
                const auto [built, added] = work->calendarRows.try_emplace(calendar.id);
                if (added)
                    built->second.rows = CalendarRows(calendar, today, mode, allExpand);
                else if (!built->second.rows.empty()) // the user may have expanded it since
                    built->second.rows.front() = CalendarRow(calendar, mode, allExpand);
                append(built->second.rows);
            }
        } else {
            const int viewMode = work ? work->options.nTaskViewMode : settings_.nTaskViewMode;
            for (TaskListInfo& list : data.taskLists) {
                const bool fresh = work && work->freshLists.contains(list.id);
                const FillMode mode = fresh ? FillMode::Load : FillMode::Rebuild;
                if (!work) {
                    take(TaskListRows(list, viewMode, mode, allExpand));
                    continue;
                }
                const auto [built, added] = work->listRows.try_emplace(list.id);
                PassWork::BuiltRows& memo = built->second;
                if (added) {
                    memo.rows = TaskListRows(list, viewMode, mode, allExpand, &memo.nodes);
                } else {
                    memo.rows.front() = TaskListRow(list, mode, allExpand);
                    for (std::size_t i = 1; i < memo.rows.size(); ++i)
                        memo.rows[i].expanded = TaskRowExpanded(*memo.nodes[i], mode);
                }
                append(memo.rows);
            }
        }
    });
    const auto shown = shownRows_.find(branch);
    if (shown != shownRows_.end() && shown->second == rows)
        return;
    shownRows_[branch] = rows;
    tree_.UpdateBranchRows(branch, std::move(rows));
}

void LoadPass::InitialLoadThread(const Options& options)
{
    const bool calendarShown = ui_.IsCalendarWindowVisible();
    if (calendarShown) {
        calendarReadyEvent_.Reset();
        if (!options.quiet)
            ui_.ShowCalendarOverlay();
    }
    const bool changed = FullLoad(options);
    ui_.HideLoadingOverlay();
    // Also when the window was shown part-way through the pass and put up its overlay then.
    ui_.HideCalendarOverlay();
    if (calendarShown)
        calendarReadyEvent_.Set();
    // The month view paints from the store: a window shown later paints it anyway.
    if (calendarShown || changed)
        ui_.RepaintMonthView();
    waitingEvent_.Set();
    if (!options.startPage.empty())
        opener_.Open(options.startPage);
}

void LoadPass::SyncThread(const Options& options)
{
    const bool calendarShown = ui_.IsCalendarWindowVisible();
    if (calendarShown && !options.quiet)
        ui_.ShowCalendarOverlay();
    const bool changed = FullLoad(options);
    // Both overlays go, also one put up by a window shown part-way through the pass.
    ui_.HideLoadingOverlay();
    ui_.HideCalendarOverlay();
    if (calendarShown || changed)
        ui_.RepaintMonthView();
    waitingEvent_.Set();
}

} // namespace orb
