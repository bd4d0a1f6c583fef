#pragma once

#include "core/clock.h"
#include "core/color_ref.h"
#include "service/records.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orb {

// Seconds east of UTC of a time zone (an IANA name such as "Asia/Seoul") at a local reading;
// nothing for a zone it does not know.
using UtcOffsetLookup = std::function<std::optional<int>(const std::string& zone, const LocalDateTime& local)>;

// A stored date-time "YYYY-MM-DDTHH:MM:SS[.fff][Z|+HH:MM|-HH:MM]" at its own clock time.
struct StoredDateTime
{
    LocalDateTime local;
    std::string offsetText;           // as stored ("Z", "-05:00"); empty when it has none
    std::optional<int> offsetSeconds; // set whenever offsetText is
};

// Nothing when the text names no real day and time.
std::optional<StoredDateTime> ParseStoredDateTime(std::string_view text);
// "YYYY-MM-DD" (anything after it ignored) at 00:00; nothing when it names no real day.
std::optional<LocalDateTime> ParseStoredDate(std::string_view text);

std::string FormatDate(const LocalDateTime& day);      // "2026-12-10"
std::string FormatDateTime(const LocalDateTime& when); // "2026-12-10T09:00:00"
std::string FormatUtcOffset(int seconds);              // "+09:00", "-05:00"

// What the opener hands the event editor before it is shown.
struct EventEditorInput
{
    EventRecord event;
    std::vector<std::string> calendarNames;
    std::vector<ColorRef> calendarColours;
    std::vector<std::string> startTimeZones;
    std::vector<std::string> endTimeZones;
    int calendarIndex = -1;     // -1 lets the user choose
    LocalDateTime defaultStart; // the days the pickers start on; left as they are, today
    LocalDateTime defaultEnd;
    bool updateMode = false;
    bool allDayDefault = true;
    ColorRef calendarColour = 0;
};

// What the editor's controls show and the user changes.
struct EventEditorFields
{
    std::string summary;
    std::string description; // line breaks as the box holds them ("\r\n" or "\n")
    std::string location;
    bool allDay = true;
    LocalDateTime start; // the start date picker's day at the start time picker's time
    LocalDateTime end;
};

enum class EventSaveResult
{
    Saved,
    InvalidTimeAndDate,
};

// The event editor without its window: what it shows at start-up, what a calendar choice
// changes, and how the user's input is written back into the event.
class EventEditorModel
{
public:
    // Colour index 0 is the calendar's own colour; 1..11 are event colour ids.
    static constexpr int kColourCount = kEventColorCount + 1;
    // An event colour id outside 1..11: no swatch is checked.
    static constexpr int kOwnColourIndex = -1;
    // Where a timed event goes when no time zone says otherwise.
    static constexpr int kFallbackOffsetSeconds = 9 * 3600;

    explicit EventEditorModel(UtcOffsetLookup lookup = {}) : lookup_(std::move(lookup)) {}

    // `now` is where the pickers stand when nothing else places them.
    void Start(EventEditorInput input, const LocalDateTime& now);

    const EventEditorFields& initialFields() const { return fields_; }
    bool calendarChoosable() const { return calendarChoosable_; }
    int calendarIndex() const { return calendarIndex_; }
    ColorRef calendarColour() const { return calendarColour_; }
    int colourIndex() const { return colourIndex_; }
    const EventRecord& event() const { return input_.event; }

    // The user picked another calendar: its colour and time zones come with it.
    void SelectCalendar(int index);
    // Indexes outside 0..11 are ignored. Until one is picked, Save leaves the colour id alone.
    void SelectColour(int index);
    ColorRef SwatchColour(int index) const;

    // Validates first: a refused save leaves the event as it was.
    EventSaveResult Save(const EventEditorFields& fields);

private:
    struct Offset
    {
        std::string text;
        int seconds = 0;
    };
    // An existing event's time as it came: its clock reading and the offset written with it.
    struct StoredTime
    {
        LocalDateTime local;
        Offset offset;
    };
    Offset OffsetFor(bool start, const LocalDateTime& local) const;
    static const std::string* Entry(const std::vector<std::string>& list, int index);

    UtcOffsetLookup lookup_;
    EventEditorInput input_;
    EventEditorFields fields_;
    std::optional<StoredTime> storedStart_;
    std::optional<StoredTime> storedEnd_;
    bool calendarChoosable_ = false;
    int calendarIndex_ = -1;
    ColorRef calendarColour_ = 0;
    int colourIndex_ = 0;
    bool colourPicked_ = false;
};

} // namespace orb
