#include "cache/local_cache.h"

#include "cache/cache_files.h"
#include "cache/cache_schema.h"
#include "cache/record_columns.h"

#include <array>
#include <initializer_list>
#include <unordered_set>
#include <utility>

namespace orb {

namespace {

// Long enough to ride out another instance's write of one listing; short enough that a
// wedged one does not freeze the start.
constexpr int kBusyTimeoutMs = 2000;
// Enough of a failed check's findings to say what is wrong, not the whole list.
constexpr int kCheckLinesKept = 3;
constexpr const char* kAsideStampFormat = "%Y%m%d-%H%M%S";
// What a load gives every task row it adds.
constexpr std::int32_t kLoadedExpanded = 1;
// The task ?2 of list ?1 and every task below it; UNION stops at a cycle.
constexpr const char* kSubtreeSql = "WITH RECURSIVE subtree (id) AS (SELECT ?2 UNION SELECT tasks.id FROM tasks "
                                    "JOIN subtree ON tasks.parent = subtree.id WHERE tasks.list_id = ?1) ";

bool IsDamage(int code)
{
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

// No SQLITE_OPEN_CREATE: the file is made beforehand with its mode. No SQLite mutex: the
// cache's own mutex serializes every use of the connection.
sqlite::Database OpenConnection(const std::string& path, int access, int& result)
{
    sqlite3* raw = nullptr;
    result = sqlite3_open_v2(path.c_str(), &raw, access | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite::Database db(raw);
    if (db)
        sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    return db;
}

using Columns = std::vector<std::string>;

Columns ColumnsOf(std::initializer_list<const char*> before, const auto& texts,
                  std::initializer_list<const char*> after = {})
{
    Columns columns(before.begin(), before.end());
    columns.insert(columns.end(), texts.begin(), texts.end());
    columns.insert(columns.end(), after.begin(), after.end());
    return columns;
}

std::string Joined(const Columns& columns, const std::string& format)
{
    std::string text;
    for (const std::string& column : columns) {
        if (!text.empty())
            text += ", ";
        // `format` names the column with '@'.
        for (char c : format)
            text += c == '@' ? column : std::string(1, c);
    }
    return text;
}

// An insert that, for a row already there, changes only `updated`: whatever is left out
// (a place, an expansion) stays as it was.
std::string UpsertSql(const char* table, const Columns& columns, const char* key, const Columns& updated)
{
    return std::string("INSERT INTO ") + table + " (" + Joined(columns, "@") + ") VALUES (" + Joined(columns, "?") +
           ") ON CONFLICT (" + key + ") DO UPDATE SET " + Joined(updated, "@ = excluded.@");
}

std::string SelectSql(const Columns& columns, const std::string& rest)
{
    return "SELECT " + Joined(columns, "@") + " FROM " + rest;
}

const std::string& EventUpsertSql()
{
    static const std::string sql =
        UpsertSql("events", ColumnsOf({"calendar_id", "id", "position", "start_day", "end_day"}, kEventTextColumns),
                  "calendar_id, id", ColumnsOf({"start_day", "end_day"}, kEventTextColumns));
    return sql;
}

const std::string& TaskUpsertSql()
{
    static const std::string sql =
        UpsertSql("tasks", ColumnsOf({"list_id", "id", "position"}, kTaskTextColumns, {"expanded"}), "list_id, id",
                  ColumnsOf({}, kTaskTextColumns));
    return sql;
}

// Replacing a listing moves a calendar or list to its new place; a single write keeps it.
enum class Place
{
    Move,
    Keep,
};

const std::string& CalendarUpsertSql(Place place)
{
    static const Columns columns = ColumnsOf({"id", "position"}, kCalendarTextColumns, {"tag"});
    static const std::string moving =
        UpsertSql("calendars", columns, "id", ColumnsOf({"position"}, kCalendarTextColumns, {"tag"}));
    static const std::string keeping =
        UpsertSql("calendars", columns, "id", ColumnsOf({}, kCalendarTextColumns, {"tag"}));
    return place == Place::Move ? moving : keeping;
}

const std::string& TaskListUpsertSql(Place place)
{
    static const Columns columns = ColumnsOf({"id", "position"}, kTaskListTextColumns, {"expanded"});
    static const std::string moving =
        UpsertSql("task_lists", columns, "id", ColumnsOf({"position"}, kTaskListTextColumns, {"expanded"}));
    static const std::string keeping =
        UpsertSql("task_lists", columns, "id", ColumnsOf({}, kTaskListTextColumns, {"expanded"}));
    return place == Place::Move ? moving : keeping;
}

template <class Texts> void BindTexts(sqlite::Use& use, const Texts& texts)
{
    for (const std::string* text : texts)
        use.Text(*text);
}

// Reads consecutive columns from `column` on; returns the column after them.
template <class Texts> int ReadTexts(const sqlite::Use& use, int column, const Texts& texts)
{
    for (std::string* text : texts)
        *text = use.ColumnText(column++);
    return column;
}

std::int32_t Flag(std::int64_t stored)
{
    return static_cast<std::int32_t>(stored);
}

} // namespace

std::string CalendarListKey()
{
    return "calendar list";
}

std::string EventsKey(const std::string& calendarId)
{
    return "events of " + calendarId;
}

std::string TaskListsKey()
{
    return "task lists";
}

std::string TasksKey(const std::string& listId)
{
    return "tasks of " + listId;
}

LocalCache::LocalCache(std::string path) : path_(std::move(path)) {}

LocalCache::~LocalCache()
{
    Disconnect();
}

CacheOpening LocalCache::Open(const std::string& path, const std::string& account, const Clock& clock)
{
    CacheOpening opening;
    std::unique_ptr<LocalCache> cache(new LocalCache(path));
    const Connection first = cache->Connect();
    opening.reason = first.reason;
    if (first.state == FileState::Failed)
        return opening;
    opening.outcome = first.outcome;
    if (first.state == FileState::Newer || first.state == FileState::Damaged) {
        cache->Disconnect();
        const bool newer = first.state == FileState::Newer;
        const std::string suffix = (newer ? ".newer-" : ".damaged-") + FormatLocal(clock.Now(), kAsideStampFormat);
        std::string error;
        if (!MoveCacheAside(path, suffix, opening.movedTo, error)) {
            opening.outcome = CacheOpenOutcome::Failed;
            opening.reason += "; " + error;
            return opening;
        }
        const Connection fresh = cache->Connect();
        if (fresh.state != FileState::Usable) {
            opening.outcome = CacheOpenOutcome::Failed;
            opening.reason += "; a new cache: " + fresh.reason;
            return opening;
        }
        opening.outcome = newer ? CacheOpenOutcome::NewerMovedAside : CacheOpenOutcome::DamagedMovedAside;
    }
    if (!account.empty()) {
        const CacheRead<bool> claimed = cache->ClaimAccount(account);
        if (!claimed.ok) {
            // Better no cache than another account's rows on screen.
            opening.outcome = CacheOpenOutcome::Failed;
            opening.reason = claimed.failure;
            return opening;
        }
        opening.clearedForAccount = claimed.value;
    }
    opening.cache = std::move(cache);
    return opening;
}

LocalCache::Connection LocalCache::Inspect(int& version) const
{
    // Read-only, so that a file this program must not use is left exactly as it was: a
    // writing connection would turn on WAL mode in its header and fold its log into it.
    Connection inspection;
    int opened = SQLITE_OK;
    const sqlite::Database reader = OpenConnection(path_, SQLITE_OPEN_READONLY, opened);
    try {
        sqlite::Check(reader.get(), opened, path_);
        sqlite::Statement check = sqlite::Prepare(reader.get(), "PRAGMA quick_check");
        sqlite::Use checking(check.get());
        std::string verdict;
        for (int line = 0; line < kCheckLinesKept && checking.Step(); ++line)
            verdict += (line > 0 ? "; " : "") + checking.ColumnText(0);
        if (verdict != "ok") {
            inspection.state = FileState::Damaged;
            inspection.reason = path_ + " failed its check: " + verdict;
            return inspection;
        }
        version = ReadSchemaVersion(reader.get());
    } catch (const sqlite::Error& failure) {
        // The first read of a file that is no database fails here.
        inspection.state = IsDamage(failure.code()) ? FileState::Damaged : FileState::Failed;
        inspection.reason = path_ + ": " + failure.what();
        return inspection;
    }
    if (version > kCacheSchemaVersion) {
        inspection.state = FileState::Newer;
        inspection.reason = path_ + " has schema version " + std::to_string(version) + ", newer than this program's " +
                            std::to_string(kCacheSchemaVersion);
        return inspection;
    }
    inspection.state = FileState::Usable;
    return inspection;
}

LocalCache::Connection LocalCache::Connect()
{
    Connection connection;
    const auto fail = [&](FileState state, const std::string& reason) {
        connection.state = state;
        connection.reason = reason;
        return connection;
    };
    std::string error;
    if (!MakeOwnerOnlyFile(path_, error))
        return fail(FileState::Failed, error);
    int version = 0;
    const Connection inspection = Inspect(version);
    if (inspection.state != FileState::Usable)
        return inspection;
    int opened = SQLITE_OK;
    db_ = OpenConnection(path_, SQLITE_OPEN_READWRITE, opened);
    try {
        sqlite::Check(db_.get(), opened, path_);
        sqlite::Execute(db_.get(), "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON; "
                                   "PRAGMA cache_size = -16384");
    } catch (const sqlite::Error& failure) {
        return fail(FileState::Failed, failure.what());
    }
    try {
        MigrateCache(db_.get(), version);
    } catch (const sqlite::Error& failure) {
        // A schema that does not take the steps is not one this program wrote; a full disk
        // or a lock is no reason to give the file up.
        const bool notOurs = IsDamage(failure.code()) || failure.code() == SQLITE_ERROR;
        return fail(notOurs ? FileState::Damaged : FileState::Failed,
                    path_ + " cannot be brought from schema version " + std::to_string(version) + ": " +
                        failure.what());
    }
    if (!MakeCompanionsOwnerOnly(path_, error))
        return fail(FileState::Failed, error);
    connection.state = FileState::Usable;
    connection.outcome = version == 0                    ? CacheOpenOutcome::Created
                         : version < kCacheSchemaVersion ? CacheOpenOutcome::Migrated
                                                         : CacheOpenOutcome::Opened;
    return connection;
}

void LocalCache::Disconnect()
{
    statements_.clear();
    db_.reset();
}

template <class Action> CacheResult LocalCache::Guarded(const std::string& doing, Action&& action)
{
    std::lock_guard lock(mutex_);
    if (!db_)
        return {false, doing + ": the cache is closed"};
    try {
        action();
        return {};
    } catch (const std::exception& error) {
        return {false, doing + ": " + error.what()};
    }
}

template <class Value, class Action> CacheRead<Value> LocalCache::GuardedRead(const std::string& doing, Action&& action)
{
    CacheRead<Value> read;
    const CacheResult result = Guarded(doing, [&] { read.value = action(); });
    read.ok = result.ok;
    read.failure = result.failure;
    if (!read.ok)
        read.value = Value{};
    return read;
}

sqlite3_stmt* LocalCache::Cached(const std::string& sql)
{
    auto found = statements_.find(sql);
    if (found == statements_.end())
        found = statements_.emplace(sql, sqlite::Prepare(db_.get(), sql)).first;
    return found->second.get();
}

void LocalCache::RequireCalendar(const std::string& calendarId)
{
    sqlite::Use use(Cached("SELECT 1 FROM calendars WHERE id = ?"));
    if (!use.Text(calendarId).Step())
        throw sqlite::Error("calendar " + calendarId + " is not in the cache", SQLITE_NOTFOUND);
}

void LocalCache::RequireTaskList(const std::string& listId)
{
    sqlite::Use use(Cached("SELECT 1 FROM task_lists WHERE id = ?"));
    if (!use.Text(listId).Step())
        throw sqlite::Error("task list " + listId + " is not in the cache", SQLITE_NOTFOUND);
}

std::int64_t LocalCache::NextPosition(const char* table, const char* owner, const std::string& ownerId)
{
    std::string sql = std::string("SELECT coalesce(max(position) + 1, 0) FROM ") + table;
    if (owner)
        sql += std::string(" WHERE ") + owner + " = ?";
    sqlite::Use use(Cached(sql));
    if (owner)
        use.Text(ownerId);
    use.Step();
    return use.ColumnInteger(0);
}

bool LocalCache::HasTask(const std::string& listId, const std::string& taskId)
{
    sqlite::Use use(Cached("SELECT 1 FROM tasks WHERE list_id = ? AND id = ?"));
    return use.Text(listId).Text(taskId).Step();
}

void LocalCache::UpsertEvent(const std::string& calendarId, const EventRecord& event, std::int64_t position)
{
    sqlite::Use use(Cached(EventUpsertSql()));
    const std::string startDay = StartDateKey(event);
    const std::string endDay = EventEndDay(event.end, startDay);
    use.Text(calendarId).Text(event.id).Integer(position).Text(startDay).Text(endDay);
    BindTexts(use, EventTexts(event));
    use.Run();
}

void LocalCache::UpsertTask(const std::string& listId, const TaskInfo& task, std::int64_t position,
                            std::int32_t expanded)
{
    sqlite::Use use(Cached(TaskUpsertSql()));
    use.Text(listId).Text(task.id).Integer(position);
    BindTexts(use, TaskTexts(task));
    use.Integer(expanded).Run();
}

void LocalCache::WriteState(const std::string& key, const SyncState& state)
{
    sqlite::Use use(Cached("INSERT OR REPLACE INTO sync_states (key, sync_token, updated_min, time_min, time_max, "
                           "last_success) VALUES (?, ?, ?, ?, ?, ?)"));
    use.Text(key).Text(state.syncToken).Text(state.updatedMin).Text(state.timeMin).Text(state.timeMax);
    use.Text(state.lastSuccess).Run();
}

void LocalCache::DeleteState(const std::string& key)
{
    sqlite::Use(Cached("DELETE FROM sync_states WHERE key = ?")).Text(key).Run();
}

void LocalCache::DeleteAllRows()
{
    sqlite::Execute(db_.get(), "DELETE FROM events; DELETE FROM tasks; DELETE FROM calendars; "
                               "DELETE FROM task_lists; DELETE FROM sync_states");
}

CacheMeta LocalCache::ReadMetaRow()
{
    CacheMeta meta;
    sqlite::Use use(Cached("SELECT account, last_complete_sync FROM meta"));
    if (use.Step()) {
        meta.account = use.ColumnText(0);
        meta.lastCompleteSync = use.ColumnText(1);
    }
    return meta;
}

CacheRead<bool> LocalCache::ClaimAccount(const std::string& account)
{
    return GuardedRead<bool>("cannot claim the cache for " + account, [&] {
        sqlite::Transaction transaction(db_.get(), sqlite::Transaction::Kind::Write);
        if (ReadMetaRow().account == account)
            return false;
        const sqlite3_int64 before = sqlite3_total_changes64(db_.get());
        DeleteAllRows();
        const bool cleared = sqlite3_total_changes64(db_.get()) != before;
        sqlite::Use use(Cached("UPDATE meta SET account = ?, last_complete_sync = ''"));
        use.Text(account).Run();
        transaction.Commit();
        return cleared;
    });
}

CacheRead<CacheMeta> LocalCache::ReadMeta()
{
    return GuardedRead<CacheMeta>("cannot read the cache's owner", [&] { return ReadMetaRow(); });
}

CacheResult LocalCache::WriteLastCompleteSync(const std::string& stamp)
{
    return Guarded("cannot note the complete sync", [&] {
        sqlite::Use use(Cached("UPDATE meta SET last_complete_sync = ?"));
        use.Text(stamp).Run();
    });
}

CacheResult LocalCache::ReplaceCalendars(const std::vector<CalendarRecord>& calendars, const SyncState& state)
{
    return Guarded("cannot write the calendar list", [&] {
        sqlite::Transaction transaction(db_.get(), sqlite::Transaction::Kind::Write);
        std::unordered_set<std::string> staying;
        for (const CalendarRecord& calendar : calendars)
            staying.insert(calendar.id);
        std::vector<std::string> leaving;
        for (sqlite::Use use(Cached("SELECT id FROM calendars")); use.Step();) {
            if (!staying.contains(use.ColumnText(0)))
                leaving.push_back(use.ColumnText(0));
        }
        for (const std::string& id : leaving) {
            sqlite::Use(Cached("DELETE FROM calendars WHERE id = ?")).Text(id).Run(); // its events follow
            DeleteState(EventsKey(id));
        }
        std::int64_t position = 0;
        for (const CalendarRecord& calendar : calendars) {
            sqlite::Use use(Cached(CalendarUpsertSql(Place::Move)));
            use.Text(calendar.id).Integer(position++);
            BindTexts(use, CalendarTexts(calendar));
            use.Integer(calendar.tag).Run();
        }
        WriteState(CalendarListKey(), state);
        transaction.Commit();
    });
}

CacheResult LocalCache::ReplaceEvents(const std::string& calendarId, const std::vector<EventRecord>& events,
                                      const SyncState& state)
{
    return Guarded("cannot write the events of " + calendarId, [&] {
        sqlite::Transaction transaction(db_.get(), sqlite::Transaction::Kind::Write);
        RequireCalendar(calendarId);
        sqlite::Use(Cached("DELETE FROM events WHERE calendar_id = ?")).Text(calendarId).Run();
        std::int64_t position = 0;
        for (const EventRecord& event : events)
            UpsertEvent(calendarId, event, position++);
        WriteState(EventsKey(calendarId), state);
        transaction.Commit();
    });
}

CacheResult LocalCache::ApplyEventChanges(const std::string& calendarId, const EventChanges& changes,
                                          const SyncState& state)
{
    return Guarded("cannot apply the changes to the events of " + calendarId, [&] {
        sqlite::Transaction transaction(db_.get(), sqlite::Transaction::Kind::Write);
        RequireCalendar(calendarId);
        std::int64_t position = NextPosition("events", "calendar_id", calendarId);
        for (const EventRecord& event : changes.upserts)
            UpsertEvent(calendarId, event, position++);
        for (const std::string& id : changes.deletions)
            sqlite::Use(Cached("DELETE FROM events WHERE calendar_id = ? AND id = ?")).Text(calendarId).Text(id).Run();
        WriteState(EventsKey(calendarId), state);
        transaction.Commit();
    });
}

CacheResult LocalCache::ReplaceTaskLists(const std::vector<TaskListInfo>& lists, const SyncState& state)
{
    return Guarded("cannot write the task lists", [&] {
        sqlite::Transaction transaction(db_.get(), sqlite::Transaction::Kind::Write);
        std::unordered_set<std::string> staying;
        for (const TaskListInfo& list : lists)
            staying.insert(list.id);
        std::vector<std::string> leaving;
        for (sqlite::Use use(Cached("SELECT id FROM task_lists")); use.Step();) {
            if (!staying.contains(use.ColumnText(0)))
                leaving.push_back(use.ColumnText(0));
        }
        for (const std::string& id : leaving) {
            sqlite::Use(Cached("DELETE FROM task_lists WHERE id = ?")).Text(id).Run(); // its tasks follow
            DeleteState(TasksKey(id));
        }
        std::int64_t position = 0;
        for (const TaskListInfo& list : lists) {
            sqlite::Use use(Cached(TaskListUpsertSql(Place::Move)));
            use.Text(list.id).Integer(position++);
            BindTexts(use, TaskListTexts(list));
            use.Integer(list.expanded).Run();
        }
        WriteState(TaskListsKey(), state);
        transaction.Commit();
    });
}

CacheResult LocalCache::ReplaceTasks(const TaskListInfo& list, const SyncState& state)
{
    return Guarded("cannot write the tasks of " + list.id, [&] {
        sqlite::Transaction transaction(db_.get(), sqlite::Transaction::Kind::Write);
        RequireTaskList(list.id);
        const auto expanded = ExpansionById(*list.tree);
        sqlite::Use(Cached("DELETE FROM tasks WHERE list_id = ?")).Text(list.id).Run();
        std::int64_t position = 0;
        for (const TaskInfo& task : list.tasks) {
            const auto flag = expanded.find(task.id);
            UpsertTask(list.id, task, position++, flag == expanded.end() ? 0 : flag->second);
        }
        WriteState(TasksKey(list.id), state);
        transaction.Commit();
    });
}

CacheResult LocalCache::ApplyTaskChanges(const std::string& listId, const TaskChanges& changes, const SyncState& state)
{
    return Guarded("cannot apply the changes to the tasks of " + listId, [&] {
        sqlite::Transaction transaction(db_.get(), sqlite::Transaction::Kind::Write);
        RequireTaskList(listId);
        std::int64_t position = NextPosition("tasks", "list_id", listId);
        for (const TaskInfo& task : changes.upserts)
            UpsertTask(listId, task, position++, kLoadedExpanded);
        for (const std::string& id : changes.deletions)
            sqlite::Use(Cached("DELETE FROM tasks WHERE list_id = ? AND id = ?")).Text(listId).Text(id).Run();
        WriteState(TasksKey(listId), state);
        transaction.Commit();
    });
}

CacheResult LocalCache::PutCalendar(const CalendarRecord& calendar)
{
    return Guarded("cannot write calendar " + calendar.id, [&] {
        sqlite::Transaction transaction(db_.get(), sqlite::Transaction::Kind::Write);
        const std::int64_t position = NextPosition("calendars");
        sqlite::Use use(Cached(CalendarUpsertSql(Place::Keep)));
        use.Text(calendar.id).Integer(position);
        BindTexts(use, CalendarTexts(calendar));
        use.Integer(calendar.tag).Run();
        transaction.Commit();
    });
}

CacheResult LocalCache::PutEvent(const std::string& calendarId, const EventRecord& event)
{
    return Guarded("cannot write event " + event.id, [&] {
        sqlite::Transaction transaction(db_.get(), sqlite::Transaction::Kind::Write);
        RequireCalendar(calendarId);
        UpsertEvent(calendarId, event, NextPosition("events", "calendar_id", calendarId));
        transaction.Commit();
    });
}

CacheResult LocalCache::DeleteEvent(const std::string& calendarId, const std::string& eventId)
{
    return Guarded("cannot delete event " + eventId, [&] {
        sqlite::Use(Cached("DELETE FROM events WHERE calendar_id = ? AND id = ?")).Text(calendarId).Text(eventId).Run();
    });
}

CacheResult LocalCache::PutTaskList(const TaskListInfo& list)
{
    return Guarded("cannot write task list " + list.id, [&] {
        sqlite::Transaction transaction(db_.get(), sqlite::Transaction::Kind::Write);
        const std::int64_t position = NextPosition("task_lists");
        sqlite::Use use(Cached(TaskListUpsertSql(Place::Keep)));
        use.Text(list.id).Integer(position);
        BindTexts(use, TaskListTexts(list));
        use.Integer(list.expanded).Run();
        transaction.Commit();
    });
}

CacheResult LocalCache::DeleteTaskList(const std::string& listId)
{
    return Guarded("cannot delete task list " + listId, [&] {
        sqlite::Transaction transaction(db_.get(), sqlite::Transaction::Kind::Write);
        sqlite::Use(Cached("DELETE FROM task_lists WHERE id = ?")).Text(listId).Run(); // its tasks follow
        DeleteState(TasksKey(listId));
        transaction.Commit();
    });
}

CacheResult LocalCache::PutTask(const std::string& listId, const TaskInfo& task)
{
    return Guarded("cannot write task " + task.id, [&] {
        sqlite::Transaction transaction(db_.get(), sqlite::Transaction::Kind::Write);
        RequireTaskList(listId);
        UpsertTask(listId, task, NextPosition("tasks", "list_id", listId), 0);
        transaction.Commit();
    });
}

CacheResult LocalCache::DeleteTask(const std::string& listId, const std::string& taskId)
{
    return Guarded("cannot delete task " + taskId, [&] {
        sqlite::Use use(Cached(std::string(kSubtreeSql) +
                               "DELETE FROM tasks WHERE list_id = ?1 AND id IN (SELECT id FROM subtree)"));
        use.Text(listId).Text(taskId).Run();
    });
}

CacheResult LocalCache::MoveTask(const std::string& listId, const std::string& taskId, const std::string& parentId)
{
    return Guarded("cannot move task " + taskId, [&] {
        sqlite::Transaction transaction(db_.get(), sqlite::Transaction::Kind::Write);
        if (!HasTask(listId, taskId))
            throw sqlite::Error("it is not in task list " + listId, SQLITE_NOTFOUND);
        if (!parentId.empty()) {
            if (!HasTask(listId, parentId))
                throw sqlite::Error("its new parent " + parentId + " is not in task list " + listId, SQLITE_NOTFOUND);
            sqlite::Use below(Cached(std::string(kSubtreeSql) + "SELECT 1 FROM subtree WHERE id = ?3"));
            if (below.Text(listId).Text(taskId).Text(parentId).Step())
                throw sqlite::Error("its new parent " + parentId + " lies below it", SQLITE_CONSTRAINT);
        }
        sqlite::Use use(Cached("UPDATE tasks SET parent = ? WHERE list_id = ? AND id = ?"));
        use.Text(parentId).Text(listId).Text(taskId).Run();
        transaction.Commit();
    });
}

CacheResult LocalCache::SetTaskExpanded(const std::string& listId, const std::string& taskId, std::int32_t expanded)
{
    return Guarded("cannot note the expansion of task " + taskId, [&] {
        sqlite::Use use(Cached("UPDATE tasks SET expanded = ? WHERE list_id = ? AND id = ?"));
        use.Integer(expanded).Text(listId).Text(taskId).Run();
        if (sqlite3_changes(db_.get()) == 0)
            throw sqlite::Error("it is not in task list " + listId, SQLITE_NOTFOUND);
    });
}

std::vector<EventRecord> LocalCache::ReadEvents(const std::string& calendarId, const DayRange* days)
{
    // Start day, then service order within the day: the order SortEvents gives a calendar
    // read in service order, taken from the index rather than sorted here.
    static const std::string all =
        SelectSql(ColumnsOf({"id"}, kEventTextColumns), "events WHERE calendar_id = ? ORDER BY start_day, position");
    static const std::string touching =
        SelectSql(ColumnsOf({"id"}, kEventTextColumns),
                  "events WHERE calendar_id = ? AND start_day <= ? AND end_day >= ? ORDER BY start_day, position");
    std::vector<EventRecord> events;
    if (!days) {
        // Records are large; growing the vector step by step would move each several times.
        sqlite::Use count(Cached("SELECT count(*) FROM events WHERE calendar_id = ?"));
        if (count.Text(calendarId).Step())
            events.reserve(static_cast<std::size_t>(count.ColumnInteger(0)));
    }
    sqlite::Use use(Cached(days ? touching : all));
    use.Text(calendarId);
    if (days)
        use.Text(days->last).Text(days->first);
    while (use.Step()) {
        EventRecord& event = events.emplace_back();
        event.id = use.ColumnText(0);
        ReadTexts(use, 1, EventTexts(event));
    }
    return events;
}

CacheRead<std::vector<CalendarRecord>> LocalCache::ReadCalendars()
{
    return ReadCalendarsWith(nullptr);
}

CacheRead<std::vector<CalendarRecord>> LocalCache::ReadCalendars(const DayRange& days)
{
    return ReadCalendarsWith(&days);
}

CacheRead<std::vector<CalendarRecord>> LocalCache::ReadCalendarsWith(const DayRange* days)
{
    static const std::string sql =
        SelectSql(ColumnsOf({"id"}, kCalendarTextColumns, {"tag"}), "calendars ORDER BY position");
    return GuardedRead<std::vector<CalendarRecord>>("cannot read the calendars", [&] {
        sqlite::Transaction snapshot(db_.get(), sqlite::Transaction::Kind::Read);
        std::vector<CalendarRecord> calendars;
        for (sqlite::Use use(Cached(sql)); use.Step();) {
            CalendarRecord& calendar = calendars.emplace_back();
            calendar.id = use.ColumnText(0);
            calendar.tag = Flag(use.ColumnInteger(ReadTexts(use, 1, CalendarTexts(calendar))));
        }
        for (CalendarRecord& calendar : calendars)
            calendar.events = ReadEvents(calendar.id, days);
        snapshot.Commit();
        return calendars;
    });
}

void LocalCache::ReadTasks(TaskListInfo& list)
{
    static const std::string sql =
        SelectSql(ColumnsOf({"id"}, kTaskTextColumns, {"expanded"}), "tasks WHERE list_id = ? ORDER BY position");
    std::vector<std::int32_t> expanded;
    sqlite::Use use(Cached(sql));
    use.Text(list.id);
    while (use.Step()) {
        TaskInfo& task = list.tasks.emplace_back();
        task.id = use.ColumnText(0);
        expanded.push_back(Flag(use.ColumnInteger(ReadTexts(use, 1, TaskTexts(task)))));
    }
    AddTasksToTree(*list.tree, list.tasks, expanded);
}

CacheRead<std::vector<TaskListInfo>> LocalCache::ReadTaskLists()
{
    static const std::string sql =
        SelectSql(ColumnsOf({"id"}, kTaskListTextColumns, {"expanded"}), "task_lists ORDER BY position");
    return GuardedRead<std::vector<TaskListInfo>>("cannot read the task lists", [&] {
        sqlite::Transaction snapshot(db_.get(), sqlite::Transaction::Kind::Read);
        std::vector<TaskListInfo> lists;
        for (sqlite::Use use(Cached(sql)); use.Step();) {
            TaskListInfo& list = lists.emplace_back();
            list.id = use.ColumnText(0);
            list.expanded = Flag(use.ColumnInteger(ReadTexts(use, 1, TaskListTexts(list))));
        }
        for (TaskListInfo& list : lists)
            ReadTasks(list);
        snapshot.Commit();
        return lists;
    });
}

CacheRead<SyncState> LocalCache::ReadSyncState(const std::string& key)
{
    return GuardedRead<SyncState>("cannot read the sync state of " + key, [&] {
        SyncState state;
        sqlite::Use use(Cached("SELECT sync_token, updated_min, time_min, time_max, last_success FROM sync_states "
                               "WHERE key = ?"));
        if (use.Text(key).Step())
            ReadTexts(
                use, 0,
                std::array{&state.syncToken, &state.updatedMin, &state.timeMin, &state.timeMax, &state.lastSuccess});
        return state;
    });
}

CacheResult LocalCache::WriteSyncState(const std::string& key, const SyncState& state)
{
    return Guarded("cannot write the sync state of " + key, [&] { WriteState(key, state); });
}

CacheResult LocalCache::Clear()
{
    return Guarded("cannot clear the cache", [&] {
        sqlite::Transaction transaction(db_.get(), sqlite::Transaction::Kind::Write);
        DeleteAllRows();
        sqlite::Execute(db_.get(), "UPDATE meta SET account = '', last_complete_sync = ''");
        transaction.Commit();
    });
}

CacheResult LocalCache::CloseAndDeleteFiles()
{
    std::lock_guard lock(mutex_);
    Disconnect();
    std::string error;
    if (!DeleteCacheFiles(path_, error))
        return {false, error};
    return {};
}

} // namespace orb
