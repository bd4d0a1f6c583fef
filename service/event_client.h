#pragma once

#include "service/edit_result.h"
#include "service/records.h"
#include "service/service_context.h"

#include <string>
#include <vector>

namespace orb {

// The events of the user's calendars: listing, search and the three edits. Blocking calls
// on the caller's thread, each checking the access token first except where said; they
// work on the caller's records, never on the store. Failed exchanges become one
// diagnostic line.

// The listing window as the service takes it: local dates at midnight with a "Z" suffix
// (no conversion to UTC, as the service has always been asked).
struct EventListRange
{
    std::string timeMin;
    std::string timeMax;
};
EventListRange MakeEventListRange(const Clock& clock, int nCal_from, int nCal_to);

// The query of an event listing over `range`, full pages when the configuration asks for them.
std::string EventListQuery(const ServiceConfig& config, const EventListRange& range);

// Appends the events of `query` to `calendar` when it is selected; a failure gets a
// diagnostic line naming it, a success the event count. The caller has checked the access
// token. Touches no other calendar, so calendars can be read side by side. False when the
// listing failed, with `failure` saying why in plain words.
bool ListCalendarEvents(ServiceContext& context, CalendarRecord& calendar, const std::string& query,
                        std::string* failure = nullptr);

// Appends the events of one calendar that match `text` to `results`. False when the
// search did not complete; `failure` then says why in plain words (matches of pages read
// before stay appended).
bool SearchEvents(ServiceContext& context, const std::string& calendarId, const std::string& text,
                  std::vector<EventRecord>& results, std::string* failure = nullptr);

// Creates `record` in the calendar; on Applied `record` is the service's event.
EditResult InsertEvent(ServiceContext& context, EventRecord& record, const std::string& calendarId);
// Sends the changed `record` to the event with its id; on Applied it is the service's event.
EditResult UpdateEvent(ServiceContext& context, EventRecord& record, const std::string& calendarId);
EditResult DeleteEvent(ServiceContext& context, const std::string& calendarId, const std::string& eventId);

// The request bodies, in the field order and spacing the service has always been sent.
std::string InsertEventBody(const EventRecord& record);
std::string UpdateEventBody(const EventRecord& record);

} // namespace orb
