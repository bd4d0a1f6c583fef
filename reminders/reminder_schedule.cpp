#include "reminders/reminder_schedule.h"

#include "core/ui_text.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace orb {

namespace {

constexpr const char* kPopupMethod = "popup";
constexpr const char* kDeclined = "declined";
constexpr const char* kCancelled = "cancelled";
constexpr const char* kLateMark = ORB_TEXT("OrbCalender", "(late) ");
constexpr const char* kNoTitle = ORB_TEXT("OrbCalender", "(No title)");
constexpr const char* kAllDay = ORB_TEXT("OrbCalender", " (all day)");
constexpr const char* kRangeDash = " - ";
constexpr const char* kDuePrefix = ORB_TEXT("OrbCalender", "Due ");
constexpr const char* kEventKey = "event";
constexpr const char* kTaskKey = "task";
constexpr Instant kSecondsPerMinute = 60;
constexpr Instant kSecondsPerDay = 86400;

LocalDateTime WallFromSeconds(Instant seconds)
{
    const Instant days = (seconds >= 0 ? seconds : seconds - (kSecondsPerDay - 1)) / kSecondsPerDay;
    const Instant ofDay = seconds - days * kSecondsPerDay;
    LocalDateTime wall = CivilFromDays(days);
    wall.hour = static_cast<int>(ofDay / 3600);
    wall.minute = static_cast<int>(ofDay % 3600 / 60);
    wall.second = static_cast<int>(ofDay % 60);
    return wall;
}

std::string ClockText(const LocalDateTime& when)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", when.hour % 100, when.minute % 100);
    return text;
}

void AddLine(std::string& body, const std::string& line)
{
    if (line.empty())
        return;
    if (!body.empty())
        body += '\n';
    body += line;
}

const std::vector<EventReminder>& RemindersOf(const EventRecord& event, const CalendarRecord& calendar)
{
    return event.remindersUseDefault == "true" ? calendar.defaultReminders : event.reminderOverrides;
}

} // namespace

ReminderSchedule::ReminderSchedule(ZoneRules zones) : zones_(std::move(zones)) {}

Instant ReminderSchedule::ToInstant(const LocalDateTime& local) const
{
    return LocalSeconds(local) - (zones_.local ? zones_.local(local) : 0);
}

LocalDateTime ReminderSchedule::ToLocal(Instant moment) const
{
    // The offset at the moment read as UTC is right but within a day of a change; asking
    // again at the corrected reading settles it.
    const int first = zones_.local ? zones_.local(WallFromSeconds(moment)) : 0;
    const int second = zones_.local ? zones_.local(WallFromSeconds(moment + first)) : 0;
    return WallFromSeconds(moment + second);
}

std::optional<Instant> ReminderSchedule::StartOf(const EventTime& time) const
{
    if (!time.dateTime.empty()) {
        const std::optional<StoredDateTime> stored = ParseStoredDateTime(time.dateTime);
        if (!stored)
            return std::nullopt;
        if (stored->offsetSeconds)
            return LocalSeconds(stored->local) - *stored->offsetSeconds;
        if (!time.timeZone.empty() && zones_.named) {
            if (const std::optional<int> offset = zones_.named(time.timeZone, stored->local))
                return LocalSeconds(stored->local) - *offset;
        }
        return ToInstant(stored->local);
    }
    // An all-day event's day begins at local midnight, wherever the calendar is.
    if (const std::optional<LocalDateTime> day = ParseStoredDate(time.date))
        return ToInstant(*day);
    return std::nullopt;
}

std::string ReminderSchedule::RangeText(const EventRecord& event) const
{
    if (event.start.dateTime.empty()) {
        std::string text = event.start.date.substr(0, 10);
        // The stored end is the day after the last one.
        const std::optional<LocalDateTime> after = ParseStoredDate(event.end.date);
        if (after) {
            const std::string last = FormatDate(AddDays(*after, -1));
            if (last > text)
                text += kRangeDash + last;
        }
        return text + Translated(kAllDay);
    }
    const std::optional<Instant> start = StartOf(event.start);
    if (!start)
        return event.start.dateTime;
    const LocalDateTime from = ToLocal(*start);
    std::string text = FormatDate(from) + " " + ClockText(from);
    const std::optional<Instant> end = event.end.dateTime.empty() ? std::nullopt : StartOf(event.end);
    if (end && *end > *start) {
        const LocalDateTime to = ToLocal(*end);
        text += kRangeDash;
        if (FormatDate(to) != FormatDate(from))
            text += FormatDate(to) + " ";
        text += ClockText(to);
    }
    return text;
}

void ReminderSchedule::SetItems(const std::vector<CalendarRecord>& calendars, const std::vector<TaskListInfo>& lists,
                                const ReminderSettings& settings)
{
    pending_.clear();
    std::set<std::string> keys;
    const auto add = [&](Reminder reminder, Instant dueAt) {
        if (keys.insert(reminder.key).second)
            pending_.push_back({std::move(reminder), dueAt});
    };
    if (settings.enabled) {
        for (const CalendarRecord& calendar : calendars) {
            if (!IsSelected(calendar))
                continue;
            for (const EventRecord& event : calendar.events) {
                if (event.status == kCancelled || event.selfResponseStatus == kDeclined)
                    continue;
                const std::optional<Instant> start = StartOf(event.start);
                if (!start)
                    continue;
                const std::string startText = event.start.dateTime.empty() ? event.start.date : event.start.dateTime;
                for (const EventReminder& popup : RemindersOf(event, calendar)) {
                    if (popup.method != kPopupMethod)
                        continue;
                    Reminder reminder;
                    reminder.kind = ReminderKind::Event;
                    reminder.key =
                        MakeReminderKey({kEventKey, calendar.id, event.id, startText, std::to_string(popup.minutes)});
                    reminder.ownerId = calendar.id;
                    reminder.itemId = event.id;
                    reminder.summary = event.summary.empty() ? Translated(kNoTitle) : event.summary;
                    AddLine(reminder.body, RangeText(event));
                    AddLine(reminder.body, event.location);
                    AddLine(reminder.body, calendar.summary);
                    add(std::move(reminder), *start - popup.minutes * kSecondsPerMinute);
                }
            }
        }
        for (const TaskListInfo& list : lists) {
            for (const TaskInfo& task : list.tasks) {
                const std::optional<LocalDateTime> day = ParseStoredDate(task.due);
                if (task.status == kTaskStatusCompleted || !day)
                    continue;
                Reminder reminder;
                reminder.kind = ReminderKind::Task;
                reminder.key = MakeReminderKey({kTaskKey, list.id, task.id, FormatDate(*day)});
                reminder.ownerId = list.id;
                reminder.itemId = task.id;
                reminder.summary = task.title.empty() ? Translated(kNoTitle) : task.title;
                AddLine(reminder.body, Translated(kDuePrefix) + FormatDate(*day));
                AddLine(reminder.body, list.title);
                add(std::move(reminder),
                    ToInstant({day->year, day->month, day->day, settings.taskHour, settings.taskMinute, 0}));
            }
        }
    }
    std::erase_if(snoozed_, [&](const auto& entry) { return keys.count(entry.first) == 0; });
}

std::vector<Reminder> ReminderSchedule::Due(const LocalDateTime& now)
{
    const Instant moment = ToInstant(now);
    fired_.Prune(moment);
    std::vector<Reminder> due;
    for (const Pending& pending : pending_) {
        Instant dueAt = pending.dueAt;
        if (const auto snooze = snoozed_.find(pending.reminder.key); snooze != snoozed_.end()) {
            if (snooze->second > moment)
                continue;
            dueAt = snooze->second;
            snoozed_.erase(snooze);
        } else if (fired_.Has(pending.reminder.key) || dueAt > moment) {
            continue;
        }
        if (moment - dueAt > kDropAfterSeconds)
            continue;
        Reminder reminder = pending.reminder;
        reminder.late = moment - dueAt > kLateAfterSeconds;
        if (reminder.late)
            reminder.summary = Translated(kLateMark) + reminder.summary;
        fired_.Add(reminder.key, pending.dueAt);
        due.push_back(std::move(reminder));
    }
    return due;
}

std::optional<Instant> ReminderSchedule::NextWakeUp(const LocalDateTime& now) const
{
    const Instant moment = ToInstant(now);
    std::optional<Instant> next;
    const auto consider = [&](Instant at) {
        if (at > moment && (!next || at < *next))
            next = at;
    };
    for (const Pending& pending : pending_) {
        if (!fired_.Has(pending.reminder.key))
            consider(pending.dueAt);
    }
    for (const auto& [key, at] : snoozed_)
        consider(at);
    if (!next)
        return std::nullopt;
    return *next - moment;
}

bool ReminderSchedule::Snooze(const std::string& key, const LocalDateTime& now)
{
    const bool known =
        std::any_of(pending_.begin(), pending_.end(), [&](const Pending& p) { return p.reminder.key == key; });
    if (known)
        snoozed_[key] = ToInstant(now) + kSnoozeSeconds;
    return known;
}

} // namespace orb
