#include "app/shell_core/load_pass.h"
#include "tests/app/shell_core/integration/pass_doubles.h"
#include "tests/support/stand_in.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <set>
#include <tuple>

namespace orb {
namespace {

using test::RecordingTreeSink;
using test::ScriptedPassUi;

constexpr const char* kSeed = R"({
  "oauth": {"accessTokens": ["t1"], "refreshTokens": ["r1"]},
  "calendar": {"calendars": [
    {"id": "work@example.com", "summary": "Work", "colorId": "14", "accessRole": "owner", "selected": true,
     "events": [
       {"id": "old", "summary": "Too early", "start": {"date": "2026-12-01"}, "end": {"date": "2026-12-02"}},
       {"id": "w1", "summary": "Review", "start": {"date": "2026-12-07"}, "end": {"date": "2026-12-08"}},
       {"id": "w2", "summary": "Standup", "start": {"dateTime": "2026-12-09T09:30:00+09:00"},
        "end": {"dateTime": "2026-12-09T09:45:00+09:00"}},
       {"id": "late", "summary": "Too late", "start": {"date": "2026-12-20"}, "end": {"date": "2026-12-21"}}]},
    {"id": "hidden@example.com", "summary": "Hidden", "colorId": "3", "accessRole": "reader", "selected": false,
     "events": [{"id": "h1", "summary": "Never shown", "start": {"date": "2026-12-08"}, "end": {"date": "2026-12-09"}}]},
    {"id": "home@example.com", "summary": "Home", "colorId": "7", "accessRole": "owner", "selected": true,
     "events": [{"id": "m1", "summary": "Dinner", "start": {"date": "2026-12-08"}, "end": {"date": "2026-12-09"}}]}
  ]},
  "tasks": {"taskLists": [
    {"id": "L1", "title": "Home", "tasks": [
      {"id": "child", "title": "Milk", "parent": "shop"},
      {"id": "shop", "title": "Shopping", "due": "2026-12-12T00:00:00.000Z"},
      {"id": "done", "title": "Done", "status": "completed"}]},
    {"id": "L2", "title": "Work", "tasks": []}
  ]}
})";

class LoadPassTest : public ::testing::Test, protected test::StandInServices
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(StartStandIn(error)) << error;
        session.set_tokens("t1", "Bearer");
        session.set_refresh_token("r1");
        settings.nCal_from = 2;
        settings.nCal_to = 3;
    }

    void Seed(const std::string& seed)
    {
        std::string error;
        ASSERT_TRUE(service.SeedFromJson(seed, error)) << error;
    }

    LocalStore store;
    AppSettings settings;
    RecordingTreeSink tree;
    ScriptedPassUi ui;
    test::RecordingUrlOpener opener;
    LoadPass pass{context, store, settings, tree, ui, opener};
};

TEST_F(LoadPassTest, UserWithoutDataGetsExactlyTheTwoRoots)
{
    Seed(R"({"oauth": {"accessTokens": ["t1"], "refreshTokens": ["r1"]}})");
    pass.FullLoad();
    EXPECT_EQ(tree.Entries(), (std::vector<std::string>{"rows:Calendar's:", "rows:Task's:"}));
}

// The rows of a first pass: the lists first, then each calendar's events and list's tasks
// as they join.
const std::vector<std::string> kFirstPassRows{
    "rows:Calendar's: work@example.com home@example.com", "rows:Task's: L1 L2",
    "rows:Calendar's: work@example.com w1 w2 home@example.com",
    "rows:Calendar's: work@example.com w1 w2 home@example.com m1", "rows:Task's: L1 done shop child L2"};

TEST_F(LoadPassTest, RowsArrivePerCalendarAndListInStoreOrderWithinTheDateWindow)
{
    Seed(kSeed);
    pass.FullLoad();
    EXPECT_EQ(tree.Entries(), kFirstPassRows);
    // Today minus two days to today plus three, from the injected clock.
    EXPECT_EQ(CountRequests("timeMin=2026-12-06"), 2u);
    EXPECT_EQ(CountRequests("timeMax=2026-12-11"), 2u);
    EXPECT_EQ(CountRequests("hidden%40example.com/events"), 0u);

    store.Read([](const LocalStore::Data& data) {
        ASSERT_EQ(data.calendars.size(), 3u); // the unselected calendar is kept, without events
        EXPECT_EQ(data.calendars[0].events.size(), 2u);
        EXPECT_EQ(data.calendars[0].tag, 1);
        EXPECT_TRUE(data.calendars[1].events.empty());
        ASSERT_EQ(data.taskLists.size(), 2u);
        EXPECT_EQ(data.taskLists[0].tasks.size(), 3u);
        EXPECT_EQ(data.taskLists[0].expanded, 1);
    });
}

// Tells the test each time a branch is shown, after recording it.
class HookedTreeSink : public RecordingTreeSink
{
public:
    void UpdateBranchRows(const std::string& branch, std::vector<TreeRow> rows) override
    {
        RecordingTreeSink::UpdateBranchRows(branch, std::move(rows));
        if (shown)
            shown(branch);
    }
    std::function<void(const std::string& branch)> shown;
};

TEST_F(LoadPassTest, AnExpansionChangedWhileAPassRunsShowsInTheRowsItShowsAfter)
{
    Seed(kSeed);
    HookedTreeSink hooked;
    LoadPass second{context, store, settings, hooked, ui, opener};
    second.FullLoad();
    // A change in every calendar and list, so that the next pass shows each branch twice.
    for (const auto& [method, target, body] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"PATCH", "/calendar/v3/calendars/work%40example.com/events/w1", R"({"summary": "Review 2"})"},
             {"PATCH", "/calendar/v3/calendars/home%40example.com/events/m1", R"({"summary": "Dinner 2"})"},
             {"PATCH", "/tasks/v1/lists/L1/tasks/done", R"({"title": "Done 2"})"},
             {"POST", "/tasks/v1/lists/L2/tasks", R"({"title": "New"})"}})
        ASSERT_EQ(service.FromAnotherDevice(method, target, body).status / 100, 2) << target;

    // The user expands a calendar and collapses a task while the first of each branch is shown.
    std::set<std::string> changedOnce;
    hooked.shown = [&](const std::string& branch) {
        if (!changedOnce.insert(branch).second)
            return;
        store.Write([&](LocalStore::Data& data) {
            if (branch == kCalendarBranch)
                data.calendars[0].tag = 1;
            else
                data.taskLists[0].tree->FindNode("shop")->expanded = 0;
        });
    };
    second.FullLoad();
    ASSERT_EQ(changedOnce.size(), 2u);
    const auto shown = hooked.Shown();
    const auto row = [&](const std::string& branch, const std::string& id) {
        for (const TreeRow& row : shown.at(branch)) {
            if (row.texts[kIdColumn] == id)
                return row;
        }
        ADD_FAILURE() << id << " not shown";
        return TreeRow();
    };
    EXPECT_TRUE(row(kCalendarBranch, "work@example.com").expanded);
    EXPECT_EQ(row(kCalendarBranch, "w1").texts[kNameColumn].substr(8), "Review 2");
    EXPECT_FALSE(row(kTaskBranch, "shop").expanded);
    EXPECT_TRUE(row(kTaskBranch, "child").expanded);
}

TEST_F(LoadPassTest, FailingCalendarListAsksForNoEventsAndStillLoadsTasks)
{
    Seed(kSeed);
    // The task lists are read at the same time, so the fault is aimed at the calendar list.
    service.FailNext(1, fake::Fault{fake::FaultKind::Status, 500, std::chrono::seconds(60), "/calendarList"});
    pass.FullLoad();
    EXPECT_EQ(CountRequests("/events"), 0u);
    EXPECT_EQ(tree.Entries(), (std::vector<std::string>{"rows:Task's: L1 L2", "rows:Task's: L1 done shop child L2",
                                                        "rows:Calendar's:"}));
}

TEST_F(LoadPassTest, SynchronizingWhileBusyIsIgnoredAndRowsNeverAppearTwice)
{
    Seed(kSeed);
    service.SetLatency(std::chrono::milliseconds(40));
    config.startPage = "https://example.com/start";
    pass.StartInitialLoad();

    EXPECT_FALSE(pass.Synchronize());
    EXPECT_TRUE(diagnostics.Contains("Synchronizing ignored: busy"));
    EXPECT_FALSE(pass.WaitForIdle(std::chrono::milliseconds(10))); // Exit and Logout would give up
    EXPECT_FALSE(pass.BeginEdit());
    pass.JoinWorker();
    EXPECT_TRUE(pass.WaitForIdle());
    EXPECT_EQ(opener.opened, (std::vector<std::string>{"https://example.com/start"}));

    service.SetLatency(std::chrono::milliseconds(0));
    const auto before = tree.Entries();
    EXPECT_TRUE(pass.Synchronize());
    pass.JoinWorker();
    EXPECT_TRUE(diagnostics.Contains("gSynchronizingProcess"));
    // Nothing changed at the service: the tree is told nothing, and nothing was emptied.
    EXPECT_EQ(tree.Entries(), before);
    store.Read([](const LocalStore::Data& data) {
        EXPECT_EQ(data.calendars.size(), 3u);
        EXPECT_EQ(data.taskLists.size(), 2u);
    });
    // The start page opens after the first load only.
    EXPECT_EQ(opener.opened.size(), 1u);
}

TEST_F(LoadPassTest, InitialLoadCoversAVisibleCalendarWindowUntilItsDataIsIn)
{
    Seed(kSeed);
    ui.calendarVisible = true;
    pass.StartInitialLoad();
    EXPECT_TRUE(pass.WaitForIdle(std::chrono::seconds(20)));
    pass.JoinWorker();
    EXPECT_TRUE(pass.CalendarReadyEvent().IsSet());
    // The calendar window's data is in before it is told so and repainted.
    EXPECT_EQ(ui.Calls(), (std::vector<std::string>{"calendar-overlay+", "overlay-", "calendar-overlay-", "repaint"}));
    EXPECT_TRUE(opener.opened.empty()); // no start page configured
}

// A pass over data already shown, or one nobody asked for just now, covers nothing: no
// overlay (which would take the focus), and a window shown meanwhile puts up none.
TEST_F(LoadPassTest, AQuietPassPutsUpNoOverlayAndStillRefusesEditsWhileItRuns)
{
    Seed(kSeed);
    ui.calendarVisible = true;
    pass.FullLoad();
    service.SetLatency(std::chrono::milliseconds(40));
    ASSERT_TRUE(pass.Synchronize(PassMode::Quiet));
    EXPECT_FALSE(pass.IsLoading());
    EXPECT_TRUE(pass.IsBusy());
    EXPECT_FALSE(pass.BeginEdit());
    pass.JoinWorker();
    const auto calls = ui.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "overlay+"), 0);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "calendar-overlay+"), 0);

    ASSERT_TRUE(pass.Synchronize());
    EXPECT_TRUE(pass.IsLoading());
    pass.JoinWorker();
    const auto normal = ui.Calls();
    EXPECT_EQ(std::count(normal.begin(), normal.end(), "overlay+"), 1);
    EXPECT_EQ(std::count(normal.begin(), normal.end(), "calendar-overlay+"), 1);
}

TEST_F(LoadPassTest, AnEditHoldsTheIdleSignalAndRefusesSynchronizingAndASecondEdit)
{
    Seed(kSeed);
    pass.FullLoad();
    ASSERT_TRUE(pass.BeginEdit());
    EXPECT_FALSE(pass.WaitingEvent().IsSet());
    EXPECT_FALSE(pass.WaitForIdle(std::chrono::milliseconds(0))); // Exit and Logout would give up
    EXPECT_TRUE(pass.IsBusy());
    EXPECT_FALSE(pass.IsLoading()); // a window shown now shows no loading overlay
    EXPECT_FALSE(pass.Synchronize());
    EXPECT_FALSE(pass.BeginEdit());
    pass.EndEdit();
    EXPECT_TRUE(pass.WaitingEvent().IsSet());
    EXPECT_TRUE(pass.Synchronize());
    pass.JoinWorker();
}

TEST_F(LoadPassTest, LogoutThenLoginReloadsWithTheNewRefreshToken)
{
    Seed(kSeed);
    settings.KEY = "r1";
    pass.FullLoad();
    ui.loginCode = service.IssueAuthorizationCode();

    ASSERT_TRUE(pass.Logout());
    pass.JoinWorker();
    EXPECT_FALSE(settings.KEY.empty());
    EXPECT_NE(settings.KEY, "r1");
    EXPECT_EQ(settings.KEY, session.refresh_token());
    EXPECT_TRUE(service.IsRefreshTokenValid(settings.KEY));
    // Both windows stay hidden; the reload fills the store again.
    EXPECT_FALSE(ui.mainVisible);
    const auto calls = ui.Calls();
    EXPECT_EQ(calls.front(), "hide");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "overlay+"), 0);
    store.Read([](const LocalStore::Data& data) { EXPECT_EQ(data.calendars.size(), 3u); });
}

TEST_F(LoadPassTest, CancelledLoginAfterLogoutExits)
{
    Seed(kSeed);
    pass.FullLoad();
    ui.loginAccepted = false;
    EXPECT_FALSE(pass.Logout());
    EXPECT_EQ(ui.Calls(), (std::vector<std::string>{"hide", "login", "exit"}));
    store.Read([](const LocalStore::Data& data) {
        EXPECT_TRUE(data.calendars.empty());
        EXPECT_TRUE(data.taskLists.empty());
    });
}

// What one pass left behind: the tree's entries, the pass's own diagnostic lines, and the
// store's calendars and lists with their item counts.
struct PassOutcome
{
    std::vector<std::string> tree;
    std::vector<std::string> diagnostics;
    std::vector<std::string> store;
};

class SideBySideLoadTest : public LoadPassTest
{
protected:
    void SetUp() override
    {
        LoadPassTest::SetUp();
        // Signed in with a known expiry, as every sign-in now is: no token checks in a pass.
        session.set_expires_at(LocalSeconds(clock.Now()) + 3600);
    }

    PassOutcome Run(std::size_t width)
    {
        LocalStore freshStore;
        RecordingTreeSink freshTree;
        LoadPass freshPass{context, freshStore, settings, freshTree, ui, opener, width};
        const std::size_t linesBefore = diagnostics.Lines().size();
        service.ResetTrafficCounters();
        freshPass.FullLoad();
        PassOutcome outcome;
        outcome.tree = freshTree.Entries();
        const std::vector<std::string> lines = diagnostics.Lines();
        outcome.diagnostics.assign(lines.begin() + static_cast<std::ptrdiff_t>(linesBefore), lines.end());
        freshStore.Read([&](const LocalStore::Data& data) {
            for (const CalendarRecord& calendar : data.calendars)
                outcome.store.push_back(calendar.id + ":" + std::to_string(calendar.events.size()));
            for (const TaskListInfo& list : data.taskLists)
                outcome.store.push_back(list.id + ":" + std::to_string(list.tasks.size()));
        });
        return outcome;
    }
};

TEST_F(SideBySideLoadTest, ThePassOverlapsItsRequestsOverFewConnectionsThatStayWarmForTheNext)
{
    Seed(kSeed);
    service.SetPageSize(1); // a page per item: twelve requests
    service.SetLatency(std::chrono::milliseconds(30));
    Run(kListingsSideBySide);
    const std::size_t requests = service.Requests().size();
    EXPECT_EQ(requests, 12u);
    EXPECT_GT(service.PeakInFlight(), 1);
    // Two listings first, then two calendars and two lists: never more than four at once.
    const int firstConnections = service.ConnectionCount();
    EXPECT_LE(firstConnections, 4);

    // Warm connections serve the next pass. A busy machine may overlap its requests more
    // than the first pass did and open one more, never as many as a pass without them.
    Run(kListingsSideBySide);
    EXPECT_LT(service.ConnectionCount(), firstConnections);
    EXPECT_EQ(service.Requests().size(), 2 * requests);
}

TEST_F(SideBySideLoadTest, AnswersInReverseOrderReachTheTreeAndDiagnosticsInStoreOrder)
{
    Seed(kSeed);
    // The first calendar and the first list answer last.
    service.SetPathLatency("/work%40example.com/events", std::chrono::milliseconds(300));
    service.SetPathLatency("/lists/L1/tasks", std::chrono::milliseconds(200));
    service.SetLatency(std::chrono::milliseconds(20));
    const PassOutcome sideBySide = Run(kListingsSideBySide);
    EXPECT_GT(service.PeakInFlight(), 1);
    const PassOutcome oneByOne = Run(1);
    EXPECT_EQ(service.PeakInFlight(), 1);

    EXPECT_EQ(sideBySide.tree, kFirstPassRows);
    EXPECT_EQ(sideBySide.tree, oneByOne.tree);
    EXPECT_EQ(sideBySide.diagnostics, oneByOne.diagnostics);
    EXPECT_EQ(sideBySide.store, oneByOne.store);
    const auto work = std::find(sideBySide.diagnostics.begin(), sideBySide.diagnostics.end(), "Number of Event : 2");
    const auto home = std::find(sideBySide.diagnostics.begin(), sideBySide.diagnostics.end(), "Number of Event : 1");
    ASSERT_NE(work, sideBySide.diagnostics.end());
    EXPECT_LT(work, home);
}

TEST_F(SideBySideLoadTest, OneCalendarFailingMidPassLeavesTheRestAsAOneByOnePassWould)
{
    Seed(kSeed);
    service.SetLatency(std::chrono::milliseconds(20));
    const fake::Fault refused{fake::FaultKind::Status, 500, std::chrono::seconds(60), "/work%40example.com/events"};
    service.FailNext(1, refused);
    const PassOutcome sideBySide = Run(kListingsSideBySide);
    service.FailNext(1, refused);
    const PassOutcome oneByOne = Run(1);

    EXPECT_EQ(sideBySide.tree, oneByOne.tree);
    EXPECT_EQ(sideBySide.diagnostics, oneByOne.diagnostics);
    EXPECT_EQ(sideBySide.store, (std::vector<std::string>{"work@example.com:0", "hidden@example.com:0",
                                                          "home@example.com:1", "L1:3", "L2:0"}));
    EXPECT_EQ(sideBySide.store, oneByOne.store);
    EXPECT_EQ(std::count(sideBySide.tree.begin(), sideBySide.tree.end(),
                         "rows:Calendar's: work@example.com home@example.com m1"),
              1);
    EXPECT_EQ(ui.problem, "Not everything could be loaded: calendar 'Work' (Backend Error)");
    EXPECT_EQ(ui.problemDetails, "Not everything could be loaded:\ncalendar 'Work' (Backend Error)");
    Run(kListingsSideBySide);
    EXPECT_EQ(ui.problem, "");
    EXPECT_EQ(ui.problemDetails, "");
}

TEST_F(SideBySideLoadTest, AFailingPageOfTaskListsKeepsTheListsReadBeforeAndSaysSo)
{
    Seed(kSeed);
    service.SetPageSize(1);
    service.FailNext(
        1, fake::Fault{fake::FaultKind::Status, 503, std::chrono::seconds(60), "/lists?maxResults=100&pageToken="});
    const PassOutcome outcome = Run(kListingsSideBySide);
    EXPECT_EQ(outcome.store,
              (std::vector<std::string>{"work@example.com:2", "hidden@example.com:0", "home@example.com:1", "L1:3"}));
    EXPECT_EQ(outcome.tree.back(), "rows:Task's: L1 done shop child");
    EXPECT_EQ(ui.problem.rfind("Not everything could be loaded: the task lists (", 0), 0u) << ui.problem;
    EXPECT_TRUE(std::any_of(outcome.diagnostics.begin(), outcome.diagnostics.end(), [](const std::string& line) {
        return line.find("the listing is incomplete") != std::string::npos;
    }));
}

TEST_F(SideBySideLoadTest, WithRetriesOnAListingThatFailsOnceIsReadAndThePassIsComplete)
{
    Seed(kSeed);
    std::vector<long long> waits;
    transport.retry.retries = kProgramRetries;
    transport.retry.report = [this](const std::string& line) { diagnostics.WriteLine(line); };
    transport.retry.wait = [&](std::chrono::milliseconds wait) {
        waits.push_back(wait.count());
        return true;
    };
    service.FailNext(1, fake::Fault{fake::FaultKind::Drop, 200, {}, "/work%40example.com/events"});
    service.FailNext(1, fake::Fault{fake::FaultKind::Status, 503, {}, "/lists/L1/tasks"});
    const PassOutcome outcome = Run(kListingsSideBySide);
    EXPECT_EQ(outcome.store, (std::vector<std::string>{"work@example.com:2", "hidden@example.com:0",
                                                       "home@example.com:1", "L1:3", "L2:0"}));
    EXPECT_EQ(ui.problem, "");
    EXPECT_EQ(waits.size(), 2u);
    EXPECT_EQ(std::count_if(outcome.diagnostics.begin(), outcome.diagnostics.end(),
                            [](const std::string& line) { return line.rfind("Retrying GET ", 0) == 0; }),
              2);
}

// Each fault against one listing of a full pass, with the program's retries: nothing
// crashes or hangs, the others load, the line under the tree tells the truth, and the next
// pass (F5) loads everything.
TEST_F(SideBySideLoadTest, FaultsInOneListingLeaveTheRestAndTheNextPassRecovers)
{
    Seed(kSeed);
    transport.retry.retries = kProgramRetries;
    std::vector<std::chrono::milliseconds> waits;
    transport.retry.wait = [&waits](std::chrono::milliseconds wait) {
        waits.push_back(wait);
        return true;
    };
    using fake::FaultKind;
    const std::vector<std::string> everything{"work@example.com:2", "hidden@example.com:0", "home@example.com:1",
                                              "L1:3", "L2:0"};
    struct Case
    {
        const char* name;
        FaultKind kind;
        const char* path;
        std::vector<std::string> store;
        const char* problem; // the start of the line under the tree; empty for none
        int count = 1;       // how many answers of that path meet it; 4 outlasts the retries
    };
    const std::vector<Case> cases{
        {"500 then success", FaultKind::Status, "/home%40example.com/events", everything, ""},
        {"a 100 MB answer",
         FaultKind::HugeBody,
         "/work%40example.com/events",
         {"work@example.com:0", "hidden@example.com:0", "home@example.com:1", "L1:3", "L2:0"},
         "Not everything could be loaded: calendar 'Work' (the answer is larger than 64 MiB"},
        {"invalid UTF-8",
         FaultKind::BadUtf8,
         "/home%40example.com/events",
         {"work@example.com:2", "hidden@example.com:0", "home@example.com:1", "L1:3", "L2:0"},
         ""},
        {"nesting too deep",
         FaultKind::DeepNesting,
         "/lists/L1/tasks",
         {"work@example.com:2", "hidden@example.com:0", "home@example.com:1", "L1:0", "L2:0"},
         "Not everything could be loaded: task list 'Home' ("},
        {"a malformed answer",
         FaultKind::MalformedBody,
         "/users/me/calendarList",
         {"L1:3", "L2:0"},
         "Not everything could be loaded: the calendar list ("},
        {"endless page tokens",
         FaultKind::EndlessPages,
         "/lists/L2/tasks",
         {"work@example.com:2", "hidden@example.com:0", "home@example.com:1", "L1:3", "L2:1"},
         "",
         100},
        {"a connection dropped mid-answer", FaultKind::Drop, "/lists/*/tasks", everything, ""},
        {"a stall mid-answer", FaultKind::Stall, "@me/lists", everything, ""},
        {"429 with Retry-After: 1", FaultKind::Status, "/calendars/*/events", everything, ""},
        {"500 past every retry",
         FaultKind::Status,
         "/work%40example.com/events",
         {"work@example.com:0", "hidden@example.com:0", "home@example.com:1", "L1:3", "L2:0"},
         "Not everything could be loaded: calendar 'Work' (",
         4},
    };
    for (const Case& fault : cases) {
        const bool rateLimit = std::string(fault.name).starts_with("429");
        // A short stall: the stand-in then closes without the body.
        service.FailNext(fault.count,
                         fake::Fault{fault.kind, rateLimit ? 429 : 500, std::chrono::milliseconds(200), fault.path});
        waits.clear();
        const PassOutcome outcome = Run(kListingsSideBySide);
        if (rateLimit) {
            EXPECT_EQ(waits, std::vector<std::chrono::milliseconds>{std::chrono::seconds(1)});
        }
        EXPECT_EQ(outcome.store, fault.store) << fault.name;
        EXPECT_EQ(ui.problem.rfind(fault.problem, 0), 0u) << fault.name << ": " << ui.problem;
        EXPECT_EQ(ui.problem.empty(), std::string(fault.problem).empty()) << fault.name;
        if (fault.kind == FaultKind::BadUtf8) {
            EXPECT_TRUE(std::any_of(outcome.tree.begin(), outcome.tree.end(), [](const std::string& entry) {
                return entry.ends_with("home@example.com bad-utf8");
            }));
        }
        service.ClearFaults();
        EXPECT_EQ(Run(kListingsSideBySide).store, everything) << fault.name << ": F5 did not recover";
        EXPECT_EQ(ui.problem, "") << fault.name;
    }

    // Nothing listens: nothing loads, the line says so, and F5 loads it all once it does.
    const std::string apiBase = config.apiBase;
    config.apiBase = "http://127.0.0.1:1";
    EXPECT_EQ(Run(kListingsSideBySide).store, std::vector<std::string>{});
    EXPECT_EQ(ui.problem.rfind("Not everything could be loaded: the calendar list (", 0), 0u) << ui.problem;
    config.apiBase = apiBase;
    EXPECT_EQ(Run(kListingsSideBySide).store, everything);
    EXPECT_EQ(ui.problem, "");
}

TEST_F(SideBySideLoadTest, ListingsAnsweredTogetherReachTheTreeInAFewWholeUpdates)
{
    constexpr int kEach = 40;
    std::string calendars, lists;
    for (int i = 0; i < kEach; ++i) {
        const std::string n = std::to_string(i);
        calendars += std::string(i ? "," : "") + R"({"id": "c)" + n +
                     R"(", "summary": "C", "accessRole": "owner", "selected": true, "events": [{"id": "e)" + n +
                     R"(", "summary": "E", "start": {"date": "2026-12-08"}, "end": {"date": "2026-12-09"}}]})";
        lists += std::string(i ? "," : "") + R"({"id": "l)" + n + R"(", "title": "L", "tasks": [{"id": "t)" + n +
                 R"(", "title": "T"}]})";
    }
    Seed(R"({"oauth": {"accessTokens": ["t1"], "refreshTokens": ["r1"]}, "calendar": {"calendars": [)" + calendars +
         R"(]}, "tasks": {"taskLists": [)" + lists + "]}}");
    service.SetLatency(std::chrono::milliseconds(30)); // every listing answers at about the same time

    const PassOutcome outcome = Run(kListingsSideBySide);
    std::vector<std::string> calendarRows, taskRows;
    for (const std::string& entry : outcome.tree)
        (entry.starts_with("rows:Calendar's:") ? calendarRows : taskRows).push_back(entry);
    // The two lists' rows, then a few updates instead of one per listing.
    EXPECT_LE(calendarRows.size(), 1u + kEach / 4);
    EXPECT_LE(taskRows.size(), 1u + kEach / 4);
    ASSERT_GE(calendarRows.size(), 2u);
    ASSERT_GE(taskRows.size(), 2u);
    // Nothing read is left unshown: the last update holds every calendar's event and list's task.
    for (int i = 0; i < kEach; ++i) {
        EXPECT_NE((calendarRows.back() + " ").find(" e" + std::to_string(i) + " "), std::string::npos) << i;
        EXPECT_NE((taskRows.back() + " ").find(" t" + std::to_string(i) + " "), std::string::npos) << i;
    }
}

} // namespace
} // namespace orb
