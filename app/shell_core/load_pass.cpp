#include "app/shell_core/load_pass.h"

#include "app/shell_core/side_by_side.h"
#include "core/diagnostics.h"
#include "core/shorten_text.h"
#include "service/calendar_client.h"
#include "service/event_client.h"
#include "service/oauth.h"
#include "tasks/tasks_client.h"

#include <deque>

namespace orb {

namespace {

constexpr const char* kSignInFailedPrefix = "Sign-in failed: ";
constexpr const char* kTryAgainQuestion = "\n\nTry again?";
constexpr const char* kPassProblemTitle = "Not everything could be loaded:";
constexpr const char* kCalendarListName = "the calendar list";
constexpr const char* kTaskListsName = "the task lists";
constexpr const char* kCalendarNamed = "calendar '%s'";
constexpr const char* kTaskListNamed = "task list '%s'";

std::string Failure(const std::pair<std::string, std::string>& failure)
{
    return failure.first + " (" + failure.second + ")";
}

PassProblem DescribeFailures(const std::vector<std::pair<std::string, std::string>>& failures)
{
    if (failures.empty())
        return {};
    PassProblem problem;
    problem.line = std::string(kPassProblemTitle) + " " + Failure(failures.front());
    if (failures.size() > 1)
        problem.line += " and " + std::to_string(failures.size() - 1) + " more";
    problem.details = kPassProblemTitle;
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

void LoadPass::StartWorker(void (LoadPass::*body)(const Options&))
{
    JoinWorker(); // the previous pass has signalled idle; its thread is ending
    worker_ = std::thread([this, body, options = SnapshotOptions()] { (this->*body)(options); });
}

void LoadPass::StartPass(void (LoadPass::*body)(const Options&))
{
    waitingEvent_.Reset();
    waitingEventCreated_ = true;
    StartWorker(body);
}

void LoadPass::StartInitialLoad()
{
    StartPass(&LoadPass::InitialLoadThread);
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
            context.prompter.ShowMessage(kSignInFailedPrefix + failure);
        else if (!context.prompter.AskYesNo(kSignInFailedPrefix + failure + kTryAgainQuestion))
            return false;
    }
}

bool LoadPass::IsBusy() const
{
    return editing_ || (waitingEventCreated_ && !waitingEvent_.IsSet());
}

bool LoadPass::IsLoading() const
{
    return !editing_ && waitingEventCreated_ && !waitingEvent_.IsSet();
}

bool LoadPass::Synchronize()
{
    if (IsBusy()) {
        context_.diagnostics.WriteLine(kSynchronizingBusyLine);
        return false;
    }
    if (ui_.IsMainWindowVisible())
        ui_.ShowLoadingOverlay();
    tree_.RemoveAllRows();
    store_.Empty();
    context_.diagnostics.WriteLine(kSynchronizingLine);
    StartPass(&LoadPass::SyncThread);
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
    ui_.HideWindows();
    // The same account signing in again gets a grant the late withdrawal must not take.
    if (!SignInByLoginPage(context_, ui_, settings_, [this] { JoinRevoker(); })) {
        ui_.PostExit();
        return false;
    }
    // Kept at once as well: a crash must not cost the new sign-in either.
    if (saveSettings)
        saveSettings();
    StartPass(&LoadPass::SyncThread);
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

void LoadPass::FullLoad(const Options& options)
{
    // The listings run side by side, each speaking through its own held reports; what they
    // found joins the store, the tree and the diagnostics in the order of a one-by-one pass,
    // each calendar and task list as soon as it and all before it are complete.
    std::deque<HeldReports> reports;
    const auto jobContext = [&] {
        HeldReports& held = reports.emplace_back(context_.prompter);
        return ServiceContext{context_.transport, context_.session, held, held, context_.clock, context_.config};
    };
    const auto release = [&](std::size_t i) { reports[i].Release(context_.diagnostics, context_.prompter); };

    std::vector<CalendarRecord> calendars;
    std::vector<TaskListInfo> lists;
    bool calendarsListed = false;
    bool listsListed = false;
    std::string calendarsFailure;
    std::string listsFailure;
    // Reports 0 and 1.
    std::vector<ServiceContext> firstContexts{jobContext(), jobContext()};
    RunSideBySide(
        2, sideBySide_,
        [&](std::size_t i) {
            if (i == 0)
                calendarsListed = ListCalendars(firstContexts[0], calendars, &calendarsFailure);
            else
                listsListed = ListTaskLists(firstContexts[1], lists, &listsFailure);
        },
        [](std::size_t) {});
    release(0);
    tree_.AddBranchRoot(kCalendarBranch);
    // Lists read before a failing page are shown, like calendars before a failing calendar.

    if (calendarsListed)
        EnsureAccessToken(context_);
    const std::string today = TodayIsoDate(context_.clock);
    const std::string query =
        EventListQuery(context_.config, MakeEventListRange(context_.clock, options.nCal_from, options.nCal_to));
    const std::size_t calendarCount = calendars.size();
    std::vector<ServiceContext> contexts;
    for (std::size_t i = 0; i < calendarCount + lists.size(); ++i)
        contexts.push_back(jobContext()); // reports 2 onwards
    std::vector<std::string> jobFailures(contexts.size());
    std::vector<std::pair<std::string, std::string>> failures; // what, why; in pass order
    if (!calendarsListed)
        failures.emplace_back(kCalendarListName, calendarsFailure);
    bool taskBranchStarted = false;
    const auto startTaskBranch = [&] {
        if (taskBranchStarted)
            return;
        taskBranchStarted = true;
        release(1);
        tree_.AddBranchRoot(kTaskBranch);
        if (!listsListed)
            failures.emplace_back(kTaskListsName, listsFailure);
    };

    RunSideBySide(
        contexts.size(), sideBySide_,
        [&](std::size_t i) {
            if (i < calendarCount)
                ListCalendarEvents(contexts[i], calendars[i], query, &jobFailures[i]);
            else
                LoadTasks(contexts[i], lists[i - calendarCount], &jobFailures[i]);
        },
        [&](std::size_t i) {
            if (i >= calendarCount)
                startTaskBranch();
            release(i + 2);
            if (i < calendarCount) {
                CalendarRecord& calendar = calendars[i];
                if (!jobFailures[i].empty())
                    failures.emplace_back(WithTitle(kCalendarNamed, DisplayName(calendar)), jobFailures[i]);
                std::vector<TreeRow> rows = CalendarRows(calendar, today, FillMode::Load, options.allExpand);
                store_.Write([&](LocalStore::Data& data) { data.calendars.push_back(std::move(calendar)); });
                if (!rows.empty())
                    tree_.AddBranchRows(kCalendarBranch, std::move(rows));
            } else {
                TaskListInfo& list = lists[i - calendarCount];
                if (!jobFailures[i].empty())
                    failures.emplace_back(WithTitle(kTaskListNamed, list.title), jobFailures[i]);
                std::vector<TreeRow> rows =
                    TaskListRows(list, options.nTaskViewMode, FillMode::Load, options.allExpand);
                store_.Write([&](LocalStore::Data& data) { data.taskLists.push_back(std::move(list)); });
                tree_.AddBranchRows(kTaskBranch, std::move(rows));
            }
        });
    startTaskBranch();
    ui_.ShowPassProblem(DescribeFailures(failures));
}

void LoadPass::InitialLoadThread(const Options& options)
{
    const bool calendarShown = ui_.IsCalendarWindowVisible();
    if (calendarShown) {
        calendarReadyEvent_.Reset();
        ui_.ShowCalendarOverlay();
    }
    FullLoad(options);
    ui_.HideLoadingOverlay();
    // Also when the window was shown part-way through the pass and put up its overlay then.
    ui_.HideCalendarOverlay();
    if (calendarShown) {
        calendarReadyEvent_.Set();
        ui_.RepaintMonthView();
    }
    waitingEvent_.Set();
    if (!options.startPage.empty())
        opener_.Open(options.startPage);
}

void LoadPass::SyncThread(const Options& options)
{
    const bool calendarShown = ui_.IsCalendarWindowVisible();
    if (calendarShown)
        ui_.ShowCalendarOverlay();
    FullLoad(options);
    // Both overlays go, also one put up by a window shown part-way through the pass.
    ui_.HideLoadingOverlay();
    ui_.HideCalendarOverlay();
    if (calendarShown)
        ui_.RepaintMonthView();
    waitingEvent_.Set();
}

} // namespace orb
