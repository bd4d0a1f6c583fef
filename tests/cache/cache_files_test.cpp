#include "cache/cache_schema.h"
#include "cache/sqlite_handle.h"
#include "tests/cache/cache_fixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace orb::test {
namespace {

// Runs `sql` on the file through a connection of the test's own, as another program would.
void RunSql(const std::string& file, const char* sql)
{
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open(file.c_str(), &raw);
    sqlite::Database db(raw);
    ASSERT_EQ(opened, SQLITE_OK);
    sqlite::Execute(db.get(), sql);
}

CalendarRecord Calendar(const std::string& id)
{
    CalendarRecord calendar;
    calendar.id = id;
    return calendar;
}

int ModeOf(const std::string& file)
{
    struct stat info
    {};
    return ::stat(file.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

TEST_F(CacheTest, TheDatabaseAndItsLogAndIndexAreTheOwnersAloneWhateverTheUmask)
{
    const mode_t oldMask = ::umask(0);
    WriteBytes(path, ""); // left world-readable by someone else's hand
    ::chmod(path.c_str(), 0666);
    CacheOpening opening = LocalCache::Open(path, "me", clock);
    ::umask(oldMask);
    ASSERT_TRUE(opening.cache) << opening.reason;
    EXPECT_EQ(opening.outcome, CacheOpenOutcome::Created);
    ASSERT_TRUE(opening.cache->ReplaceCalendars({Calendar("cal")}, {}).ok);
    // Checked while open: the log and index exist only then.
    EXPECT_EQ(ModeOf(path), 0600);
    EXPECT_EQ(ModeOf(path + "-wal"), 0600);
    EXPECT_EQ(ModeOf(path + "-shm"), 0600);

    const CacheOpening nowhere = LocalCache::Open((dir / "no-such-folder" / "cache.sqlite").string(), "me", clock);
    EXPECT_EQ(nowhere.outcome, CacheOpenOutcome::Failed);
    EXPECT_FALSE(nowhere.cache);
    EXPECT_NE(nowhere.reason.find("no-such-folder/cache.sqlite"), std::string::npos) << nowhere.reason;
}

TEST_F(CacheTest, AFileFromANewerProgramIsKeptBesideAndANewCacheTakesItsPlace)
{
    RunSql(path, "CREATE TABLE future (x); INSERT INTO future VALUES ('kept'); PRAGMA user_version = 99");
    const std::string original = ReadBytes(path);

    CacheOpening opening = LocalCache::Open(path, "me", clock);
    ASSERT_TRUE(opening.cache) << opening.reason;
    EXPECT_EQ(opening.outcome, CacheOpenOutcome::NewerMovedAside);
    EXPECT_EQ(opening.movedTo, path + ".newer-20261208-093000");
    EXPECT_NE(opening.reason.find("schema version 99"), std::string::npos) << opening.reason;
    EXPECT_TRUE(ReadBytes(opening.movedTo) == original) << "the newer file is kept byte for byte";
    ASSERT_TRUE(opening.cache->ReplaceCalendars({Calendar("cal")}, {}).ok);
    EXPECT_EQ(opening.cache->ReadCalendars().value.size(), 1u);
}

// Garbage for a file: no database header, then a header over garbage pages, then a real
// cache cut short. Each is kept for a look and a working, empty cache replaces it.
TEST_F(CacheTest, ADamagedFileIsKeptBesideAndTheCacheIsRebuiltEmpty)
{
    const auto makeCache = [&] {
        auto cache = OpenCache();
        ASSERT_TRUE(cache->ReplaceCalendars({Calendar("cal")}, {}).ok);
        std::vector<EventRecord> events(400);
        for (std::size_t i = 0; i < events.size(); ++i) {
            events[i].id = "e" + std::to_string(i);
            events[i].description = Hostile("filler", 2000);
        }
        ASSERT_TRUE(cache->ReplaceEvents("cal", events, {}).ok);
    };
    std::string garbage;
    for (int i = 0; i < 20000; ++i)
        garbage += static_cast<char>((i * 7919) % 251);
    const std::vector<std::pair<std::string, std::function<void()>>> damages{
        {"not a database", [&] { WriteBytes(path, garbage); }},
        {"garbage pages",
         [&] {
             makeCache();
             std::string bytes = ReadBytes(path);
             bytes.replace(8192, garbage.size(), garbage);
             WriteBytes(path, bytes);
         }},
        {"cut short",
         [&] {
             makeCache();
             std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
         }},
    };
    int minute = 0;
    for (const auto& [name, damage] : damages) {
        SCOPED_TRACE(name);
        damage();
        const std::string damaged = ReadBytes(path);
        WriteBytes(path + "-wal", "a log that belongs to the damaged file");
        clock.Set({2026, 12, 8, 9, ++minute, 0});

        CacheOpening opening = LocalCache::Open(path, "me", clock);
        ASSERT_TRUE(opening.cache) << opening.reason;
        EXPECT_EQ(opening.outcome, CacheOpenOutcome::DamagedMovedAside);
        EXPECT_EQ(opening.movedTo,
                  path + ".damaged-20261208-09" + (minute < 10 ? "0" : "") + std::to_string(minute) + "00");
        EXPECT_FALSE(opening.reason.empty());
        EXPECT_TRUE(ReadBytes(opening.movedTo) == damaged) << "the damaged file is kept byte for byte";
        EXPECT_EQ(ReadBytes(opening.movedTo + "-wal"), "a log that belongs to the damaged file");
        EXPECT_TRUE(opening.cache->ReadCalendars().value.empty());
        ASSERT_TRUE(opening.cache->ReplaceCalendars({Calendar("fresh")}, {}).ok);
        EXPECT_EQ(opening.cache->ReadCalendars().value.size(), 1u);
        opening.cache.reset();
        std::filesystem::remove(path);
    }
}

// A file as the first release left it, rows in that release's columns: every row stays,
// the events gain what day-range reads need and the tasks an empty service position.
TEST_F(CacheTest, AVersionOneFileKeepsItsRowsAndGainsDayRangesAndTaskPositions)
{
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
        sqlite::Database db(raw);
        MigrateCache(db.get(), 0, 1);
        sqlite::Execute(db.get(), R"sql(
UPDATE meta SET account = 'me@example.com';
INSERT INTO calendars (id, position, summary, tag) VALUES ('cal', 0, 'Mine', 1);
INSERT INTO events (calendar_id, id, position, start_day, summary, start_date, end_date)
    VALUES ('cal', 'trip', 0, '2026-11-30', 'Trip', '2026-11-30', '2026-12-02');
INSERT INTO events (calendar_id, id, position, start_day, start_date_time, end_date_time)
    VALUES ('cal', 'late', 1, '2026-12-12', '2026-12-12T23:00:00+09:00', '2026-12-13T01:00:00+09:00');
INSERT INTO events (calendar_id, id, position, start_day, start_date) VALUES ('cal', 'no-end', 2, '2026-12-11', '2026-12-11');
INSERT INTO task_lists (id, position, title, expanded) VALUES ('L', 0, 'List', 1);
INSERT INTO tasks (list_id, id, position, title, parent) VALUES ('L', 't', 0, 'Task', '');
INSERT INTO sync_states (key, sync_token) VALUES ('events of cal', 'kept-token');
)sql");
    }
    CacheOpening opening = LocalCache::Open(path, "me@example.com", clock);
    ASSERT_TRUE(opening.cache) << opening.reason;
    EXPECT_EQ(opening.outcome, CacheOpenOutcome::Migrated);
    EXPECT_FALSE(opening.clearedForAccount);
    LocalCache& cache = *opening.cache;
    const auto calendars = cache.ReadCalendars().value;
    ASSERT_EQ(calendars.size(), 1u);
    EXPECT_EQ(calendars[0].summary, "Mine");
    EXPECT_EQ(calendars[0].tag, 1);
    EXPECT_EQ(Ids(calendars[0].events), (std::vector<std::string>{"trip", "no-end", "late"}));
    EXPECT_EQ(calendars[0].events[0].end.date, "2026-12-02");
    EXPECT_EQ(cache.ReadTaskLists().value.at(0).tasks.at(0).title, "Task");
    EXPECT_EQ(cache.ReadSyncState(EventsKey("cal")).value.syncToken, "kept-token");

    EventRecord added;
    added.id = "added";
    added.start.dateTime = "2026-12-01T10:00:00+09:00";
    added.end.dateTime = "2026-12-01T11:00:00+09:00";
    ASSERT_TRUE(cache.PutEvent("cal", added).ok);
    const auto eventsIn = [&](const char* first, const char* last) {
        return Ids(cache.ReadCalendars({first, last}).value.at(0).events);
    };
    // An all-day end is exclusive: the trip covers November 30 and December 1 only.
    EXPECT_EQ(eventsIn("2026-12-01", "2026-12-01"), (std::vector<std::string>{"trip", "added"}));
    EXPECT_EQ(eventsIn("2026-12-02", "2026-12-10"), std::vector<std::string>{});
    EXPECT_EQ(eventsIn("2026-12-11", "2026-12-11"), std::vector<std::string>{"no-end"});
    EXPECT_EQ(eventsIn("2026-12-13", "2026-12-31"), std::vector<std::string>{"late"});
    EXPECT_EQ(eventsIn("2026-11-01", "2026-11-30"), std::vector<std::string>{"trip"});

    const auto lists = cache.ReadTaskLists().value;
    ASSERT_EQ(lists.size(), 1u);
    ASSERT_EQ(lists[0].tasks.size(), 1u);
    EXPECT_EQ(lists[0].tasks[0].title, "Task");
    EXPECT_EQ(lists[0].tasks[0].position, "") << "kept from before the service's positions were";

    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    sqlite::Database db(raw);
    EXPECT_EQ(ReadSchemaVersion(db.get()), 3);
}

} // namespace
} // namespace orb::test
