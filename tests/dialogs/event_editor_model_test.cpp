#include "dialogs/event_editor_model.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace orb {
namespace {

constexpr LocalDateTime kNow{2026, 12, 8, 9, 30, 0};

// Zones reduced to the offsets used here: New York is -04:00 in summer, -05:00 otherwise;
// Lord Howe Island shifts by half an hour, +11:00 in its summer and +10:30 in its winter.
std::optional<int> TestZones(const std::string& zone, const LocalDateTime& local)
{
    if (zone == "Asia/Seoul")
        return 9 * 3600;
    if (zone == "America/New_York")
        return local.month >= 4 && local.month <= 10 ? -4 * 3600 : -5 * 3600;
    if (zone == "Australia/Lord_Howe")
        return local.month >= 4 && local.month <= 9 ? 10 * 3600 + 1800 : 11 * 3600;
    return std::nullopt;
}

EventEditorModel Updating(std::string start, std::string end, bool allDay = false)
{
    EventEditorInput input;
    EventTime& first = input.event.start;
    EventTime& last = input.event.end;
    (allDay ? first.date : first.dateTime) = std::move(start);
    (allDay ? last.date : last.dateTime) = std::move(end);
    input.calendarNames = {"Work"};
    input.calendarIndex = 0;
    input.updateMode = true;
    EventEditorModel model(TestZones);
    model.Start(input, kNow);
    return model;
}

// Insert mode, the user choosing among a Seoul, a New York and an unknown zone's calendar.
EventEditorModel Inserting(LocalDateTime day, bool allDay = false)
{
    EventEditorInput input;
    input.calendarNames = {"Seoul", "New York", "Nowhere"};
    input.calendarColours = {MakeColorRef(10, 20, 30), MakeColorRef(40, 50, 60), MakeColorRef(70, 80, 90)};
    input.startTimeZones = input.endTimeZones = {"Asia/Seoul", "America/New_York", "Mars/Olympus"};
    input.defaultStart = input.defaultEnd = day;
    input.allDayDefault = allDay;
    EventEditorModel model(TestZones);
    model.Start(input, kNow);
    return model;
}

EventEditorFields Timed(LocalDateTime start, LocalDateTime end, bool allDay = false)
{
    EventEditorFields fields;
    fields.allDay = allDay;
    fields.start = start;
    fields.end = end;
    return fields;
}

TEST(StoredTimeTexts, DateTimesKeepTheirOwnClockTimeAndOffsetAndNonsenseIsRefused)
{
    const auto eastern = ParseStoredDateTime("2026-12-10T09:00:00-05:00");
    ASSERT_TRUE(eastern);
    EXPECT_EQ(eastern->local, (LocalDateTime{2026, 12, 10, 9, 0, 0}));
    EXPECT_EQ(eastern->offsetSeconds, -5 * 3600);
    EXPECT_EQ(ParseStoredDateTime("2026-12-10T23:59:58.250Z")->offsetText, "Z");
    for (const char* text : {"2026-12-10", "2026-02-29T09:00:00Z", "2026-12-10 09:00:00Z", "2026-12-10T24:00:00Z"})
        EXPECT_FALSE(ParseStoredDateTime(text)) << text;
}

TEST(EventEditorUpdate, AnEventSavedUnchangedOrMovedWithNoKnownZoneKeepsItsOwnOffset)
{
    for (const auto& [start, end] : {std::pair{"2026-12-10T09:00:00-05:00", "2026-12-10T10:30:00-05:00"},
                                     std::pair{"2026-12-10T09:00:00Z", "2026-12-10T10:00:00Z"},
                                     std::pair{"2026-07-01T09:00:00+05:30", "2026-07-01T09:15:00+05:30"}}) {
        EventEditorModel model = Updating(start, end);
        EXPECT_EQ(model.initialFields().start.hour, 9) << "shown at its own clock time, not converted";
        ASSERT_EQ(model.Save(model.initialFields()), EventSaveResult::Saved);
        EXPECT_EQ(model.event().start.dateTime, start);
        EXPECT_EQ(model.event().end.dateTime, end);
        EXPECT_EQ(model.event().status, "confirmed");
    }
    EventEditorModel moved = Updating("2026-12-10T09:00:00-05:00", "2026-12-10T10:00:00-05:00");
    ASSERT_EQ(moved.Save(Timed({2026, 12, 11, 13}, {2026, 12, 11, 14})), EventSaveResult::Saved);
    EXPECT_EQ(moved.event().start.dateTime, "2026-12-11T13:00:00-05:00");
}

// An existing event in a calendar of `calendarZone`, whose own times carry `ownZone`.
EventEditorModel UpdatingIn(const std::string& calendarZone, const std::string& ownZone, std::string start,
                            std::string end)
{
    EventEditorInput input;
    input.event.start = {"", std::move(start), ownZone};
    input.event.end = {"", std::move(end), ownZone};
    input.calendarNames = {"Home"};
    input.startTimeZones = input.endTimeZones = {calendarZone};
    input.calendarIndex = 0;
    input.updateMode = true;
    EventEditorModel model(TestZones);
    model.Start(input, kNow);
    return model;
}

TEST(EventEditorUpdate, AMovedEventKeepsItsClockTimeAcrossADaylightSavingChange)
{
    struct Case
    {
        const char* zone;
        const char* start;
        LocalDateTime movedTo;
        const char* sent;
    };
    for (const Case& c :
         {Case{"America/New_York", "2026-12-10T13:00:00-05:00", {2026, 7, 10, 13}, "2026-07-10T13:00:00-04:00"},
          Case{"America/New_York", "2026-07-10T13:00:00-04:00", {2026, 12, 10, 13}, "2026-12-10T13:00:00-05:00"},
          Case{"Australia/Lord_Howe", "2026-01-15T09:00:00+11:00", {2026, 7, 15, 9}, "2026-07-15T09:00:00+10:30"},
          Case{"Australia/Lord_Howe", "2026-07-15T09:00:00+10:30", {2026, 1, 15, 9}, "2026-01-15T09:00:00+11:00"}}) {
        // The zone known through the calendar, through the event itself, or both.
        for (const auto& [calendarZone, ownZone] :
             {std::pair{c.zone, ""}, std::pair{"", c.zone}, std::pair{c.zone, c.zone}}) {
            EventEditorModel model = UpdatingIn(calendarZone, ownZone, c.start, c.start);
            ASSERT_EQ(model.Save(Timed(c.movedTo, c.movedTo)), EventSaveResult::Saved);
            EXPECT_EQ(model.event().start.dateTime, c.sent) << calendarZone << "|" << ownZone;
            EXPECT_EQ(model.event().end.dateTime, c.sent) << calendarZone << "|" << ownZone;
        }
    }
}

TEST(EventEditorUpdate, AMovedTimeFollowsTheZoneItWasWrittenInAndUnknownZonesLeaveItsOffset)
{
    // Shown in New York time though the calendar is in Seoul: New York carries it to July.
    EventEditorModel newYork =
        UpdatingIn("Asia/Seoul", "America/New_York", "2026-12-10T13:00:00-05:00", "2026-12-10T14:00:00-05:00");
    ASSERT_EQ(newYork.Save(Timed({2026, 7, 10, 13}, {2026, 7, 10, 14})), EventSaveResult::Saved);
    EXPECT_EQ(newYork.event().start.dateTime, "2026-07-10T13:00:00-04:00");
    EXPECT_EQ(newYork.event().end.dateTime, "2026-07-10T14:00:00-04:00");

    EventEditorModel unknown = UpdatingIn("Mars/Olympus", "", "2026-12-10T13:00:00-05:00", "2026-12-10T14:00:00-05:00");
    ASSERT_EQ(unknown.Save(Timed({2026, 7, 10, 13}, {2026, 7, 10, 14})), EventSaveResult::Saved);
    EXPECT_EQ(unknown.event().start.dateTime, "2026-07-10T13:00:00-05:00");

    // Unmoved, the stored text goes back as it came, even where the zone now disagrees.
    EventEditorModel unmoved = UpdatingIn("America/New_York", "", "2026-07-10T13:00:00+09:00", "2026-07-10T14:00:00Z");
    ASSERT_EQ(unmoved.Save(unmoved.initialFields()), EventSaveResult::Saved);
    EXPECT_EQ(unmoved.event().start.dateTime, "2026-07-10T13:00:00+09:00");
    EXPECT_EQ(unmoved.event().end.dateTime, "2026-07-10T14:00:00Z");
}

TEST(EventEditorInsert, TimedEventsTakeTheChosenCalendarsOffsetOnTheirOwnDate)
{
    struct Case
    {
        int calendar;
        LocalDateTime start;
        const char* offset;
    };
    for (const Case& c : {Case{0, {2026, 12, 10, 9}, "+09:00"}, Case{1, {2026, 12, 10, 9}, "-05:00"},
                          Case{1, {2026, 7, 10, 9}, "-04:00"}, Case{2, {2026, 12, 10, 9}, "+09:00"}}) {
        EventEditorModel model = Inserting(c.start);
        model.SelectCalendar(c.calendar);
        ASSERT_EQ(model.Save(Timed(c.start, c.start)), EventSaveResult::Saved);
        EXPECT_EQ(model.event().start.dateTime, FormatDateTime(c.start) + c.offset) << c.calendar;
        EXPECT_EQ(model.event().end.dateTime, FormatDateTime(c.start) + c.offset) << c.calendar;
    }
}

TEST(EventEditorInsert, ChoosingACalendarBringsItsColourAndTimeZones)
{
    EventEditorModel model = Inserting({2026, 12, 24}, true);
    EXPECT_TRUE(model.calendarChoosable());
    EXPECT_EQ(model.calendarColour(), MakeColorRef(10, 20, 30));
    EXPECT_EQ(model.initialFields().start, (LocalDateTime{2026, 12, 24, 9, 30, 0})) << "the clock's time";
    model.SelectCalendar(1);
    model.SelectCalendar(3); // no such entry
    EXPECT_EQ(model.calendarIndex(), 1);
    EXPECT_EQ(model.calendarColour(), MakeColorRef(40, 50, 60));
    EXPECT_EQ(model.event().end.timeZone, "America/New_York");

    EventEditorInput preset;
    preset.calendarNames = {"A", "B"};
    preset.calendarIndex = 1;
    preset.defaultEnd = {2026, 12, 26};
    model.Start(preset, kNow);
    EXPECT_FALSE(model.calendarChoosable());
    EXPECT_EQ(FormatDate(model.initialFields().start), "2026-12-08") << "no day chosen: today";
    EXPECT_EQ(FormatDate(model.initialFields().end), "2026-12-26");
}

TEST(EventEditorColour, AColourIdNoSwatchShowsSurvivesASaveUntilTheUserPicksOne)
{
    for (const auto& [colorId, shown] : {std::pair{"12", -1}, std::pair{"abc", -1}, std::pair{"05", 5}}) {
        EventEditorInput input;
        input.event.colorId = colorId;
        input.event.start.date = "2026-12-10";
        input.event.end.date = "2026-12-11";
        input.updateMode = true;
        input.calendarIndex = 0;
        EventEditorModel model;
        model.Start(input, kNow);
        EXPECT_EQ(model.colourIndex(), shown) << colorId;
        ASSERT_EQ(model.Save(model.initialFields()), EventSaveResult::Saved);
        EXPECT_EQ(model.event().colorId, colorId);

        model.SelectColour(4);
        model.Save(model.initialFields());
        EXPECT_EQ(model.event().colorId, "4");
        model.SelectColour(0);
        model.Save(model.initialFields());
        EXPECT_EQ(model.event().colorId, "") << "the calendar's colour";
    }
}

// Puts the process in New York for one test: a step of 86400 seconds lands on the wrong day
// across its daylight-saving changes (2026-03-08 and 2026-11-01); a calendar day does not.
class ScopedNewYork
{
public:
    ScopedNewYork()
    {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        setenv("TZ", "America/New_York", 1);
        tzset();
    }
    ~ScopedNewYork()
    {
        old_ ? setenv("TZ", old_->c_str(), 1) : unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> old_;
};

TEST(EventEditorAllDay, TheShownEndIsTheLastDayAndTheSentEndTheDayAfter)
{
    const ScopedNewYork newYork;
    for (const auto& [first, after, last] :
         {std::tuple{"2012-05-01", "2012-05-02", "2012-05-01"}, std::tuple{"2026-12-30", "2027-01-01", "2026-12-31"},
          std::tuple{"2028-02-28", "2028-03-01", "2028-02-29"}, std::tuple{"2026-03-08", "2026-03-09", "2026-03-08"},
          std::tuple{"2026-11-01", "2026-11-02", "2026-11-01"}}) {
        EventEditorModel model = Updating(first, after, true);
        EXPECT_EQ(FormatDate(model.initialFields().end), last);
        ASSERT_EQ(model.Save(model.initialFields()), EventSaveResult::Saved);
        EXPECT_EQ(model.event().start.date, first);
        EXPECT_EQ(model.event().end.date, after);
    }
}

TEST(EventEditorValidation, WholeMomentsAreComparedAndARefusalChangesNothing)
{
    EventEditorModel model = Inserting({2026, 12, 10});
    EXPECT_EQ(model.Save(Timed({2026, 12, 10, 22}, {2026, 12, 11, 6})), EventSaveResult::Saved) << "overnight";
    EXPECT_EQ(model.Save(Timed({2026, 12, 10, 10}, {2026, 12, 10, 10})), EventSaveResult::Saved);
    const EventRecord saved = model.event();
    EXPECT_EQ(model.Save(Timed({2026, 12, 11, 9}, {2026, 12, 10, 10})), EventSaveResult::InvalidTimeAndDate);
    EXPECT_EQ(model.Save(Timed({2026, 12, 10, 10, 0, 1}, {2026, 12, 10, 10})), EventSaveResult::InvalidTimeAndDate);
    EXPECT_EQ(model.event().start.dateTime, saved.start.dateTime);

    EXPECT_EQ(model.Save(Timed({2026, 12, 10, 18}, {2026, 12, 10, 8}, true)), EventSaveResult::Saved)
        << "an all-day event's times do not count";
    EXPECT_EQ(model.Save(Timed({2026, 12, 10}, {2026, 12, 9}, true)), EventSaveResult::InvalidTimeAndDate);

    // 00:00 UTC to 01:00 UTC: later, though its own date is earlier.
    EventEditorModel offsets = Updating("2026-12-10T09:00:00+09:00", "2026-12-09T20:00:00-05:00");
    EXPECT_EQ(offsets.Save(offsets.initialFields()), EventSaveResult::Saved);
}

} // namespace
} // namespace orb
