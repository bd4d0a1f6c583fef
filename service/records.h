#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orb {

// Every text below is UTF-8 as read from the service; an empty text means "absent".

struct EventPerson
{
    std::string id;
    std::string email;
    std::string displayName;
    std::string self; // "true", "false" or empty

    friend bool operator==(const EventPerson&, const EventPerson&) = default;
};

// One reminder of an event or a calendar's default; this desktop shows the "popup" ones.
struct EventReminder
{
    std::string method;
    int minutes = 0; // before the start

    friend bool operator==(const EventReminder&, const EventReminder&) = default;
};

// An all-day time has `date` ("YYYY-MM-DD"); a timed one has `dateTime` as sent.
struct EventTime
{
    std::string date;
    std::string dateTime;
    std::string timeZone;

    friend bool operator==(const EventTime&, const EventTime&) = default;
};

struct EventRecord
{
    std::string id;
    std::string etag; // JSON-escaped, ready to go inside a JSON string
    std::string kind;
    std::string summary;
    std::string description;
    std::string status;
    std::string created;
    std::string updated;
    std::string location;
    std::string colorId;
    EventPerson creator;
    EventTime start;
    EventTime end;
    std::string colorText;           // "#RRGGBB" from EventColorTable, empty for the calendar's colour
    std::string remindersUseDefault; // "true" when the calendar's default reminders apply
    std::vector<EventReminder> reminderOverrides;
    std::string selfResponseStatus; // the user's own attendee entry's answer, empty when not invited

    friend bool operator==(const EventRecord&, const EventRecord&) = default;
};

struct CalendarRecord
{
    std::string id;
    std::string kind;
    std::string summary;
    std::string description;
    std::string timeZone; // also the fallback zone of its events
    std::string colorId;
    std::string backgroundColor;
    std::string foregroundColor;
    std::string accessRole;
    std::string selected; // "true", "false" or empty; only "true" has its events fetched
    std::vector<EventReminder> defaultReminders;
    bool primary = false;            // the user's own calendar: its id names the account
    std::int32_t tag = 0;            // 1 while the calendar's tree row is expanded; the clients leave it alone
    std::vector<EventRecord> events; // in event order

    friend bool operator==(const CalendarRecord&, const CalendarRecord&) = default;
};

// Only calendars whose `selected` is "true" are shown and have their events fetched.
// Characters `first`..`last` (1-based, inclusive) of a text, as far as the text goes.
std::string CharacterRange(const std::string& text, std::size_t first, std::size_t last);
// The tree's colour marker for a "#RRGGBB" colour: "0x" and the six digits.
std::string ColourMarker(const std::string& hashColour);
// The marker of an event row: its own colour, else its calendar's.
std::string EventColourMarker(const EventRecord& event, const std::string& calendarBackground);
// The "Due" column of an event: its start date, or "MM-DD hh:mm" of its start date-time.
std::string EventDueText(const EventRecord& event);
// An event's row in a tree: marker and title, due, description, id.
std::array<std::string, 4> EventRowTexts(const EventRecord& event, const std::string& calendarBackground);

inline bool IsSelected(const CalendarRecord& calendar)
{
    return calendar.selected == "true";
}

// A calendar the user may only read: its events cannot be changed.
inline bool IsReadOnlyRole(std::string_view accessRole)
{
    return accessRole == "reader" || accessRole == "freeBusyReader";
}

// Only an owner may change a calendar's title and description; the colours of the user's
// own calendar-list entry are the user's, whatever the role.
inline bool OwnsCalendar(const CalendarRecord& calendar)
{
    return calendar.accessRole == "owner";
}

constexpr int kFirstEventColorId = 1;
constexpr int kEventColorCount = 11;

// Google Calendar's event colours; entry i is colour id i + kFirstEventColorId.
inline constexpr std::array<std::string_view, kEventColorCount> EventColorTable = {
    "#A4BDFC", "#7AE7BF", "#DBADFF", "#FF887C", "#FBD75B", "#FFB878",
    "#46D6DB", "#E1E1E1", "#5484ED", "#51B749", "#DC2127",
};

// The colour text for a decimal colour id; empty for anything outside 1..11.
std::string EventColorText(const std::string& colorId);

// The start's all-day date, else the first ten characters of its date-time.
std::string StartDateKey(const EventRecord& event);

// Orders by start date key, byte by byte.
bool EventStartsBefore(const EventRecord& a, const EventRecord& b);

// Stable, so events of one day keep the order the service gave them.
void SortEvents(std::vector<EventRecord>& events);

// The instant of a start or end in milliseconds (see InstantMillis; a date-time without its
// offset as UTC); nothing when it has neither form.
std::optional<long long> EventTimeMillis(const EventTime& time);

// Orders a calendar's events by start instant, as the service lists them, and events that
// start together by id, so that a calendar read whole and one put together from changes
// come out in one order.
void OrderEventsByStart(std::vector<EventRecord>& events);

// An event without its own time zone takes its calendar's.
void ApplyTimeZoneFallback(EventRecord& event, const std::string& calendarTimeZone);

// The first calendar with exactly this id, or nullptr.
CalendarRecord* FindCalendar(std::vector<CalendarRecord>& calendars, const std::string& calendarId);

} // namespace orb
