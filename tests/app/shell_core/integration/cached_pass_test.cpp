#include "app/shell_core/load_pass.h"
#include "tests/app/shell_core/integration/pass_doubles.h"
#include "tests/support/stand_in.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <unistd.h>

namespace orb {
namespace {

using test::RecordingTreeSink;
using test::ScriptedPassUi;
namespace fs = std::filesystem;

// List ids unlike the stand-in's own ("L1", ...), which it hands out again once a list with
// that id is gone; Google never does.
constexpr const char* kSeed = R"({
  "oauth": {"accessTokens": ["t1"], "refreshTokens": ["r1"]},
  "calendar": {"calendars": [
    {"id": "me@example.com", "summary": "Me", "primary": true, "accessRole": "owner", "selected": true,
     "events": [
       {"id": "m1", "summary": "Review", "start": {"date": "2026-12-07"}, "end": {"date": "2026-12-08"}},
       {"id": "m2", "summary": "Standup", "start": {"dateTime": "2026-12-09T09:30:00+09:00"},
        "end": {"dateTime": "2026-12-09T09:45:00+09:00"}}]},
    {"id": "home@example.com", "summary": "Home", "accessRole": "owner", "selected": true,
     "events": [{"id": "h1", "summary": "Dinner", "start": {"date": "2026-12-08"}, "end": {"date": "2026-12-09"}}]},
    {"id": "off@example.com", "summary": "Off", "accessRole": "reader", "selected": false, "events": []}
  ]},
  "tasks": {"taskLists": [
    {"id": "home-list", "title": "Home", "tasks": [
      {"id": "child", "title": "Milk", "parent": "shop"},
      {"id": "shop", "title": "Shopping", "due": "2026-12-12T00:00:00.000Z"},
      {"id": "done", "title": "Done", "status": "completed"}]},
    {"id": "work-list", "title": "Work", "tasks": []}
  ]}
})";

// The store as text, field by field, in order. Left out: `primary`, which only names the
// account (the cache keeps that in its own record), and the order the flat copy of a
// list's tasks joined in, which nothing shows.
std::vector<std::string> StoreText(const LocalStore& store)
{
    std::vector<std::string> text;
    store.Read([&](const LocalStore::Data& data) {
        for (const CalendarRecord& c : data.calendars) {
            text.push_back("calendar " + c.id + "|" + c.kind + "|" + c.summary + "|" + c.description + "|" +
                           c.timeZone + "|" + c.colorId + "|" + c.backgroundColor + "|" + c.foregroundColor + "|" +
                           c.accessRole + "|" + c.selected);
            for (const EventRecord& e : c.events)
                text.push_back("  event " + e.id + "|" + e.etag + "|" + e.kind + "|" + e.summary + "|" + e.description +
                               "|" + e.status + "|" + e.created + "|" + e.updated + "|" + e.location + "|" + e.colorId +
                               "|" + e.creator.id + "|" + e.creator.email + "|" + e.creator.displayName + "|" +
                               e.creator.self + "|" + e.start.date + "|" + e.start.dateTime + "|" + e.start.timeZone +
                               "|" + e.end.date + "|" + e.end.dateTime + "|" + e.end.timeZone + "|" + e.colorText);
        }
        for (const TaskListInfo& l : data.taskLists) {
            text.push_back("list " + l.id + "|" + l.kind + "|" + l.title + "|" + l.updated + "|" + l.selfLink);
            // The hierarchy in order, each task with every field.
            const auto walk = [&](auto& self, const TaskNode& parent, const std::string& indent) -> void {
                for (const TaskNode* n = parent.firstChild; n; n = n->nextSibling) {
                    const TaskInfo& t = n->task;
                    text.push_back(indent + "task " + t.id + "|" + t.kind + "|" + t.title + "|" + t.updated + "|" +
                                   t.notes + "|" + t.due + "|" + t.status + "|" + t.parent + "|" + t.selfLink + "|" +
                                   t.position);
                    self(self, *n, indent + "  ");
                }
            };
            walk(walk, l.root(), "  ");
            // The flat copy holds the same tasks, in whatever order they joined.
            std::vector<std::string> ids;
            for (const TaskInfo& t : l.tasks)
                ids.push_back(t.id);
            std::sort(ids.begin(), ids.end());
            std::string joined;
            for (const std::string& id : ids)
                joined += " " + id;
            text.push_back("  tasks" + joined);
        }
    });
    return text;
}

// The rows a branch was last told, one text per row with everything the tree shows.
std::vector<std::string> RowsText(const RecordingTreeSink& tree)
{
    std::vector<std::string> text;
    for (const auto& [branch, rows] : tree.Shown()) {
        text.push_back(branch);
        for (const TreeRow& row : rows)
            text.push_back(std::to_string(row.level) + " " + row.texts[0] + "|" + row.texts[1] + "|" + row.texts[2] +
                           "|" + row.texts[3] + (row.checked ? (*row.checked ? " checked" : " unchecked") : "") +
                           (row.expanded ? " open" : ""));
    }
    return text;
}

// One window's worth of the shell around a load pass.
struct PassShell
{
    PassShell(ServiceContext& context, AppSettings& settings, LocalCache* cache)
        : pass(context, store, settings, tree, ui, opener)
    {
        pass.SetCache(cache);
    }

    LocalStore store;
    RecordingTreeSink tree;
    ScriptedPassUi ui;
    test::RecordingUrlOpener opener;
    LoadPass pass;
};

class CachedPassTest : public ::testing::Test, protected test::StandInServices
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(StartStandIn(error)) << error;
        ASSERT_TRUE(service.SeedFromJson(kSeed, error)) << error;
        session.set_tokens("t1", "Bearer");
        session.set_refresh_token("r1");
        // A known expiry, as every sign-in gives: no token checks in a pass.
        session.set_expires_at(LocalSeconds(clock.Now()) + 3600);
        settings.nCal_from = 2;
        settings.nCal_to = 3;
        dir = fs::temp_directory_path() / ("orb-pass-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::unique_ptr<LocalCache> OpenCache(const std::string& account = {})
    {
        CacheOpening opening = LocalCache::Open((dir / "cache.sqlite").string(), account, clock);
        EXPECT_TRUE(opening.cache) << opening.reason;
        return std::move(opening.cache);
    }

    std::unique_ptr<PassShell> Shell(LocalCache* cache)
    {
        return std::make_unique<PassShell>(context, settings, cache);
    }

    std::vector<std::string> Targets() const
    {
        std::vector<std::string> targets;
        for (const auto& request : service.Requests())
            targets.push_back(test::WithoutSelector(request.target));
        return targets;
    }

    AppSettings settings;
    fs::path dir;
};

TEST_F(CachedPassTest, AnUnchangedAccountIsOneWaveOfSmallAnswersAndTheTreeIsToldNothing)
{
    auto cache = OpenCache();
    auto shell = Shell(cache.get());
    shell->pass.FullLoad();
    const std::vector<std::string> rowsBefore = shell->tree.Entries();
    service.ClearRequests();
    service.ResetTrafficCounters();
    // Long enough that all six are in flight together even on a loaded, sanitized build.
    service.SetLatency(std::chrono::milliseconds(250));

    shell->pass.FullLoad();
    std::vector<std::string> targets = Targets();
    ASSERT_EQ(targets.size(), 6u) << "the two lists, two selected calendars and two task lists";
    EXPECT_EQ(service.PeakInFlight(), 6) << "all at once";
    std::sort(targets.begin(), targets.end());
    EXPECT_EQ(targets[0].rfind("/calendar/v3/calendars/home%40example.com/events?syncToken=", 0), 0u) << targets[0];
    EXPECT_EQ(targets[1].rfind("/calendar/v3/calendars/me%40example.com/events?syncToken=", 0), 0u) << targets[1];
    EXPECT_EQ(targets[2], "/calendar/v3/users/me/calendarList");
    EXPECT_NE(targets[3].find("/lists/home-list/tasks?showCompleted=true&showHidden=true&showDeleted=true&updatedMin="),
              std::string::npos)
        << targets[3];
    EXPECT_EQ(shell->tree.Entries(), rowsBefore);

    const CacheMeta meta = cache->ReadMeta().value;
    EXPECT_EQ(meta.account, "me@example.com");
    EXPECT_EQ(meta.lastCompleteSync, "2026-12-08 09:00");
    EXPECT_EQ(shell->pass.LastCompleteSync(), "2026-12-08 09:00");
}

TEST_F(CachedPassTest, TheCacheFillsStoreAndTreeWithoutTheNetworkAndTheNextPassOnlyAsksForChanges)
{
    auto cache = OpenCache();
    auto first = Shell(cache.get());
    first->pass.FullLoad();
    first.reset();
    cache.reset();

    service.ClearRequests();
    auto reopened = OpenCache();
    auto second = Shell(reopened.get());
    ASSERT_TRUE(second->pass.ShowCached());
    EXPECT_TRUE(service.Requests().empty());
    auto reference = Shell(nullptr);
    reference->pass.FullLoad();
    EXPECT_EQ(StoreText(second->store), StoreText(reference->store));
    EXPECT_EQ(RowsText(second->tree), RowsText(reference->tree));
    EXPECT_EQ(second->pass.LastCompleteSync(), "2026-12-08 09:00");

    service.ClearRequests();
    const std::vector<std::string> shown = second->tree.Entries();
    second->pass.FullLoad();
    EXPECT_EQ(Targets().size(), 6u);
    EXPECT_EQ(second->tree.Entries(), shown);

    // An empty cache shows nothing.
    fs::remove_all(dir);
    fs::create_directories(dir);
    auto empty = OpenCache();
    EXPECT_FALSE(Shell(empty.get())->pass.ShowCached());
}

TEST_F(CachedPassTest, AnotherAccountsDataGoesOnceTheListNamesThisAccountsPrimaryCalendar)
{
    auto cache = OpenCache("someone@else.com");
    CalendarRecord theirs;
    theirs.id = "theirs@else.com";
    theirs.selected = "true";
    ASSERT_TRUE(cache->ReplaceCalendars({theirs}, {}).ok);
    EventRecord secret;
    secret.id = "secret";
    secret.start.date = "2026-12-08";
    ASSERT_TRUE(cache->ReplaceEvents(theirs.id, {secret}, {"their-token", "", "", "", ""}).ok);

    auto shell = Shell(cache.get());
    ASSERT_TRUE(shell->pass.ShowCached());
    shell->pass.FullLoad();
    EXPECT_TRUE(diagnostics.Contains("Cache : another account's data dropped for me@example.com"));
    auto reference = Shell(nullptr);
    reference->pass.FullLoad();
    EXPECT_EQ(StoreText(shell->store), StoreText(reference->store));
    EXPECT_EQ(RowsText(shell->tree), RowsText(reference->tree));
    EXPECT_EQ(CountRequests("theirs%40else.com"), 1u) << "asked with the others, before the list named the account";
    EXPECT_EQ(cache->ReadMeta().value.account, "me@example.com");
    const auto cached = cache->ReadCalendars().value;
    ASSERT_EQ(cached.size(), 3u);
    EXPECT_EQ(cached[0].id, "me@example.com");
    EXPECT_EQ(cached[0].events.size(), 2u);
}

TEST_F(CachedPassTest, AListingThatFailsKeepsItsLastGoodDataAndThePassIsNotComplete)
{
    auto cache = OpenCache();
    auto shell = Shell(cache.get());
    shell->pass.FullLoad();
    ASSERT_EQ(service
                  .FromAnotherDevice("PATCH", "/calendar/v3/calendars/home%40example.com/events/h1",
                                     R"({"summary": "Late dinner"})")
                  .status,
              200);
    ASSERT_EQ(service
                  .FromAnotherDevice("PATCH", "/calendar/v3/calendars/me%40example.com/events/m1",
                                     R"({"summary": "Not seen"})")
                  .status,
              200);
    clock.Set({2026, 12, 8, 9, 30, 0});
    service.FailNext(1,
                     fake::Fault{fake::FaultKind::Status, 500, std::chrono::seconds(60), "/me%40example.com/events"});
    shell->pass.FullLoad();
    const std::vector<std::string> store = StoreText(shell->store);
    EXPECT_NE(std::find_if(store.begin(), store.end(),
                           [](const std::string& line) { return line.find("|Late dinner|") != std::string::npos; }),
              store.end());
    EXPECT_NE(std::find_if(store.begin(), store.end(),
                           [](const std::string& line) { return line.find("|Review|") != std::string::npos; }),
              store.end())
        << "the failed calendar keeps what it showed";
    EXPECT_EQ(shell->ui.problem, "Not everything could be loaded: calendar 'Me' (Backend Error)");
    EXPECT_FALSE(shell->pass.IsOffline());
    EXPECT_EQ(shell->pass.LastCompleteSync(), "2026-12-08 09:00");
    EXPECT_EQ(cache->ReadMeta().value.lastCompleteSync, "2026-12-08 09:00");

    shell->pass.FullLoad();
    EXPECT_EQ(shell->ui.problem, "");
    EXPECT_EQ(shell->pass.LastCompleteSync(), "2026-12-08 09:30");
    auto reference = Shell(nullptr);
    reference->pass.FullLoad();
    EXPECT_EQ(StoreText(shell->store), StoreText(reference->store));
}

// Changes another device makes at the service, picked at random among the records the
// program holds: events and tasks inserted, changed, moved and deleted, lists and
// calendars added and removed, calendars hidden, shown, renamed and recoloured.
class RandomChanges
{
public:
    RandomChanges(fake::FakeService& service, std::mt19937& random) : service_(service), random_(random) {}

    void Round(const LocalStore& store, int count)
    {
        LocalStore::Data data;
        store.Read([&](const LocalStore::Data& held) {
            for (const CalendarRecord& calendar : held.calendars) {
                CalendarRecord copy = calendar;
                data.calendars.push_back(std::move(copy));
            }
            for (const TaskListInfo& list : held.taskLists) {
                TaskListInfo copy;
                copy.id = list.id;
                copy.tasks = list.tasks;
                data.taskLists.push_back(std::move(copy));
            }
        });
        for (int i = 0; i < count; ++i)
            Change(data);
    }

    std::vector<std::string> done; // what was asked and what the service answered, to tell a failure

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    template <class T> const T& PickOf(const std::vector<T>& from) { return from[Pick(static_cast<int>(from.size()))]; }

    static std::string Encoded(std::string id)
    {
        const std::size_t at = id.find('@');
        return at == std::string::npos ? id : id.replace(at, 1, "%40");
    }

    // Days around the loaded window (6 to 11 December), some outside it; few hours and
    // three zones, so that events start together and out of day order.
    std::string Times()
    {
        const int day = 3 + Pick(12);
        char date[32];
        std::snprintf(date, sizeof date, "2026-12-%02d", day);
        if (Pick(3) == 0) {
            char next[32];
            std::snprintf(next, sizeof next, "2026-12-%02d", day + 1 + Pick(2));
            return std::string(R"("start": {"date": ")") + date + R"("}, "end": {"date": ")" + next + R"("})";
        }
        const char* zones[] = {"Z", "+09:00", "-05:00"};
        const std::string zone = zones[Pick(3)];
        const std::string hour = std::to_string(10 + Pick(3));
        return std::string(R"("start": {"dateTime": ")") + date + "T" + hour + ":00:00" + zone +
               R"("}, "end": {"dateTime": ")" + date + "T" + hour + ":30:00" + zone + R"("})";
    }

    std::string Due()
    {
        if (Pick(3) == 0)
            return {};
        return R"(, "due": "2026-12-)" + std::to_string(10 + Pick(3)) + R"(T00:00:00.000Z")";
    }

    void Ask(const std::string& method, const std::string& target, const std::string& body = {})
    {
        const fake::DeviceAnswer answer = service_.FromAnotherDevice(method, target, body);
        done.push_back(method + " " + target + " " + body + " -> " + std::to_string(answer.status));
    }

    void Change(LocalStore::Data& data)
    {
        const std::string name = "n" + std::to_string(next_++);
        const int kind = Pick(16);
        if (kind < 4 && !data.calendars.empty()) {
            const CalendarRecord& calendar = PickOf(data.calendars);
            const std::string events = "/calendar/v3/calendars/" + Encoded(calendar.id) + "/events";
            if (kind == 0 || calendar.events.empty())
                return Ask("POST", events, R"({"summary": ")" + name + R"(", )" + Times() + "}");
            const std::string event = events + "/" + PickOf(calendar.events).id;
            if (kind == 1)
                return Ask("PATCH", event,
                           R"({"summary": ")" + name + R"(", "colorId": ")" + std::to_string(1 + Pick(11)) + R"("})");
            if (kind == 2)
                return Ask("PATCH", event, "{" + Times() + "}");
            return Ask("DELETE", event);
        }
        if (kind < 9 && !data.taskLists.empty()) {
            const TaskListInfo& list = PickOf(data.taskLists);
            const std::string tasks = "/tasks/v1/lists/" + list.id + "/tasks";
            const std::string parent = list.tasks.empty() || Pick(2) ? std::string() : PickOf(list.tasks).id;
            if (kind == 4 || list.tasks.empty())
                return Ask("POST", tasks + (parent.empty() ? "" : "?parent=" + parent),
                           R"({"title": ")" + name + R"(")" + Due() + "}");
            const std::string task = tasks + "/" + PickOf(list.tasks).id;
            if (kind == 5)
                return Ask("PATCH", task,
                           R"({"title": ")" + name + R"(", "status": ")" + (Pick(2) ? "completed" : "needsAction") +
                               R"(")" + Due() + "}");
            if (kind == 6)
                return Ask("POST", task + "/move" + (parent.empty() ? "" : "?parent=" + parent));
            if (kind == 7)
                return Ask("DELETE", task);
            return Ask("POST", "/tasks/v1/lists/" + list.id + "/clear");
        }
        switch (kind) {
        case 9:
            return Ask("POST", "/tasks/v1/users/@me/lists", R"({"title": ")" + name + R"("})");
        case 10:
            if (data.taskLists.size() > 1)
                return Ask("DELETE", "/tasks/v1/users/@me/lists/" + PickOf(data.taskLists).id);
            return;
        case 11: {
            std::string error;
            const std::string seed =
                R"({"calendar": {"calendars": [{"id": ")" + name + R"(@example.com", "summary": ")" + name +
                R"(", "accessRole": "owner", "selected": true, "events": [{"summary": "first", )" + Times() + "}]}]}}";
            EXPECT_TRUE(service_.SeedFromJson(seed, error)) << error;
            done.push_back("seed " + name);
            return;
        }
        default:
            break;
        }
        if (data.calendars.size() < 2)
            return;
        const CalendarRecord& calendar = PickOf(data.calendars);
        const std::string entry = "/calendar/v3/users/me/calendarList/" + Encoded(calendar.id);
        if (kind == 12 && !calendar.primary)
            return Ask("DELETE", entry);
        if (kind == 13)
            return Ask("PATCH", entry,
                       std::string(R"({"selected": )") + (IsSelected(calendar) ? "false" : "true") + "}");
        if (kind == 14)
            return Ask("PATCH", "/calendar/v3/calendars/" + Encoded(calendar.id), R"({"summary": ")" + name + R"("})");
        Ask("PATCH", entry, R"({"colorId": ")" + std::to_string(1 + Pick(24)) + R"("})");
    }

    fake::FakeService& service_;
    std::mt19937& random_;
    int next_ = 0;
};

// The program runs all along with its cache; after each round of changes at the service it
// passes once and must then hold what a fresh full pass (empty store, no cache) holds, row for
// row and field for field. Halfway the service forgets its sync history. At the end a start
// from the cache shows the same again.
TEST_F(CachedPassTest, AfterRoundsOfRandomChangesAPassEndsWhereAFreshFullPassEnds)
{
    // Any seed will do; this one (tried with 60 others over 12 rounds) stays, so a failure
    // can be run again.
    const unsigned seed = 20261208;
    std::mt19937 random(seed);
    auto cache = OpenCache();
    auto program = Shell(cache.get());
    program->pass.FullLoad();
    RandomChanges changes(service, random);
    constexpr int kRounds = 8;
    constexpr int kChangesPerRound = 10;
    for (int round = 0; round < kRounds; ++round) {
        if (round == kRounds / 2)
            service.ExpireSyncTokens();
        changes.Round(program->store, kChangesPerRound);
        program->pass.FullLoad();
        auto fresh = Shell(nullptr);
        fresh->pass.FullLoad();
        std::string asked;
        for (const std::string& line : changes.done)
            asked += line + "\n";
        ASSERT_EQ(StoreText(program->store), StoreText(fresh->store)) << "seed " << seed << " round " << round << "\n"
                                                                      << asked;
        ASSERT_EQ(RowsText(program->tree), RowsText(fresh->tree)) << "seed " << seed << " round " << round;
        ASSERT_EQ(program->ui.problem, "") << asked;
    }
    program.reset();
    cache.reset();
    auto reopened = OpenCache();
    auto restarted = Shell(reopened.get());
    ASSERT_TRUE(restarted->pass.ShowCached());
    auto fresh = Shell(nullptr);
    fresh->pass.FullLoad();
    EXPECT_EQ(StoreText(restarted->store), StoreText(fresh->store));
    EXPECT_EQ(RowsText(restarted->tree), RowsText(fresh->tree));
    restarted->pass.FullLoad();
    EXPECT_EQ(StoreText(restarted->store), StoreText(fresh->store));
}

TEST_F(CachedPassTest, WhenTheServiceForgetsItsSyncHistoryEachCalendarIsReadWholeAndEndsTheSame)
{
    auto cache = OpenCache();
    auto program = Shell(cache.get());
    program->pass.FullLoad();
    service.ExpireSyncTokens();
    ASSERT_EQ(
        service
            .FromAnotherDevice(
                "PATCH", "/calendar/v3/calendars/me%40example.com/events/m2",
                R"({"start": {"dateTime": "2026-12-10T08:00:00+09:00"}, "end": {"dateTime": "2026-12-10T09:00:00+09:00"}})")
            .status,
        200);
    ASSERT_EQ(service.FromAnotherDevice("DELETE", "/calendar/v3/calendars/home%40example.com/events/h1").status, 204);
    service.ClearRequests();
    program->pass.FullLoad();
    EXPECT_TRUE(diagnostics.Contains("Event sync token expired, reading the window whole : Me (me@example.com)"));
    EXPECT_TRUE(diagnostics.Contains("Event sync token expired, reading the window whole : Home (home@example.com)"));
    EXPECT_EQ(CountRequests("timeMin="), 2u);
    EXPECT_EQ(program->ui.problem, "");
    auto fresh = Shell(nullptr);
    fresh->pass.FullLoad();
    EXPECT_EQ(StoreText(program->store), StoreText(fresh->store));
    EXPECT_EQ(RowsText(program->tree), RowsText(fresh->tree));

    // The fresh tokens work: the next pass asks for changes only.
    service.ClearRequests();
    program->pass.FullLoad();
    EXPECT_EQ(CountRequests("timeMin="), 0u);
    EXPECT_EQ(CountRequests("syncToken="), 2u);
}

} // namespace
} // namespace orb
