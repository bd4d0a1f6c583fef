#include "reminders/reminder_schedule.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

bool operator<=(const LocalDateTime& a, const LocalDateTime& b)
{
    return LocalSeconds(a) <= LocalSeconds(b);
}

// This machine keeps New York's rules: EST (UTC-5) until 2026-03-08 02:00, EDT (UTC-4) after.
int NewYorkOffset(const LocalDateTime& wall)
{
    return LocalDateTime{2026, 3, 8, 2, 0, 0} <= wall ? -4 * 3600 : -5 * 3600;
}

ZoneRules TestZones()
{
    return {[](const std::string& zone, const LocalDateTime& wall) -> std::optional<int> {
                if (zone == "Asia/Seoul")
                    return 9 * 3600;
                if (zone == "America/New_York")
                    return NewYorkOffset(wall);
                return std::nullopt;
            },
            NewYorkOffset};
}

LocalDateTime At(int month, int day, int hour, int minute, int second = 0)
{
    return {2026, month, day, hour, minute, second};
}

EventRecord Event(const std::string& id, const std::string& start, const std::string& end,
                  std::vector<EventReminder> overrides = {{"popup", 10}})
{
    EventRecord event;
    event.id = id;
    event.summary = "Standup";
    (start.size() > 10 ? event.start.dateTime : event.start.date) = start;
    (end.size() > 10 ? event.end.dateTime : event.end.date) = end;
    event.reminderOverrides = std::move(overrides);
    return event;
}

CalendarRecord Calendar(std::vector<EventRecord> events)
{
    CalendarRecord calendar;
    calendar.id = "work@example.com";
    calendar.summary = "Work";
    calendar.selected = "true";
    calendar.events = std::move(events);
    return calendar;
}

class ReminderScheduleTest : public ::testing::Test
{
protected:
    std::vector<Reminder> DueAt(const LocalDateTime& now, const std::vector<CalendarRecord>& calendars,
                                const std::vector<TaskListInfo>& lists = {})
    {
        schedule.SetItems(calendars, lists, settings);
        return schedule.Due(now);
    }

    ReminderSchedule schedule{TestZones()};
    ReminderSettings settings;
};

TEST_F(ReminderScheduleTest, APopupRemindsItsMinutesBeforeTheStartWithTheEventsTexts)
{
    EventRecord event = Event("e1", "2026-03-02T10:00:00-05:00", "2026-03-02T11:00:00-05:00",
                              {{"popup", 10}, {"email", 30}, {"popup", 10}});
    event.location = "Room 4";
    const std::vector<CalendarRecord> calendars = {Calendar({event})};
    EXPECT_TRUE(DueAt(At(3, 2, 9, 49, 59), calendars).empty());
    EXPECT_EQ(schedule.NextWakeUp(At(3, 2, 9, 49, 59)), 1);

    const std::vector<Reminder> due = schedule.Due(At(3, 2, 9, 50));
    ASSERT_EQ(due.size(), 1u); // the e-mail reminder is not ours, the twin popup is one
    EXPECT_EQ(due[0].summary, "Standup");
    EXPECT_EQ(due[0].body, "2026-03-02 10:00 - 11:00\nRoom 4\nWork");
    EXPECT_EQ(due[0].ownerId, "work@example.com");
    EXPECT_EQ(due[0].itemId, "e1");
    EXPECT_FALSE(due[0].late);
    EXPECT_EQ(schedule.NextWakeUp(At(3, 2, 9, 50)), std::nullopt);

    // Another zone's offset is honoured: 23:00 in Seoul is 09:00 here, shown in local time.
    EventRecord seoul = Event("e2", "2026-03-02T23:00:00+09:00", "2026-03-03T01:30:00+09:00", {{"popup", 0}});
    seoul.summary.clear();
    const std::vector<Reminder> far = DueAt(At(3, 2, 9, 0), {Calendar({seoul})});
    ASSERT_EQ(far.size(), 1u);
    EXPECT_EQ(far[0].summary, "(No title)");
    EXPECT_EQ(far[0].body, "2026-03-02 09:00 - 11:30\nWork");
}

TEST_F(ReminderScheduleTest, ZonedTimesCountRealMinutesAcrossTheDaylightSavingChange)
{
    // 09:00 New York time on the first day of summer time; a day before in real minutes is
    // 08:00 on the wall clock, since the night in between is an hour short.
    EventRecord event = Event("e", "2026-03-08T09:00:00", "2026-03-08T10:00:00", {{"popup", 1440}});
    event.start.timeZone = event.end.timeZone = "America/New_York";
    const std::vector<CalendarRecord> calendars = {Calendar({event})};
    EXPECT_TRUE(DueAt(At(3, 7, 7, 59, 59), calendars).empty());
    ASSERT_EQ(schedule.Due(At(3, 7, 8, 0)).size(), 1u);

    // From 01:00 (winter) to 04:00 (summer) is two hours of waiting, not three.
    const EventRecord early = Event("early", "2026-03-08T04:00:00-04:00", "", {{"popup", 0}});
    schedule.SetItems({Calendar({early})}, {}, settings);
    EXPECT_EQ(schedule.NextWakeUp(At(3, 8, 1, 0)), 7200);

    // An unknown zone without an offset reads as local time.
    EventRecord unknown = Event("u", "2026-03-02T10:00:00", "", {{"popup", 0}});
    unknown.start.timeZone = "Nowhere/Special";
    EXPECT_EQ(DueAt(At(3, 2, 10, 0), {Calendar({unknown})}).size(), 1u);
}

TEST_F(ReminderScheduleTest, AllDayEventsRemindFromLocalMidnightOfTheirDay)
{
    const EventRecord event = Event("d", "2026-03-02", "2026-03-05", {{"popup", 0}, {"popup", 15 * 60}});
    const std::vector<CalendarRecord> calendars = {Calendar({event})};
    EXPECT_TRUE(DueAt(At(3, 1, 8, 59, 59), calendars).empty());
    const std::vector<Reminder> before = schedule.Due(At(3, 1, 9, 0));
    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(before[0].body, "2026-03-02 - 2026-03-04 (all day)\nWork");
    EXPECT_TRUE(schedule.Due(At(3, 1, 23, 59, 59)).empty());
    EXPECT_EQ(schedule.Due(At(3, 2, 0, 0)).size(), 1u);

    const EventRecord one = Event("o", "2026-03-09", "2026-03-10", {{"popup", 0}});
    const std::vector<Reminder> due = DueAt(At(3, 9, 0, 0), {Calendar({one})});
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0].body, "2026-03-09 (all day)\nWork");
}

TEST_F(ReminderScheduleTest, WhatRemindsFollowsDefaultsSelectionDeclinesAndCancellations)
{
    EventRecord byDefault = Event("default", "2026-03-02T10:00:00-05:00", "", {{"popup", 10}});
    byDefault.remindersUseDefault = "true";
    EventRecord declined = Event("declined", "2026-03-02T10:00:00-05:00", "", {{"popup", 30}});
    declined.selfResponseStatus = "declined";
    EventRecord accepted = Event("accepted", "2026-03-02T10:00:00-05:00", "", {{"popup", 30}});
    accepted.selfResponseStatus = "accepted";
    EventRecord cancelled = Event("cancelled", "2026-03-02T10:00:00-05:00", "", {{"popup", 30}});
    cancelled.status = "cancelled";
    const EventRecord none = Event("none", "2026-03-02T10:00:00-05:00", "", {});
    CalendarRecord calendar = Calendar({byDefault, declined, accepted, cancelled, none});
    calendar.defaultReminders = {{"popup", 30}, {"email", 45}};
    CalendarRecord hidden = Calendar({Event("hidden", "2026-03-02T10:00:00-05:00", "", {{"popup", 30}})});
    hidden.selected = "false";

    std::vector<std::string> ids;
    for (const Reminder& reminder : DueAt(At(3, 2, 9, 30), {calendar, hidden}))
        ids.push_back(reminder.itemId);
    EXPECT_EQ(ids, (std::vector<std::string>{"default", "accepted"}));
    // The default's 30 minutes, not the event's own 10: nothing more at 09:50.
    EXPECT_TRUE(schedule.Due(At(3, 2, 9, 50)).empty());

    settings.enabled = false;
    EventRecord later = accepted;
    later.start.dateTime = "2026-03-02T12:00:00-05:00";
    EXPECT_TRUE(DueAt(At(3, 2, 13, 0), {Calendar({later})}).empty());
    EXPECT_EQ(schedule.NextWakeUp(At(3, 2, 9, 0)), std::nullopt);
}

TEST_F(ReminderScheduleTest, AReminderShowsOnceAcrossReloadsEditsAndRestartsUntilTheEventMoves)
{
    EventRecord event = Event("e", "2026-03-02T10:00:00-05:00", "2026-03-02T11:00:00-05:00");
    ASSERT_EQ(DueAt(At(3, 2, 9, 50), {Calendar({event})}).size(), 1u);
    event.summary = "Standup, renamed";
    EXPECT_TRUE(DueAt(At(3, 2, 9, 51), {Calendar({event})}).empty());

    // A restart reads the shown keys back from the file's text.
    ReminderSchedule restarted(TestZones());
    restarted.Fired() = FiredKeys::FromText(schedule.Fired().Text());
    restarted.SetItems({Calendar({event})}, {}, settings);
    EXPECT_TRUE(restarted.Due(At(3, 2, 9, 52)).empty());

    // Moved to the afternoon: armed again for its new time.
    event.start.dateTime = "2026-03-02T14:00:00-05:00";
    restarted.SetItems({Calendar({event})}, {}, settings);
    EXPECT_EQ(restarted.NextWakeUp(At(3, 2, 13, 0)), 50 * 60);
    EXPECT_EQ(restarted.Due(At(3, 2, 13, 50)).size(), 1u);

    // Deleted before its time: it never shows.
    const EventRecord gone = Event("gone", "2026-03-02T16:00:00-05:00", "");
    restarted.SetItems({Calendar({gone})}, {}, settings);
    restarted.SetItems({Calendar({})}, {}, settings);
    EXPECT_TRUE(restarted.Due(At(3, 2, 15, 55)).empty());
}

TEST_F(ReminderScheduleTest, SnoozeShowsItAgainFiveMinutesLaterOnceAndNotForAGoneEvent)
{
    const EventRecord event = Event("e", "2026-03-02T10:00:00-05:00", "");
    const std::vector<Reminder> due = DueAt(At(3, 2, 9, 50), {Calendar({event})});
    ASSERT_EQ(due.size(), 1u);
    EXPECT_TRUE(schedule.Snooze(due[0].key, At(3, 2, 9, 51)));
    EXPECT_FALSE(schedule.Snooze("no such key", At(3, 2, 9, 51)));
    EXPECT_EQ(schedule.NextWakeUp(At(3, 2, 9, 51)), 300);
    EXPECT_TRUE(schedule.Due(At(3, 2, 9, 55, 59)).empty());
    const std::vector<Reminder> again = schedule.Due(At(3, 2, 9, 56));
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].summary, "Standup");
    EXPECT_TRUE(schedule.Due(At(3, 2, 10, 30)).empty());

    ASSERT_TRUE(schedule.Snooze(due[0].key, At(3, 2, 10, 30)));
    schedule.SetItems({Calendar({})}, {}, settings);
    EXPECT_EQ(schedule.NextWakeUp(At(3, 2, 10, 31)), std::nullopt);
    EXPECT_TRUE(schedule.Due(At(3, 2, 10, 40)).empty());
}

TEST_F(ReminderScheduleTest, AfterSleepAReminderShowsOnceMarkedLateAndPastTwelveHoursNotAtAll)
{
    const std::vector<CalendarRecord> calendars = {Calendar({Event("e", "2026-03-02T10:00:00-05:00", "")})};
    // Two minutes after its time is still on time.
    const std::vector<Reminder> onTime = DueAt(At(3, 2, 9, 52), calendars);
    ASSERT_EQ(onTime.size(), 1u);
    EXPECT_FALSE(onTime[0].late);

    ReminderSchedule woken(TestZones());
    woken.SetItems(calendars, {}, settings);
    const std::vector<Reminder> late = woken.Due(At(3, 2, 9, 52, 1));
    ASSERT_EQ(late.size(), 1u);
    EXPECT_TRUE(late[0].late);
    EXPECT_EQ(late[0].summary, "(late) Standup");
    EXPECT_TRUE(woken.Due(At(3, 2, 9, 53)).empty());

    ReminderSchedule slept(TestZones());
    slept.SetItems(calendars, {}, settings);
    EXPECT_EQ(slept.Due(At(3, 2, 21, 50)).size(), 1u);
    ReminderSchedule sleptLonger(TestZones());
    sleptLonger.SetItems(calendars, {}, settings);
    EXPECT_TRUE(sleptLonger.Due(At(3, 2, 21, 50, 1)).empty());
}

TEST_F(ReminderScheduleTest, TasksRemindOnTheirDueDayAtTheChosenTimeUnlessDone)
{
    TaskListInfo list;
    list.id = "home";
    list.title = "Home";
    const auto task = [](const char* id, const char* due, const char* status) {
        TaskInfo info;
        info.id = id;
        info.title = id;
        info.due = due;
        info.status = status;
        return info;
    };
    list.tasks = {task("Milk", "2026-03-02T00:00:00.000Z", "needsAction"),
                  task("Done", "2026-03-02T00:00:00.000Z", "completed"), task("Someday", "", "needsAction")};
    settings.taskHour = 14;
    settings.taskMinute = 30;
    EXPECT_TRUE(DueAt(At(3, 2, 14, 29, 59), {}, {list}).empty());
    const std::vector<Reminder> due = schedule.Due(At(3, 2, 14, 30));
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0].kind, ReminderKind::Task);
    EXPECT_EQ(due[0].summary, "Milk");
    EXPECT_EQ(due[0].body, "Due 2026-03-02\nHome");
    EXPECT_EQ(due[0].ownerId, "home");

    // Changing the time after it was shown does not show it again that day.
    settings.taskHour = 16;
    EXPECT_TRUE(DueAt(At(3, 2, 16, 0), {}, {list}).empty());
}

} // namespace
} // namespace orb
