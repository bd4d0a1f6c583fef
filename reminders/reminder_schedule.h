#pragma once

#include "core/clock.h"
#include "dialogs/event_editor_model.h"
#include "reminders/fired_keys.h"
#include "service/records.h"
#include "tasks/task_records.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orb {

// How wall-clock readings become moments. The program reads the system's zone database;
// tests give rules of their own, daylight-saving changes included.
struct ZoneRules
{
    UtcOffsetLookup named;                          // an event's own zone; nothing when unknown
    std::function<int(const LocalDateTime&)> local; // this machine's zone, seconds east of UTC
};

struct ReminderSettings
{
    bool enabled = true;
    int taskHour = 9; // tasks remind on their due day at this local time
    int taskMinute = 0;

    friend bool operator==(const ReminderSettings&, const ReminderSettings&) = default;
};

enum class ReminderKind
{
    Event,
    Task,
};

// One reminder to show: texts ready for a notification, and what "Open" opens.
struct Reminder
{
    ReminderKind kind = ReminderKind::Event;
    std::string key;     // once-only key; Snooze takes it
    std::string ownerId; // the calendar's or the task list's id
    std::string itemId;  // the event's or the task's id
    std::string summary; // the title, marked when late
    std::string body;    // lines: the time range or due day, the location if any, the calendar or list
    bool late = false;
};

// Which of the loaded events and tasks remind when. Plain arithmetic on moments: `now` is
// the local wall clock, turned into a moment with the zone rules.
class ReminderSchedule
{
public:
    // A reminder noticed this long after its time (a laptop waking, a late start) says so.
    static constexpr Instant kLateAfterSeconds = 120;
    // Older than this it is no longer worth showing.
    static constexpr Instant kDropAfterSeconds = 12 * 3600;
    static constexpr Instant kSnoozeSeconds = 5 * 60;

    explicit ReminderSchedule(ZoneRules zones);

    // The reminders of the shown calendars' events the user has not declined, and of the
    // unfinished tasks with a due day. Snoozes of reminders that are gone (the event
    // deleted, declined or moved) go with them.
    void SetItems(const std::vector<CalendarRecord>& calendars, const std::vector<TaskListInfo>& lists,
                  const ReminderSettings& settings);

    // The reminders due by `now` that were not shown yet; each is then recorded as shown.
    std::vector<Reminder> Due(const LocalDateTime& now);
    // Seconds from `now` to the next reminder due; nothing when none is pending.
    std::optional<Instant> NextWakeUp(const LocalDateTime& now) const;
    // Shows the reminder once more kSnoozeSeconds after `now`; false when it is gone.
    bool Snooze(const std::string& key, const LocalDateTime& now);

    FiredKeys& Fired() { return fired_; }
    Instant ToInstant(const LocalDateTime& local) const;

private:
    struct Pending
    {
        Reminder reminder;
        Instant dueAt = 0;
    };

    std::optional<Instant> StartOf(const EventTime& time) const;
    std::string RangeText(const EventRecord& event) const;
    LocalDateTime ToLocal(Instant moment) const;

    ZoneRules zones_;
    std::vector<Pending> pending_;
    std::map<std::string, Instant> snoozed_; // key -> when it shows again
    FiredKeys fired_;
};

} // namespace orb
