#pragma once

#include "service/records.h"

#include <memory>
#include <optional>
#include <string>

namespace simdjson::dom {
class element;
}

namespace orb {

// A value inside a parsed answer, valid as long as the JsonAnswer it came from.
using JsonNode = simdjson::dom::element;

// What listings ask the service for: every member the readers below and the paging read,
// and nothing else. A member read but not named here would silently read as absent.
// Small objects come whole (a time, a person, the reminders); an attendee only as far as
// the user's own answer.
constexpr const char* kEventListingFields =
    "items(id,etag,kind,status,summary,description,location,colorId,created,updated,creator,start,end,reminders,"
    "attendees(self,responseStatus)),nextPageToken,nextSyncToken";
constexpr const char* kCalendarListingFields =
    "items(id,kind,summary,description,timeZone,colorId,backgroundColor,foregroundColor,accessRole,selected,primary,"
    "defaultReminders),nextPageToken,nextSyncToken";

// No answer of the services nests anywhere near this deep; deeper documents are refused.
constexpr int kJsonDepthLimit = 64;

// One answer of the service, parsed whole into one flat buffer: a page of thousands of
// events is read without a tree of allocated values.
class JsonAnswer
{
public:
    JsonAnswer();
    ~JsonAnswer();
    JsonAnswer(const JsonAnswer&) = delete;
    JsonAnswer& operator=(const JsonAnswer&) = delete;

    // False, with the reason in `errors`, when the text is not JSON or nests deeper than
    // kJsonDepthLimit. Broken UTF-8 is mended (U+FFFD), not refused. A new parse ends
    // every node of the one before.
    bool Parse(const std::string& text, std::string& errors);
    const JsonNode& Root() const;

private:
    struct Parsed;
    std::unique_ptr<Parsed> parsed_;
};

bool IsObject(const JsonNode& node);

// The member `name` of an object (the last one, when a broken answer repeats it); none for
// a non-object or an absent member.
std::optional<JsonNode> Member(const JsonNode& object, const char* name);

// A non-empty "error" object or array is the service refusing. A string "error" is not.
bool HasErrorDocument(const JsonNode& root);

// A scalar member as text: strings as they are (broken UTF-8 mended), booleans as
// "true"/"false", numbers in decimal; absent, null, objects and arrays give empty.
std::string MemberText(const JsonNode& object, const char* name);
// The node written back as compact JSON, for a diagnostics line.
std::string JsonText(const JsonNode& node);
// A member that is the boolean true.
bool MemberIsTrue(const JsonNode& object, const char* name);
// A member that is a whole number.
std::optional<long long> MemberInteger(const JsonNode& object, const char* name);

// The steps every event reader shares: plain fields, colour, creator, start and end. An
// element that is not an event (not an object, no "id", no "start" object, a member of
// the wrong type) gives false and leaves `event` untouched. Without a colour id,
// `colorText` stays as it was.
bool ReadEvent(const JsonNode& item, EventRecord& event);

// The listing's extra step: the etag, JSON-escaped so it can be sent back as it is.
void ReadEventEtag(const JsonNode& item, EventRecord& event);

// Replaces the calendar-list fields; `tag` and `events` stay. False (calendar untouched)
// for an entry that is not a calendar.
bool ReadCalendar(const JsonNode& entry, CalendarRecord& calendar);

} // namespace orb
