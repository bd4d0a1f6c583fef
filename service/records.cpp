#include "service/records.h"

#include "core/instant.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace orb {

namespace {

constexpr const char* kColourMarkerStart = "0x";
constexpr std::size_t kColourDigits = 6;

} // namespace

std::string CharacterRange(const std::string& text, std::size_t first, std::size_t last)
{
    if (first > text.size())
        return {};
    return text.substr(first - 1, last - first + 1);
}

std::string ColourMarker(const std::string& hashColour)
{
    return kColourMarkerStart + CharacterRange(hashColour, 2, 1 + kColourDigits);
}

std::string EventColourMarker(const EventRecord& event, const std::string& calendarBackground)
{
    return ColourMarker(event.colorText.empty() ? calendarBackground : event.colorText);
}

std::array<std::string, 4> EventRowTexts(const EventRecord& event, const std::string& calendarBackground)
{
    return {EventColourMarker(event, calendarBackground) + event.summary, EventDueText(event), event.description,
            event.id};
}

std::string EventDueText(const EventRecord& event)
{
    if (!event.start.date.empty())
        return event.start.date;
    const std::string& when = event.start.dateTime;
    if (when.empty())
        return {};
    return CharacterRange(when, 6, 7) + "-" + CharacterRange(when, 9, 10) + " " + CharacterRange(when, 12, 13) + ":" +
           CharacterRange(when, 15, 16);
}

namespace {
constexpr std::size_t kDateKeyLength = 10; // "YYYY-MM-DD"
constexpr std::size_t kMaxColorIdDigits = 4;
} // namespace

std::string EventColorText(const std::string& colorId)
{
    // Digits only, and few of them: a service answer must not overflow the lookup.
    if (colorId.empty() || colorId.size() > kMaxColorIdDigits)
        return {};
    int value = 0;
    for (const char c : colorId) {
        if (c < '0' || c > '9')
            return {};
        value = value * 10 + (c - '0');
    }
    if (value < kFirstEventColorId || value >= kFirstEventColorId + kEventColorCount)
        return {};
    return std::string(EventColorTable[static_cast<std::size_t>(value - kFirstEventColorId)]);
}

std::string StartDateKey(const EventRecord& event)
{
    if (!event.start.date.empty())
        return event.start.date;
    return event.start.dateTime.substr(0, kDateKeyLength);
}

bool EventStartsBefore(const EventRecord& a, const EventRecord& b)
{
    return StartDateKey(a) < StartDateKey(b);
}

void SortEvents(std::vector<EventRecord>& events)
{
    std::stable_sort(events.begin(), events.end(), EventStartsBefore);
}

std::optional<long long> EventTimeMillis(const EventTime& time)
{
    if (time.dateTime.empty())
        return InstantMillis(time.date);
    if (const std::optional<long long> instant = InstantMillis(time.dateTime))
        return instant;
    // One the service gave without its offset is in the event's own zone, which is not
    // known here; read as UTC it still orders and places the same in every pass.
    return InstantMillis(time.dateTime + "Z");
}

void OrderEventsByStart(std::vector<EventRecord>& events)
{
    // Each start is read once; an event without one comes first.
    std::vector<std::pair<long long, std::size_t>> keys;
    keys.reserve(events.size());
    for (std::size_t i = 0; i < events.size(); ++i)
        keys.emplace_back(EventTimeMillis(events[i].start).value_or(LLONG_MIN), i);
    std::sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : events[a.second].id < events[b.second].id;
    });
    std::vector<EventRecord> ordered;
    ordered.reserve(events.size());
    for (const auto& key : keys)
        ordered.push_back(std::move(events[key.second]));
    events = std::move(ordered);
}

void ApplyTimeZoneFallback(EventRecord& event, const std::string& calendarTimeZone)
{
    if (event.start.timeZone.empty())
        event.start.timeZone = calendarTimeZone;
    if (event.end.timeZone.empty())
        event.end.timeZone = calendarTimeZone;
}

CalendarRecord* FindCalendar(std::vector<CalendarRecord>& calendars, const std::string& calendarId)
{
    const auto found = std::find_if(calendars.begin(), calendars.end(),
                                    [&](const CalendarRecord& calendar) { return calendar.id == calendarId; });
    return found == calendars.end() ? nullptr : &*found;
}

} // namespace orb
