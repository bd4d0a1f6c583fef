#include "cache/cache_schema.h"

#include "cache/record_columns.h"
#include "cache/sqlite_handle.h"

#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace orb {

namespace {

// A released step never changes: files in the field were made by it. New columns (reminders
// will bring some) come as a new step at the end.

void CreateFirstSchema(sqlite3* db)
{
    sqlite::Execute(db, R"sql(
CREATE TABLE meta (
    only_row INTEGER PRIMARY KEY CHECK (only_row = 1),
    account TEXT NOT NULL DEFAULT '',
    last_complete_sync TEXT NOT NULL DEFAULT ''
);
INSERT INTO meta (only_row) VALUES (1);

CREATE TABLE calendars (
    id TEXT PRIMARY KEY NOT NULL,
    position INTEGER NOT NULL,
    kind TEXT NOT NULL DEFAULT '',
    summary TEXT NOT NULL DEFAULT '',
    description TEXT NOT NULL DEFAULT '',
    time_zone TEXT NOT NULL DEFAULT '',
    color_id TEXT NOT NULL DEFAULT '',
    background_color TEXT NOT NULL DEFAULT '',
    foreground_color TEXT NOT NULL DEFAULT '',
    access_role TEXT NOT NULL DEFAULT '',
    selected TEXT NOT NULL DEFAULT '',
    tag INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE events (
    calendar_id TEXT NOT NULL REFERENCES calendars (id) ON DELETE CASCADE,
    id TEXT NOT NULL,
    position INTEGER NOT NULL,
    start_day TEXT NOT NULL,
    etag TEXT NOT NULL DEFAULT '',
    kind TEXT NOT NULL DEFAULT '',
    summary TEXT NOT NULL DEFAULT '',
    description TEXT NOT NULL DEFAULT '',
    status TEXT NOT NULL DEFAULT '',
    created TEXT NOT NULL DEFAULT '',
    updated TEXT NOT NULL DEFAULT '',
    location TEXT NOT NULL DEFAULT '',
    color_id TEXT NOT NULL DEFAULT '',
    creator_id TEXT NOT NULL DEFAULT '',
    creator_email TEXT NOT NULL DEFAULT '',
    creator_display_name TEXT NOT NULL DEFAULT '',
    creator_self TEXT NOT NULL DEFAULT '',
    start_date TEXT NOT NULL DEFAULT '',
    start_date_time TEXT NOT NULL DEFAULT '',
    start_time_zone TEXT NOT NULL DEFAULT '',
    end_date TEXT NOT NULL DEFAULT '',
    end_date_time TEXT NOT NULL DEFAULT '',
    end_time_zone TEXT NOT NULL DEFAULT '',
    color_text TEXT NOT NULL DEFAULT '',
    UNIQUE (calendar_id, id)
);
-- Reading a calendar's events in start order walks this index instead of sorting.
CREATE INDEX events_in_order ON events (calendar_id, start_day, position);

CREATE TABLE task_lists (
    id TEXT PRIMARY KEY NOT NULL,
    position INTEGER NOT NULL,
    kind TEXT NOT NULL DEFAULT '',
    title TEXT NOT NULL DEFAULT '',
    updated TEXT NOT NULL DEFAULT '',
    self_link TEXT NOT NULL DEFAULT '',
    expanded INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE tasks (
    list_id TEXT NOT NULL REFERENCES task_lists (id) ON DELETE CASCADE,
    id TEXT NOT NULL,
    position INTEGER NOT NULL,
    kind TEXT NOT NULL DEFAULT '',
    title TEXT NOT NULL DEFAULT '',
    updated TEXT NOT NULL DEFAULT '',
    notes TEXT NOT NULL DEFAULT '',
    due TEXT NOT NULL DEFAULT '',
    status TEXT NOT NULL DEFAULT '',
    parent TEXT NOT NULL DEFAULT '',
    self_link TEXT NOT NULL DEFAULT '',
    expanded INTEGER NOT NULL DEFAULT 0,
    UNIQUE (list_id, id)
);
CREATE INDEX tasks_in_order ON tasks (list_id, position);

CREATE TABLE sync_states (
    key TEXT PRIMARY KEY NOT NULL,
    sync_token TEXT NOT NULL DEFAULT '',
    updated_min TEXT NOT NULL DEFAULT '',
    time_min TEXT NOT NULL DEFAULT '',
    time_max TEXT NOT NULL DEFAULT '',
    last_success TEXT NOT NULL DEFAULT ''
);
)sql");
}

// Day-range reads need the last day of each event; the rows already there get theirs from
// the same rule new rows are written with.
void AddEventEndDays(sqlite3* db)
{
    sqlite::Execute(db, "ALTER TABLE events ADD COLUMN end_day TEXT NOT NULL DEFAULT ''");
    // Read first, then written: a table is not changed under a scan of itself.
    std::vector<std::pair<std::int64_t, std::string>> endDays;
    const sqlite::Statement rows = sqlite::Prepare(db, "SELECT rowid, start_day, end_date, end_date_time FROM events");
    for (sqlite::Use row(rows.get()); row.Step();) {
        EventTime end;
        end.date = row.ColumnText(2);
        end.dateTime = row.ColumnText(3);
        endDays.emplace_back(row.ColumnInteger(0), EventEndDay(end, row.ColumnText(1)));
    }
    const sqlite::Statement update = sqlite::Prepare(db, "UPDATE events SET end_day = ? WHERE rowid = ?");
    for (const auto& [row, endDay] : endDays)
        sqlite::Use(update.get()).Text(endDay).Integer(row).Run();
}

// Siblings are ordered by the service's position too, so that a list put together from
// changes orders them as one read whole.
void AddTaskServicePositions(sqlite3* db)
{
    sqlite::Execute(db, "ALTER TABLE tasks ADD COLUMN service_position TEXT NOT NULL DEFAULT ''");
}

using MigrationStep = void (*)(sqlite3* db);

// Entry i takes a file from version i to version i + 1.
constexpr MigrationStep kMigrationSteps[] = {
    CreateFirstSchema,
    AddEventEndDays,
    AddTaskServicePositions,
};
static_assert(std::size(kMigrationSteps) == kCacheSchemaVersion);

} // namespace

int ReadSchemaVersion(sqlite3* db)
{
    sqlite::Statement statement = sqlite::Prepare(db, "PRAGMA user_version");
    sqlite::Use use(statement.get());
    return use.Step() ? static_cast<int>(use.ColumnInteger(0)) : 0;
}

void MigrateCache(sqlite3* db, int fromVersion, int toVersion)
{
    for (int version = fromVersion; version < toVersion; ++version) {
        sqlite::Transaction transaction(db, sqlite::Transaction::Kind::Write);
        kMigrationSteps[version](db);
        sqlite::Execute(db, ("PRAGMA user_version = " + std::to_string(version + 1)).c_str());
        transaction.Commit();
    }
}

} // namespace orb
