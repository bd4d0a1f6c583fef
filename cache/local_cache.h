#pragma once

#include "cache/sqlite_handle.h"
#include "core/clock.h"
#include "service/records.h"
#include "service/sync_state.h"
#include "tasks/task_records.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace orb {

// What a cache call came to: ok, or why not in plain words.
struct CacheResult
{
    bool ok = true;
    std::string failure;
};

template <class Value> struct CacheRead
{
    Value value{};
    bool ok = true;
    std::string failure;
};

// The keys of the listings' sync states.
std::string CalendarListKey();
std::string EventsKey(const std::string& calendarId);
std::string TaskListsKey();
std::string TasksKey(const std::string& listId);

struct CacheMeta
{
    std::string account;          // whose rows these are; empty after Clear
    std::string lastCompleteSync; // the caller's stamp of the last pass that read everything
};

// Days "YYYY-MM-DD", both included.
struct DayRange
{
    std::string first;
    std::string last;
};

enum class CacheOpenOutcome
{
    Opened,
    Created,
    Migrated,          // from an older schema, rows kept
    NewerMovedAside,   // the file came from a newer program; kept beside, a new cache made
    DamagedMovedAside, // not a database, damaged or not ours to migrate; kept beside, a new cache made
    Failed,            // no cache: `reason` says why; the file, if any, is untouched
};

class LocalCache;

struct CacheOpening
{
    std::unique_ptr<LocalCache> cache; // null when Failed
    CacheOpenOutcome outcome = CacheOpenOutcome::Failed;
    std::string movedTo;            // where an unusable file went
    std::string reason;             // why it was moved aside, or why opening failed
    bool clearedForAccount = false; // rows kept for another account (or none named) were dropped
};

// The user's calendars, events, task lists and tasks as last read from the service, in an
// SQLite file, so the windows can show them at start and while the service is out of reach.
//
// One connection, used under one mutex: every call runs whole, in its own transaction,
// before the next starts, from whichever thread calls (the load pass's worker writes, the
// user-interface thread reads at start). A write covers one listing, so a reader (this
// process or another on the same file) sees a listing as it was before or after a pass,
// never half of it. Nothing thrown leaves a call; failures come back as values.
class LocalCache
{
public:
    // Opens the cache at `path`, creating it owner-only (0600, the -wal and -shm files too).
    // A file from a newer program is renamed `<path>.newer-<time>`, a damaged one
    // `<path>.damaged-<time>`, and a new empty cache takes its place; `clock` stamps those
    // names. With an account, the rows of any other account are cleared first (ClaimAccount);
    // an empty account keeps the stored rows, for a start before the account is known.
    static CacheOpening Open(const std::string& path, const std::string& account, const Clock& clock);

    ~LocalCache();
    LocalCache(const LocalCache&) = delete;
    LocalCache& operator=(const LocalCache&) = delete;

    const std::string& path() const { return path_; }

    // Makes `account` the owner; rows kept for anyone else (another account, or none named)
    // go first. The value says whether there were such rows.
    CacheRead<bool> ClaimAccount(const std::string& account);
    CacheRead<CacheMeta> ReadMeta();
    CacheResult WriteLastCompleteSync(const std::string& stamp);

    // The listings, one transaction each. A calendar's or list's own rows are written with
    // its sync state, so the two never disagree.

    // The calendars in list order with their fields and tags; their `events` are not read
    // here. Calendars that stay keep their events; the others go with their events and state.
    CacheResult ReplaceCalendars(const std::vector<CalendarRecord>& calendars, const SyncState& state);
    CacheResult ReplaceEvents(const std::string& calendarId, const std::vector<EventRecord>& events,
                              const SyncState& state);
    // An updated event keeps its place among events of its day; a new one comes after them.
    CacheResult ApplyEventChanges(const std::string& calendarId, const EventChanges& changes, const SyncState& state);

    // The lists in service order with their fields and `expanded`; their tasks are not read
    // here. Lists that stay keep their tasks; the others go with their tasks and state.
    CacheResult ReplaceTaskLists(const std::vector<TaskListInfo>& lists, const SyncState& state);
    // `list.tasks` in service order, each with the `expanded` of its node in `list.tree`.
    CacheResult ReplaceTasks(const TaskListInfo& list, const SyncState& state);
    // An updated task keeps its place and expansion; a new one comes last, expanded as a
    // load expands every task.
    CacheResult ApplyTaskChanges(const std::string& listId, const TaskChanges& changes, const SyncState& state);

    // Single records, written through after an edit the service accepted.
    CacheResult PutCalendar(const CalendarRecord& calendar); // fields and tag; a new one comes last
    CacheResult PutEvent(const std::string& calendarId, const EventRecord& event);
    // Deleting what is not there is no failure: the service has it gone either way.
    CacheResult DeleteEvent(const std::string& calendarId, const std::string& eventId);
    CacheResult PutTaskList(const TaskListInfo& list); // fields and expanded, not its tasks
    CacheResult DeleteTaskList(const std::string& listId);
    CacheResult PutTask(const std::string& listId, const TaskInfo& task);
    // The task and everything below it, as the service deletes them.
    CacheResult DeleteTask(const std::string& listId, const std::string& taskId);
    // Under `parentId`, or to the top level when it is empty. Refused when the parent is
    // missing or lies below the task.
    CacheResult MoveTask(const std::string& listId, const std::string& taskId, const std::string& parentId);
    CacheResult SetTaskExpanded(const std::string& listId, const std::string& taskId, std::int32_t expanded);

    // Every calendar in list order, each with its events in start order (as SortEvents
    // orders them: by start day, service order within a day).
    CacheRead<std::vector<CalendarRecord>> ReadCalendars();
    // The same with only the events that touch `days` (an all-day end is exclusive).
    CacheRead<std::vector<CalendarRecord>> ReadCalendars(const DayRange& days);
    // Every task list in service order with its tasks in service order and its hierarchy,
    // built as the tasks client builds it, expansion included.
    CacheRead<std::vector<TaskListInfo>> ReadTaskLists();

    CacheRead<SyncState> ReadSyncState(const std::string& key);
    CacheResult WriteSyncState(const std::string& key, const SyncState& state);

    // Drops every row and the account (Logout); the file stays.
    CacheResult Clear();
    // Closes the connection and removes the files; every later call fails.
    CacheResult CloseAndDeleteFiles();

private:
    enum class FileState
    {
        Usable,
        Newer,
        Damaged,
        Failed,
    };
    struct Connection
    {
        FileState state = FileState::Failed;
        CacheOpenOutcome outcome = CacheOpenOutcome::Failed;
        std::string reason;
    };

    explicit LocalCache(std::string path);
    // Whether the file may be used, and its schema version when it may.
    Connection Inspect(int& version) const;
    Connection Connect();
    void Disconnect();

    template <class Action> CacheResult Guarded(const std::string& doing, Action&& action);
    template <class Value, class Action> CacheRead<Value> GuardedRead(const std::string& doing, Action&& action);

    sqlite3_stmt* Cached(const std::string& sql);
    void RequireCalendar(const std::string& calendarId);
    void RequireTaskList(const std::string& listId);
    void UpsertEvent(const std::string& calendarId, const EventRecord& event, std::int64_t position);
    void UpsertTask(const std::string& listId, const TaskInfo& task, std::int64_t position, std::int32_t expanded);
    // After the last place in `table`, or among the rows of one calendar or list.
    std::int64_t NextPosition(const char* table, const char* owner = nullptr, const std::string& ownerId = {});
    bool HasTask(const std::string& listId, const std::string& taskId);
    CacheMeta ReadMetaRow();
    void WriteState(const std::string& key, const SyncState& state);
    void DeleteState(const std::string& key);
    void DeleteAllRows();
    CacheRead<std::vector<CalendarRecord>> ReadCalendarsWith(const DayRange* days);
    std::vector<EventRecord> ReadEvents(const std::string& calendarId, const DayRange* days);
    void ReadTasks(TaskListInfo& list);

    std::mutex mutex_;
    std::string path_;
    sqlite::Database db_;
    // Prepared once per connection; finalized before the connection closes.
    std::unordered_map<std::string, sqlite::Statement> statements_;
};

} // namespace orb
