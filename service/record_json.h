#pragma once

#include "service/records.h"

#include <string>

namespace Json {
class Value;
}

namespace orb {

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

// False, with jsoncpp's formatted messages in `errors`, when the text is not JSON or nests
// deeper than kJsonDepthLimit. Never throws, however deep or broken the text.
bool ParseJsonAnswer(const std::string& text, Json::Value& root, std::string& errors);

// A non-empty "error" object or array is the service refusing. A string "error" is not.
bool HasErrorDocument(const Json::Value& root);

// A scalar member as text: strings as they are (broken UTF-8 mended), booleans as
// "true"/"false", numbers in decimal; absent, null, objects and arrays give empty.
std::string MemberText(const Json::Value& object, const char* name);

// The steps every event reader shares: plain fields, colour, creator, start and end. An
// element that is not an event (not an object, no "id", no "start" object, a member of
// the wrong type) gives false and leaves `event` untouched. Without a colour id,
// `colorText` stays as it was.
bool ReadEvent(const Json::Value& item, EventRecord& event);

// The listing's extra step: the etag, JSON-escaped so it can be sent back as it is.
void ReadEventEtag(const Json::Value& item, EventRecord& event);

// Replaces the calendar-list fields; `tag` and `events` stay. False (calendar untouched)
// for an entry that is not a calendar.
bool ReadCalendar(const Json::Value& entry, CalendarRecord& calendar);

} // namespace orb
