#include "tests/cache/cache_fixture.h"
#include "tests/tasks/tree_text.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace orb::test {
namespace {

std::vector<std::string> Fields(const CalendarRecord& c)
{
    return {c.id,
            c.kind,
            c.summary,
            c.description,
            c.timeZone,
            c.colorId,
            c.backgroundColor,
            c.foregroundColor,
            c.accessRole,
            c.selected,
            std::to_string(c.tag)};
}

std::vector<std::string> Fields(const EventRecord& e)
{
    return {e.id,
            e.etag,
            e.kind,
            e.summary,
            e.description,
            e.status,
            e.created,
            e.updated,
            e.location,
            e.colorId,
            e.creator.id,
            e.creator.email,
            e.creator.displayName,
            e.creator.self,
            e.start.date,
            e.start.dateTime,
            e.start.timeZone,
            e.end.date,
            e.end.dateTime,
            e.end.timeZone,
            e.colorText};
}

std::vector<std::string> Fields(const TaskInfo& t)
{
    return {t.kind, t.id, t.title, t.updated, t.notes, t.due, t.status, t.parent, t.selfLink, t.position};
}

CalendarRecord HostileCalendar(const std::string& id, std::int32_t tag)
{
    CalendarRecord c;
    c.id = id;
    int n = 0;
    for (std::string* text : {&c.kind, &c.summary, &c.description, &c.timeZone, &c.colorId, &c.backgroundColor,
                              &c.foregroundColor, &c.accessRole, &c.selected})
        *text = Hostile(id + "." + std::to_string(n++));
    c.tag = tag;
    return c;
}

// Every text hostile and different; the start is all-day on `day`, or timed when `day` has a time.
EventRecord HostileEvent(const std::string& id, const std::string& day)
{
    EventRecord e;
    int n = 0;
    for (std::string* text :
         {&e.etag, &e.kind, &e.summary, &e.description, &e.status, &e.created, &e.updated, &e.location, &e.colorId,
          &e.creator.id, &e.creator.email, &e.creator.displayName, &e.creator.self, &e.start.timeZone, &e.end.date,
          &e.end.dateTime, &e.end.timeZone, &e.colorText})
        *text = Hostile(id + "." + std::to_string(n++));
    e.id = id;
    (day.size() > 10 ? e.start.dateTime : e.start.date) = day;
    return e;
}

TaskInfo Task(const std::string& id, const std::string& parent, const std::string& due)
{
    TaskInfo t{Hostile("kind"),
               id,
               Hostile(id + " title"),
               Hostile("upd"),
               Hostile(id + " notes", 3000),
               due,
               Hostile("status"),
               parent,
               Hostile("link"),
               ""};
    return t;
}

TaskListInfo List(const std::string& id, std::vector<TaskInfo> tasks)
{
    TaskListInfo list;
    list.kind = Hostile("list kind");
    list.id = id;
    list.title = Hostile(id + " title");
    list.updated = Hostile("list updated");
    list.selfLink = Hostile("list link");
    list.tasks = std::move(tasks);
    // Flat on purpose: the read must build the hierarchy from the parents alone.
    for (const TaskInfo& task : list.tasks)
        list.tree->AppendChild(list.root(), task);
    return list;
}

TEST_F(CacheTest, CalendarsAndEventsReadBackFieldForFieldInListAndStartOrder)
{
    auto cache = OpenCache();
    const std::vector<CalendarRecord> calendars{HostileCalendar("z-last-by-name", 1),
                                                HostileCalendar("'캘린더' \"two\"", 7)};
    // Service order; the read must give SortEvents' order: by start day, ties as sent.
    std::vector<EventRecord> events{HostileEvent("e1", "2026-12-09"), HostileEvent("e2", "2026-12-08"),
                                    HostileEvent("e3", "2026-12-09"), HostileEvent("e4", "2026-12-08T23:59:00+09:00"),
                                    HostileEvent("e0", "2026-12-07")};
    events[0].description = Hostile("long", 200000);
    ASSERT_TRUE(cache->ReplaceCalendars(calendars, {}).ok);
    ASSERT_TRUE(cache->ReplaceEvents(calendars[1].id, events, {}).ok);

    const auto read = cache->ReadCalendars();
    ASSERT_TRUE(read.ok) << read.failure;
    ASSERT_EQ(read.value.size(), 2u);
    EXPECT_EQ(Fields(read.value[0]), Fields(calendars[0]));
    EXPECT_EQ(Fields(read.value[1]), Fields(calendars[1]));
    EXPECT_TRUE(read.value[0].events.empty());
    EXPECT_EQ(Ids(read.value[1].events), (std::vector<std::string>{"e0", "e2", "e4", "e1", "e3"}));
    SortEvents(events);
    ASSERT_EQ(read.value[1].events.size(), events.size());
    for (std::size_t i = 0; i < events.size(); ++i)
        EXPECT_EQ(Fields(read.value[1].events[i]), Fields(events[i]));
}

TEST_F(CacheTest, TaskListsReadBackWithTheHierarchyTheTasksClientBuildsAndTheirExpansion)
{
    auto cache = OpenCache();
    // A child before its parent, an orphan and a cycle: placed as a pass places them. The
    // two children share a due, so the service's positions order them, the later one first.
    std::vector<TaskInfo> tasks{Task("kid", "top", "2026-12-10"),  Task("top", "", ""),
                                Task("kid2", "top", "2026-12-10"), Task("orphan", "gone", ""),
                                Task("loopA", "loopB", ""),        Task("loopB", "loopA", ""),
                                Task("early", "", "2026-11-01")};
    tasks[0].position = Hostile("2");
    tasks[2].position = Hostile("1");
    std::vector<TaskListInfo> lists{List("L1", tasks), List("빈 목록 'two'", {})};
    lists[0].expanded = 1;
    lists[0].tree->FindNode("top")->expanded = 1;
    lists[0].tree->FindNode("loopB")->expanded = 3;
    ASSERT_TRUE(cache->ReplaceTaskLists(lists, {}).ok);
    for (const TaskListInfo& list : lists)
        ASSERT_TRUE(cache->ReplaceTasks(list, {}).ok);

    const auto read = cache->ReadTaskLists();
    ASSERT_TRUE(read.ok) << read.failure;
    ASSERT_EQ(Ids(read.value), Ids(lists));
    const TaskListInfo& list = read.value[0];
    EXPECT_EQ(
        (std::vector<std::string>{list.kind, list.title, list.updated, list.selfLink, std::to_string(list.expanded)}),
        (std::vector<std::string>{lists[0].kind, lists[0].title, lists[0].updated, lists[0].selfLink, "1"}));
    ASSERT_EQ(list.tasks.size(), lists[0].tasks.size());
    for (std::size_t i = 0; i < list.tasks.size(); ++i)
        EXPECT_EQ(Fields(list.tasks[i]), Fields(lists[0].tasks[i])) << "service order at " << i;
    EXPECT_EQ(TreeText(list.root()), "top(kid2,kid),orphan,loopB(loopA),early");
    EXPECT_EQ(list.tree->FindNode("top")->expanded, 1);
    EXPECT_EQ(list.tree->FindNode("loopB")->expanded, 3);
    EXPECT_EQ(list.tree->FindNode("kid")->expanded, 0);
    EXPECT_EQ(Fields(list.tree->FindNode("kid2")->task), Fields(lists[0].tasks[2]));
    EXPECT_TRUE(read.value[1].tasks.empty());
    EXPECT_EQ(read.value[1].root().firstChild, nullptr);
}

TEST_F(CacheTest, ReplacingAListingKeepsTheRowsOfWhatStaysAndDropsWhatLeftWithItsState)
{
    auto cache = OpenCache();
    ASSERT_TRUE(cache->ReplaceCalendars({HostileCalendar("A", 0), HostileCalendar("B", 0)}, Token("list-1")).ok);
    ASSERT_TRUE(cache->ReplaceEvents("A", {HostileEvent("a1", "2026-12-01")}, Token("token-A")).ok);
    ASSERT_TRUE(cache->ReplaceEvents("B", {HostileEvent("b1", "2026-12-01")}, Token("token-B")).ok);
    CalendarRecord renamed = HostileCalendar("B", 1);
    renamed.summary = "renamed";
    ASSERT_TRUE(cache->ReplaceCalendars({HostileCalendar("C", 0), renamed}, Token("list-2")).ok);

    const auto read = cache->ReadCalendars();
    ASSERT_EQ(Ids(read.value), (std::vector<std::string>{"C", "B"}));
    EXPECT_EQ(read.value[1].summary, "renamed");
    EXPECT_EQ(Ids(read.value[1].events), std::vector<std::string>{"b1"});
    EXPECT_EQ(cache->ReadSyncState(EventsKey("A")).value.syncToken, "") << "a calendar that left takes its state";
    EXPECT_EQ(cache->ReadSyncState(EventsKey("B")).value.syncToken, "token-B");
    EXPECT_EQ(cache->ReadSyncState(CalendarListKey()).value.syncToken, "list-2");

    // Replacing a calendar's events drops the old ones, even those the new listing repeats.
    ASSERT_TRUE(cache->ReplaceEvents("B", {HostileEvent("b2", "2026-12-02")}, Token("token-B2")).ok);
    EXPECT_EQ(Ids(cache->ReadCalendars().value[1].events), std::vector<std::string>{"b2"});

    const CacheResult stray = cache->ReplaceEvents("A", {HostileEvent("a2", "2026-12-01")}, Token("token-A2"));
    EXPECT_FALSE(stray.ok);
    EXPECT_EQ(stray.failure, "cannot write the events of A: calendar A is not in the cache");
    EXPECT_EQ(cache->ReadSyncState(EventsKey("A")).value.syncToken, "") << "the state goes with its rows or not at all";
}

TEST_F(CacheTest, ChangeSetsUpsertAndDeleteByIdAndCarryTheirSyncState)
{
    auto cache = OpenCache();
    ASSERT_TRUE(cache->ReplaceCalendars({HostileCalendar("cal", 0)}, {}).ok);
    ASSERT_TRUE(cache
                    ->ReplaceEvents("cal",
                                    {HostileEvent("a", "2026-12-08"), HostileEvent("b", "2026-12-08"),
                                     HostileEvent("c", "2026-12-09")},
                                    {})
                    .ok);
    EventRecord movedB = HostileEvent("b", "2026-12-10");
    movedB.summary = "b moved";
    EventRecord changedA = HostileEvent("a", "2026-12-08");
    changedA.summary = "a changed";
    const SyncState state{"next-token", "", "2026-11-01T00:00:00Z", "2027-01-01T00:00:00Z", "2026-12-08T09:30:00"};
    ASSERT_TRUE(cache
                    ->ApplyEventChanges(
                        "cal", {{HostileEvent("new", "2026-12-08"), movedB, changedA}, {"c", "never-was"}}, state)
                    .ok);
    const auto events = cache->ReadCalendars().value[0].events;
    // "a" keeps its place on its day; the new one comes after it.
    EXPECT_EQ(Ids(events), (std::vector<std::string>{"a", "new", "b"}));
    EXPECT_EQ(events[0].summary, "a changed");
    EXPECT_EQ(events[2].summary, "b moved");
    const SyncState stored = cache->ReadSyncState(EventsKey("cal")).value;
    EXPECT_EQ((std::vector<std::string>{stored.syncToken, stored.updatedMin, stored.timeMin, stored.timeMax,
                                        stored.lastSuccess}),
              (std::vector<std::string>{"next-token", "", "2026-11-01T00:00:00Z", "2027-01-01T00:00:00Z",
                                        "2026-12-08T09:30:00"}));

    TaskListInfo list = List("L", {Task("t1", "", ""), Task("t2", "t1", ""), Task("t3", "", "")});
    list.tree->FindNode("t1")->expanded = 1;
    ASSERT_TRUE(cache->ReplaceTaskLists({list}, {}).ok);
    ASSERT_TRUE(cache->ReplaceTasks(list, {}).ok);
    TaskInfo retitled = Task("t1", "", "");
    retitled.title = "retitled";
    ASSERT_TRUE(
        cache->ApplyTaskChanges("L", {{Task("t4", "t1", ""), retitled}, {"t3"}}, Since("2026-12-08T00:00:00Z")).ok);
    const TaskListInfo read = cache->ReadTaskLists().value[0];
    EXPECT_EQ(Ids(read.tasks), (std::vector<std::string>{"t1", "t2", "t4"}));
    EXPECT_EQ(TreeText(read.root()), "t1(t2,t4)");
    EXPECT_EQ(read.tree->FindNode("t1")->task.title, "retitled");
    EXPECT_EQ(read.tree->FindNode("t1")->expanded, 1) << "a change from the service keeps the user's expansion";
    EXPECT_EQ(read.tree->FindNode("t4")->expanded, 1) << "a new task is expanded as a load expands it";
    EXPECT_EQ(cache->ReadSyncState(TasksKey("L")).value.updatedMin, "2026-12-08T00:00:00Z");
}

TEST_F(CacheTest, EditsAreWrittenThroughOneRecordAtATime)
{
    auto cache = OpenCache();
    ASSERT_TRUE(cache->ReplaceCalendars({HostileCalendar("cal", 0), HostileCalendar("other", 0)}, {}).ok);
    ASSERT_TRUE(cache->ReplaceEvents("cal", {HostileEvent("a", "2026-12-08"), HostileEvent("b", "2026-12-08")}, {}).ok);
    EventRecord edited = HostileEvent("a", "2026-12-08");
    edited.summary = "edited";
    EXPECT_TRUE(cache->PutEvent("cal", edited).ok);
    EXPECT_TRUE(cache->PutEvent("cal", HostileEvent("c", "2026-12-08")).ok);
    EXPECT_TRUE(cache->DeleteEvent("cal", "b").ok);
    EXPECT_FALSE(cache->PutEvent("nowhere", edited).ok);
    CalendarRecord expanded = HostileCalendar("cal", 1);
    EXPECT_TRUE(cache->PutCalendar(expanded).ok);
    EXPECT_TRUE(cache->PutCalendar(HostileCalendar("new", 0)).ok);
    const auto calendars = cache->ReadCalendars().value;
    EXPECT_EQ(Ids(calendars), (std::vector<std::string>{"cal", "other", "new"}));
    EXPECT_EQ(calendars[0].tag, 1);
    EXPECT_EQ(Ids(calendars[0].events), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(calendars[0].events[0].summary, "edited");

    ASSERT_TRUE(cache->ReplaceTaskLists({List("L", {}), List("M", {})}, {}).ok);
    ASSERT_TRUE(
        cache
            ->ReplaceTasks(List("L", {Task("p", "", ""), Task("c", "p", ""), Task("g", "c", ""), Task("q", "", "")}),
                           Since("stamp"))
            .ok);
    EXPECT_TRUE(cache->PutTask("L", Task("n", "q", "")).ok);
    EXPECT_TRUE(cache->SetTaskExpanded("L", "q", 1).ok);
    EXPECT_EQ(cache->MoveTask("L", "p", "g").failure, "cannot move task p: its new parent g lies below it");
    EXPECT_FALSE(cache->MoveTask("L", "p", "absent").ok);
    EXPECT_FALSE(cache->SetTaskExpanded("L", "absent", 1).ok);
    EXPECT_TRUE(cache->MoveTask("L", "c", "q").ok);
    EXPECT_TRUE(cache->DeleteTask("L", "c").ok) << "with its subtask g";
    TaskListInfo renamed = List("M", {});
    renamed.title = "renamed";
    renamed.expanded = 1;
    EXPECT_TRUE(cache->PutTaskList(renamed).ok);
    EXPECT_TRUE(cache->PutTaskList(List("N", {})).ok);
    auto lists = cache->ReadTaskLists().value;
    ASSERT_EQ(Ids(lists), (std::vector<std::string>{"L", "M", "N"}));
    EXPECT_EQ(TreeText(lists[0].root()), "p,q(n)");
    EXPECT_EQ(lists[0].tree->FindNode("q")->expanded, 1);
    EXPECT_EQ(lists[1].title, "renamed");
    EXPECT_EQ(lists[1].expanded, 1);

    EXPECT_TRUE(cache->DeleteTaskList("L").ok);
    lists = cache->ReadTaskLists().value;
    EXPECT_EQ(Ids(lists), (std::vector<std::string>{"M", "N"}));
    EXPECT_EQ(cache->ReadSyncState(TasksKey("L")).value.updatedMin, "") << "a deleted list takes its state";
}

TEST_F(CacheTest, RowsBelongToOneAccountAndLogoutLeavesNothingBehind)
{
    {
        CacheOpening first = LocalCache::Open(path, "first@example.com", clock);
        ASSERT_TRUE(first.cache) << first.reason;
        EXPECT_EQ(first.outcome, CacheOpenOutcome::Created);
        EXPECT_FALSE(first.clearedForAccount) << "a new cache has nothing to clear";
        auto& cache = first.cache;
        ASSERT_TRUE(cache->ReplaceCalendars({HostileCalendar("cal", 0)}, Token("token")).ok);
        ASSERT_TRUE(cache->WriteLastCompleteSync("2026-12-08T09:30:00").ok);
    }
    for (const std::string account : {"first@example.com", ""}) {
        CacheOpening same = LocalCache::Open(path, account, clock);
        ASSERT_TRUE(same.cache) << same.reason;
        EXPECT_EQ(same.outcome, CacheOpenOutcome::Opened);
        EXPECT_FALSE(same.clearedForAccount);
        EXPECT_EQ(same.cache->ReadCalendars().value.size(), 1u) << "opened for '" << account << "'";
        EXPECT_EQ(same.cache->ReadMeta().value.lastCompleteSync, "2026-12-08T09:30:00");
    }

    CacheOpening other = LocalCache::Open(path, "second@example.com", clock);
    ASSERT_TRUE(other.cache) << other.reason;
    EXPECT_TRUE(other.clearedForAccount);
    EXPECT_TRUE(other.cache->ReadCalendars().value.empty());
    EXPECT_EQ(other.cache->ReadSyncState(CalendarListKey()).value.syncToken, "");
    EXPECT_EQ(other.cache->ReadMeta().value.account, "second@example.com");
    EXPECT_EQ(other.cache->ReadMeta().value.lastCompleteSync, "");

    ASSERT_TRUE(other.cache->ReplaceTaskLists({List("L", {Task("t", "", "")})}, Since("stamp")).ok);
    ASSERT_TRUE(other.cache->Clear().ok);
    EXPECT_TRUE(other.cache->ReadTaskLists().value.empty());
    EXPECT_EQ(other.cache->ReadMeta().value.account, "");
    EXPECT_TRUE(std::filesystem::exists(path));

    ASSERT_TRUE(other.cache->CloseAndDeleteFiles().ok);
    for (const char* suffix : {"", "-wal", "-shm"})
        EXPECT_FALSE(std::filesystem::exists(path + suffix)) << suffix;
    const auto closed = other.cache->ReadCalendars();
    EXPECT_FALSE(closed.ok);
    EXPECT_EQ(closed.failure, "cannot read the calendars: the cache is closed");
}

// The load pass's worker writes while the user-interface thread reads, through one cache;
// another instance of the program reads the same file through its own connection. Every
// read must see a listing whole: one generation, all of its events.
TEST_F(CacheTest, ReadersOnOtherThreadsAndConnectionsSeeOnlyWholeListings)
{
    auto cache = OpenCache();
    auto second = OpenCache();
    ASSERT_TRUE(cache->ReplaceCalendars({HostileCalendar("cal", 0)}, {}).ok);
    constexpr int kGenerations = 150;
    std::atomic<bool> writing = true;
    std::atomic<int> failures = 0;
    std::thread writer([&] {
        for (int generation = 1; generation <= kGenerations; ++generation) {
            std::vector<EventRecord> events;
            for (int i = 0; i < 1 + generation % 13; ++i) {
                events.push_back(HostileEvent("e" + std::to_string(i), "2026-12-08"));
                events.back().summary = std::to_string(generation);
            }
            failures += !cache->ReplaceEvents("cal", events, Token(std::to_string(generation))).ok;
        }
        writing = false;
    });
    const auto reader = [&](LocalCache& through, int& reads) {
        do {
            const auto read = through.ReadCalendars();
            if (!read.ok || read.value.size() != 1) {
                ++failures;
                continue;
            }
            const auto& events = read.value[0].events;
            const int generation = events.empty() ? 0 : std::stoi(events[0].summary);
            bool whole = events.size() == static_cast<std::size_t>(generation == 0 ? 0 : 1 + generation % 13);
            for (const EventRecord& event : events)
                whole = whole && event.summary == events[0].summary;
            failures += !whole;
            ++reads;
        } while (writing);
    };
    int sameReads = 0;
    int otherReads = 0;
    std::thread sameConnection([&] { reader(*cache, sameReads); });
    reader(*second, otherReads);
    writer.join();
    sameConnection.join();
    EXPECT_EQ(failures, 0);
    EXPECT_GT(sameReads, 0);
    EXPECT_GT(otherReads, 0);
    EXPECT_EQ(second->ReadSyncState(EventsKey("cal")).value.syncToken, std::to_string(kGenerations));
}

} // namespace
} // namespace orb::test
