// Times of the local cache on a real file in a temporary folder: writing a full pass (the
// calendar list, each calendar's events, the task lists and each list's tasks, one
// transaction per listing), reading every event and every task back into records, an
// incremental change to one calendar, opening the filled cache (with its integrity check),
// and a whole start (open, then read everything); then the size of the file. Medians over
// the runs (and the slowest run), as wall time and as this program's processor time. Options:
//   --calendars N  calendars (default 10)      --events N  events per calendar (default 1000)
//   --lists N      task lists (default 10)     --tasks N   tasks per list (default 100)
//   --runs N       timed runs per figure (default 15)
//   --folder DIR   where the file goes (default a new folder under the temporary folder)
#include "cache/local_cache.h"
#include "core/clock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <time.h>
#include <vector>

namespace {

using namespace orb;

struct Options
{
    int calendars = 10;
    int events = 1000;
    int lists = 10;
    int tasks = 100;
    int runs = 15;
    std::string folder;
};

bool ReadOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        int* number = std::strcmp(argv[i], "--calendars") == 0 ? &options.calendars
                      : std::strcmp(argv[i], "--events") == 0  ? &options.events
                      : std::strcmp(argv[i], "--lists") == 0   ? &options.lists
                      : std::strcmp(argv[i], "--tasks") == 0   ? &options.tasks
                      : std::strcmp(argv[i], "--runs") == 0    ? &options.runs
                                                               : nullptr;
        if (number)
            *number = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--folder") == 0)
            options.folder = argv[i + 1];
        else
            return false;
    }
    return argc % 2 == 1 && options.calendars > 0 && options.events >= 0 && options.lists > 0 && options.tasks >= 0 &&
           options.runs > 0;
}

std::string Two(int n)
{
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// Fields of the sizes the service sends: ids, etags, stamps, a title, now and then a
// description and a place.
EventRecord MakeEvent(int calendar, int i)
{
    EventRecord event;
    event.id = "evt" + std::to_string(calendar) + "x" + std::to_string(i) + "q7hf0c2k1l9m3n";
    event.etag = "\\\"33" + std::to_string(1000000 + i) + "000000\\\"";
    event.kind = "calendar#event";
    event.summary = "Meeting about item " + std::to_string(i);
    event.description = i % 3 ? "" : "Agenda: review the numbers, then the plan for next week. Room 4.";
    event.status = "confirmed";
    event.created = "2026-10-01T08:00:00.000Z";
    event.updated = "2026-11-20T09:15:42.123Z";
    event.location = i % 4 ? "" : "Seoul";
    event.creator.email = "someone@example.com";
    event.creator.self = "true";
    const std::string date = "2026-" + Two(1 + (i / 28) % 12) + "-" + Two(1 + i % 28);
    if (i % 5 == 0) {
        event.start.date = date;
        event.end.date = date;
    } else {
        const int hour = 8 + i % 10;
        event.start.dateTime = date + "T" + Two(hour) + ":00:00+09:00";
        event.end.dateTime = date + "T" + Two(hour + 1) + ":00:00+09:00";
        event.start.timeZone = event.end.timeZone = "Asia/Seoul";
    }
    return event;
}

// Every fifth task is a subtask of the one before it.
TaskListInfo MakeList(int list, int taskCount)
{
    TaskListInfo info;
    info.kind = "tasks#taskList";
    info.id = "MTA" + std::to_string(list) + "ODk2NTQzMjE";
    info.title = "List " + std::to_string(list);
    info.updated = "2026-11-20T09:15:42.123Z";
    info.selfLink = "https://www.googleapis.com/tasks/v1/users/@me/lists/" + info.id;
    for (int i = 0; i < taskCount; ++i) {
        TaskInfo task;
        task.kind = "tasks#task";
        task.id = "dGFzay" + std::to_string(list) + "x" + std::to_string(i);
        task.title = "Task number " + std::to_string(i);
        task.updated = info.updated;
        task.notes = i % 4 ? "" : "Bring the printed copy.";
        task.due = i % 2 ? "" : "2026-12-" + Two(1 + i % 28) + "T00:00:00.000Z";
        task.status = i % 3 ? "needsAction" : "completed";
        task.parent = i % 5 || i == 0 ? "" : info.tasks.back().id;
        task.selfLink = info.selfLink + "/tasks/" + task.id;
        info.tasks.push_back(task);
    }
    return info;
}

double ProcessCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Wall time (the median and the slowest run: a run that checkpoints the log pays its syncs),
// and the processor time this program spent, which a busy machine inflates less.
struct Figure
{
    double wall = 0;
    double slowest = 0;
    double cpu = 0;
};

template <typename Work> Figure Median(int runs, Work work)
{
    std::vector<double> walls;
    std::vector<double> cpus;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuMilliseconds();
        work();
        cpus.push_back(ProcessCpuMilliseconds() - cpuStart);
        walls.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls[walls.size() / 2], walls.back(), cpus[cpus.size() / 2]};
}

double Megabytes(const std::string& path)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0.0 : static_cast<double>(size) / (1024.0 * 1024.0);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ReadOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s [--calendars N] [--events N] [--lists N] [--tasks N] [--runs N] [--folder DIR]\n",
                     argv[0]);
        return 2;
    }
    const bool ownFolder = options.folder.empty();
    if (ownFolder) {
        std::string pattern = (std::filesystem::temp_directory_path() / "orb-bench-cache-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            return 1;
        }
        options.folder = pattern;
    }
    const std::string path = (std::filesystem::path(options.folder) / "orbcalender-cache.sqlite").string();

    std::vector<CalendarRecord> calendars(static_cast<std::size_t>(options.calendars));
    for (int c = 0; c < options.calendars; ++c) {
        CalendarRecord& calendar = calendars[static_cast<std::size_t>(c)];
        calendar.id = "calendar" + std::to_string(c) + "@group.calendar.google.com";
        calendar.kind = "calendar#calendarListEntry";
        calendar.summary = "Calendar " + std::to_string(c);
        calendar.timeZone = "Asia/Seoul";
        calendar.backgroundColor = "#9fc6e7";
        calendar.foregroundColor = "#000000";
        calendar.accessRole = "owner";
        calendar.selected = "true";
        for (int i = 0; i < options.events; ++i)
            calendar.events.push_back(MakeEvent(c, i));
    }
    std::vector<TaskListInfo> lists;
    for (int l = 0; l < options.lists; ++l)
        lists.push_back(MakeList(l, options.tasks));

    SystemClock clock;
    bool failed = false;
    const auto check = [&](bool ok, const std::string& failure) {
        if (!ok && !failed)
            std::fprintf(stderr, "failed: %s\n", failure.c_str());
        failed = failed || !ok;
    };
    const SyncState state{"CPDAlbDd0e8CEAAYAQ==", "", "2026-01-01T00:00:00Z", "2027-01-01T00:00:00Z",
                          "2026-12-08T09:30:00"};
    const auto writePass = [&](LocalCache& cache) {
        CacheResult result = cache.ReplaceCalendars(calendars, state);
        check(result.ok, result.failure);
        for (const CalendarRecord& calendar : calendars) {
            result = cache.ReplaceEvents(calendar.id, calendar.events, state);
            check(result.ok, result.failure);
        }
        result = cache.ReplaceTaskLists(lists, state);
        check(result.ok, result.failure);
        for (const TaskListInfo& list : lists) {
            result = cache.ReplaceTasks(list, state);
            check(result.ok, result.failure);
        }
    };

    CacheOpening opening = LocalCache::Open(path, "me@example.com", clock);
    if (!opening.cache) {
        std::fprintf(stderr, "cannot open %s: %s\n", path.c_str(), opening.reason.c_str());
        return 1;
    }
    LocalCache& cache = *opening.cache;
    const Figure firstWrite = Median(1, [&] { writePass(cache); });
    const Figure write = Median(options.runs, [&] { writePass(cache); });
    const double openSize = Megabytes(path) + Megabytes(path + "-wal");
    std::size_t eventCount = 0;
    const Figure readEvents = Median(options.runs, [&] {
        const auto read = cache.ReadCalendars();
        check(read.ok, read.failure);
        eventCount = 0;
        for (const CalendarRecord& calendar : read.value)
            eventCount += calendar.events.size();
    });
    std::size_t taskCount = 0;
    const Figure readTasks = Median(options.runs, [&] {
        const auto read = cache.ReadTaskLists();
        check(read.ok, read.failure);
        taskCount = 0;
        for (const TaskListInfo& list : read.value)
            taskCount += list.tasks.size();
    });
    int round = 0;
    const Figure change = Median(options.runs, [&] {
        EventChanges changes;
        for (int i = 0; i < 10; ++i) {
            changes.upserts.push_back(MakeEvent(0, i));
            changes.upserts.back().summary = "changed " + std::to_string(++round);
        }
        changes.deletions.push_back(MakeEvent(0, 500 + round % 100).id);
        const CacheResult result = cache.ApplyEventChanges(calendars[0].id, changes, state);
        check(result.ok, result.failure);
    });
    opening.cache.reset();
    const double closedSize = Megabytes(path);

    const Figure open = Median(options.runs, [&] {
        const CacheOpening again = LocalCache::Open(path, "me@example.com", clock);
        check(again.cache != nullptr, again.reason);
    });
    const Figure start = Median(options.runs, [&] {
        const CacheOpening again = LocalCache::Open(path, "me@example.com", clock);
        check(again.cache != nullptr, again.reason);
        if (again.cache) {
            again.cache->ReadCalendars();
            again.cache->ReadTaskLists();
        }
    });

    std::printf("cache: %d calendars x %d events, %d lists x %d tasks; median of %d runs\n", options.calendars,
                options.events, options.lists, options.tasks, options.runs);
    std::printf("  %-44s %9s %9s %9s\n", "", "wall ms", "slowest", "cpu ms");
    const auto line = [](const std::string& what, const Figure& figure) {
        std::printf("  %-44s %9.1f %9.1f %9.1f\n", what.c_str(), figure.wall, figure.slowest, figure.cpu);
    };
    line("write a full pass into an empty file", firstWrite);
    line("write a full pass over the last one", write);
    line("read " + std::to_string(eventCount) + " events into records", readEvents);
    line("read " + std::to_string(taskCount) + " tasks with their trees", readTasks);
    line("apply 11 changes to one calendar", change);
    line("open the filled cache (with its check)", open);
    line("open, then read everything", start);
    std::printf("  file size: %.2f MB while open (with its log), %.2f MB closed\n", openSize, closedSize);
    if (ownFolder)
        std::filesystem::remove_all(options.folder);
    return failed ? 1 : 0;
}
