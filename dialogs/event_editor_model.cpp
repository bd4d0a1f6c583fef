#include "dialogs/event_editor_model.h"

#include "calendarview/date_value.h"
#include "dialogs/line_breaks.h"

#include <algorithm>
#include <cstdio>

namespace orb {

namespace {

constexpr const char* kConfirmed = "confirmed";
constexpr int kSecondsPerMinute = 60;
constexpr int kSecondsPerHour = 3600;
constexpr long long kSecondsPerDay = 86400;
constexpr int kLastHour = 23;
constexpr int kLastMinute = 59;
constexpr int kLastSecond = 59;
constexpr int kFirstYear = 100; // the date pickers go no further back
constexpr int kLastYear = 9999;

// Positions in "YYYY-MM-DDTHH:MM:SS".
constexpr std::size_t kDateLength = 10;
constexpr std::size_t kDateTimeLength = 19;
constexpr std::size_t kTimeSeparator = 10;

std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t count)
{
    if (at + count > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// "+HH:MM", "+HHMM" or "+HH" after the seconds; nothing for anything else.
std::optional<int> OffsetSeconds(std::string_view offset)
{
    if (offset.empty() || (offset[0] != '+' && offset[0] != '-'))
        return std::nullopt;
    const std::optional<int> hours = Digits(offset, 1, 2);
    std::optional<int> minutes = 0;
    if (offset.size() == 6 && offset[3] == ':')
        minutes = Digits(offset, 4, 2);
    else if (offset.size() == 5)
        minutes = Digits(offset, 3, 2);
    else if (offset.size() != 3)
        return std::nullopt;
    if (!hours || !minutes || *hours > kLastHour || *minutes > kLastMinute)
        return std::nullopt;
    const int seconds = *hours * kSecondsPerHour + *minutes * kSecondsPerMinute;
    return offset[0] == '-' ? -seconds : seconds;
}

LocalDateTime OnDay(const LocalDateTime& day, const LocalDateTime& time)
{
    return {day.year, day.month, day.day, time.hour, time.minute, time.second};
}

long long DayNumber(const LocalDateTime& when)
{
    return DaysFromCivil(when.year, when.month, when.day);
}

long long UtcSeconds(const LocalDateTime& when, int offsetSeconds)
{
    return DayNumber(when) * kSecondsPerDay + when.hour * kSecondsPerHour + when.minute * kSecondsPerMinute +
           when.second - offsetSeconds;
}

int ColourIndexOf(const std::string& colorId)
{
    if (colorId.empty())
        return 0;
    if (EventColorText(colorId).empty())
        return EventEditorModel::kOwnColourIndex;
    return std::stoi(colorId);
}

} // namespace

std::optional<LocalDateTime> ParseStoredDate(std::string_view text)
{
    const std::optional<int> year = Digits(text, 0, 4);
    const std::optional<int> month = Digits(text, 5, 2);
    const std::optional<int> day = Digits(text, 8, 2);
    if (!year || !month || !day || *year < kFirstYear || *year > kLastYear || *month < 1 || *month > 12 || *day < 1 ||
        *day > DaysInMonth(*year, *month))
        return std::nullopt;
    return LocalDateTime{*year, *month, *day, 0, 0, 0};
}

std::optional<StoredDateTime> ParseStoredDateTime(std::string_view text)
{
    const std::optional<LocalDateTime> day = ParseStoredDate(text.substr(0, std::min(text.size(), kDateLength)));
    if (!day || text.size() < kDateTimeLength || (text[kTimeSeparator] != 'T' && text[kTimeSeparator] != 't'))
        return std::nullopt;
    const std::optional<int> hour = Digits(text, 11, 2);
    const std::optional<int> minute = Digits(text, 14, 2);
    const std::optional<int> second = Digits(text, 17, 2);
    if (!hour || !minute || !second || *hour > kLastHour || *minute > kLastMinute || *second > kLastSecond)
        return std::nullopt;

    StoredDateTime stored;
    stored.local = {day->year, day->month, day->day, *hour, *minute, *second};
    std::size_t rest = kDateTimeLength;
    if (rest < text.size() && text[rest] == '.') {
        ++rest;
        while (rest < text.size() && text[rest] >= '0' && text[rest] <= '9')
            ++rest;
    }
    const std::string_view offset = text.substr(rest);
    if (offset == "Z" || offset == "z") {
        stored.offsetText = "Z";
        stored.offsetSeconds = 0;
    } else if (const std::optional<int> seconds = OffsetSeconds(offset)) {
        stored.offsetText = std::string(offset);
        stored.offsetSeconds = seconds;
    }
    return stored;
}

std::string FormatDate(const LocalDateTime& day)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year, day.month, day.day);
    return text;
}

std::string FormatDateTime(const LocalDateTime& when)
{
    char text[16];
    std::snprintf(text, sizeof text, "T%02d:%02d:%02d", when.hour, when.minute, when.second);
    return FormatDate(when) + text;
}

std::string FormatUtcOffset(int seconds)
{
    const int magnitude = seconds < 0 ? -seconds : seconds;
    char text[16];
    std::snprintf(text, sizeof text, "%c%02d:%02d", seconds < 0 ? '-' : '+', magnitude / kSecondsPerHour,
                  magnitude % kSecondsPerHour / kSecondsPerMinute);
    return text;
}

void EventEditorModel::Start(EventEditorInput input, const LocalDateTime& now)
{
    input_ = std::move(input);
    calendarIndex_ = input_.calendarIndex;
    calendarColour_ = input_.calendarColour;
    colourIndex_ = 0;
    colourPicked_ = false;
    storedStart_.reset();
    storedEnd_.reset();

    LocalDateTime pickerNow = now;
    pickerNow.second = 0;
    fields_ = {};
    fields_.start = pickerNow;
    fields_.end = pickerNow;

    // A preset calendar is an existing choice the user cannot change.
    calendarChoosable_ = calendarIndex_ < 0;
    if (calendarChoosable_) {
        calendarIndex_ = 0;
        if (!input_.calendarColours.empty())
            calendarColour_ = input_.calendarColours.front();
    }
    // Days the opener left at their initial value were never chosen: the pickers stay on today.
    if (input_.defaultStart != LocalDateTime{})
        fields_.start = OnDay(input_.defaultStart, pickerNow);
    if (input_.defaultEnd != LocalDateTime{})
        fields_.end = OnDay(input_.defaultEnd, pickerNow);

    if (!input_.updateMode) {
        fields_.allDay = input_.allDayDefault;
        return;
    }
    const EventRecord& event = input_.event;
    fields_.summary = event.summary;
    fields_.description = ToEditorLineBreaks(event.description);
    fields_.location = event.location;
    colourIndex_ = ColourIndexOf(event.colorId);
    fields_.allDay = event.start.dateTime.empty();
    if (!fields_.allDay) {
        const auto read = [](const std::string& text, LocalDateTime& shown, std::optional<StoredTime>& kept) {
            if (const std::optional<StoredDateTime> stored = ParseStoredDateTime(text)) {
                shown = stored->local;
                if (stored->offsetSeconds)
                    kept = StoredTime{stored->local, Offset{stored->offsetText, *stored->offsetSeconds}};
            }
        };
        read(event.start.dateTime, fields_.start, storedStart_);
        read(event.end.dateTime, fields_.end, storedEnd_);
        return;
    }
    if (const std::optional<LocalDateTime> first = ParseStoredDate(event.start.date))
        fields_.start = OnDay(*first, fields_.start);
    // The stored end is the day after the last one.
    if (const std::optional<LocalDateTime> after = ParseStoredDate(event.end.date))
        fields_.end = OnDay(AddDays(*after, -1), fields_.end);
}

const std::string* EventEditorModel::Entry(const std::vector<std::string>& list, int index)
{
    if (index < 0 || index >= static_cast<int>(list.size()))
        return nullptr;
    return &list[static_cast<std::size_t>(index)];
}

void EventEditorModel::SelectCalendar(int index)
{
    if (index < 0 || index >= static_cast<int>(input_.calendarNames.size()))
        return;
    calendarIndex_ = index;
    if (index < static_cast<int>(input_.calendarColours.size()))
        calendarColour_ = input_.calendarColours[static_cast<std::size_t>(index)];
    if (const std::string* zone = Entry(input_.startTimeZones, index))
        input_.event.start.timeZone = *zone;
    if (const std::string* zone = Entry(input_.endTimeZones, index))
        input_.event.end.timeZone = *zone;
}

void EventEditorModel::SelectColour(int index)
{
    if (index >= 0 && index < kColourCount) {
        colourIndex_ = index;
        colourPicked_ = true;
    }
}

ColorRef EventEditorModel::SwatchColour(int index) const
{
    if (index <= 0 || index >= kColourCount)
        return calendarColour_;
    return ColorRefFromText(std::string(EventColorTable[static_cast<std::size_t>(index - kFirstEventColorId)]));
}

EventEditorModel::Offset EventEditorModel::OffsetFor(bool start, const LocalDateTime& local) const
{
    const std::optional<StoredTime>& stored = start ? storedStart_ : storedEnd_;
    // An unchanged time names the same instant, whatever the zones say.
    if (stored && stored->local == local)
        return stored->offset;
    const std::string* calendarZone = Entry(start ? input_.startTimeZones : input_.endTimeZones, calendarIndex_);
    if (calendarZone == nullptr && !start)
        calendarZone = Entry(input_.startTimeZones, calendarIndex_);
    const std::string& ownZone = start ? input_.event.start.timeZone : input_.event.end.timeZone;
    // A moved time takes its zone's offset at the new date, so it keeps its clock time
    // across a daylight-saving change; the stored offset serves only when no zone is known.
    std::optional<Offset> firstKnown;
    for (const std::string* zone : {calendarZone, &ownZone}) {
        if (zone == nullptr || zone->empty() || !lookup_)
            continue;
        const std::optional<int> seconds = lookup_(*zone, local);
        if (!seconds)
            continue;
        const Offset offset{FormatUtcOffset(*seconds), *seconds};
        // Of the event's zones, the one its stored time was written in.
        if (!stored || lookup_(*zone, stored->local) == stored->offset.seconds)
            return offset;
        if (!firstKnown)
            firstKnown = offset;
    }
    if (firstKnown)
        return *firstKnown;
    if (stored)
        return stored->offset;
    return {FormatUtcOffset(kFallbackOffsetSeconds), kFallbackOffsetSeconds};
}

EventSaveResult EventEditorModel::Save(const EventEditorFields& fields)
{
    EventRecord& event = input_.event;
    if (fields.allDay) {
        if (DayNumber(fields.end) < DayNumber(fields.start))
            return EventSaveResult::InvalidTimeAndDate;
        event.start.date = FormatDate(fields.start);
        // The service takes the day after the last one.
        event.end.date = FormatDate(AddDays(fields.end, 1));
    } else {
        const Offset startOffset = OffsetFor(true, fields.start);
        const Offset endOffset = OffsetFor(false, fields.end);
        if (UtcSeconds(fields.end, endOffset.seconds) < UtcSeconds(fields.start, startOffset.seconds))
            return EventSaveResult::InvalidTimeAndDate;
        event.start.date.clear();
        event.end.date.clear();
        event.start.dateTime = FormatDateTime(fields.start) + startOffset.text;
        event.end.dateTime = FormatDateTime(fields.end) + endOffset.text;
    }
    event.summary = fields.summary;
    event.description = ToStoredLineBreaks(fields.description);
    event.status = kConfirmed;
    event.location = fields.location;
    // Unpicked, the event keeps its colour id exactly as the service gave it.
    if (colourPicked_)
        event.colorId = colourIndex_ > 0 ? std::to_string(colourIndex_) : std::string();
    return EventSaveResult::Saved;
}

} // namespace orb
