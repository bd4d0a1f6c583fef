#pragma once

#include "service/records.h"
#include "tasks/task_records.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace orb {

// The main window's in-memory copy of the user's data. One mutex guards it: a load pass
// appends under it and every reader (month view, tree) reads under it, so a reader always
// sees whole calendars and whole task lists.
class LocalStore
{
public:
    struct Data
    {
        std::vector<CalendarRecord> calendars; // in calendar-list order, each with its events
        std::vector<TaskListInfo> taskLists;   // in service order, each with its tasks and tree
    };

    // Runs `reader` on the data under the lock and returns what it returns.
    template <class Reader> decltype(auto) Read(Reader&& reader) const
    {
        std::lock_guard lock(mutex_);
        return reader(static_cast<const Data&>(data_));
    }

    // Runs `writer` on the data under the lock. Keep network calls out of it: readers
    // on the user-interface thread wait for it.
    template <class Writer> decltype(auto) Write(Writer&& writer)
    {
        std::lock_guard lock(mutex_);
        // Counted before the writer runs: one that throws halfway has still changed the data.
        ++revision_;
        return writer(data_);
    }

    // Grows with every Write, Empty and ReleaseTaskLists, so a reader can tell its copy is
    // current without comparing it. Never 0, which readers take as "not counted".
    std::uint64_t Revision() const;

    // Empties the events of every calendar, then the calendars, then releases every task
    // list's node hierarchy and empties the task lists.
    void Empty();
    // The last two steps of Empty, for the main window's destruction.
    void ReleaseTaskLists();

private:
    static void ReleaseTaskListsLocked(Data& data);

    mutable std::mutex mutex_;
    Data data_;
    std::uint64_t revision_ = 1;
};

} // namespace orb
