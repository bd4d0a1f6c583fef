#pragma once

#include "service/records.h"
#include "service/service_context.h"

#include <functional>
#include <string>
#include <vector>

namespace orb {

// Events of the user's calendars. Blocking calls on the caller's thread. `calendars` is
// the local store's sequence: the caller holds the store's lock for the whole call.
// Refusals by the service are shown through the prompter; failed exchanges become one
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

// Called once per calendar, in order, when it is complete (unselected ones too); the
// callee may move the record away.
using CalendarDone = std::function<void(CalendarRecord&)>;

// Appends the events from `nCal_from` days before today to `nCal_to` days after it to
// every calendar whose `selected` is "true", in the service's start order. A calendar
// that cannot be read gets a diagnostic line naming it and the pass goes on. Always true.
bool ListEvents(ServiceContext& context, std::vector<CalendarRecord>& calendars, int nCal_from, int nCal_to,
                const CalendarDone& onCalendarDone = {});

// Appends the events of one calendar that match `text` to `results`. False when the
// search did not complete; `failure` then says why in plain words (matches of pages read
// before stay appended).
bool SearchEvents(ServiceContext& context, const std::string& calendarId, const std::string& text,
                  std::vector<EventRecord>& results, std::string* failure = nullptr);

// Creates `record` in the calendar and fills it from the answer (an `id` appears only on
// success); a copy joins the matching calendar's events, re-sorted. False only when the
// exchange failed.
bool InsertEvent(ServiceContext& context, EventRecord& record, std::vector<CalendarRecord>& calendars,
                 const std::string& calendarId);

// Sends `record` and refreshes it from the answer (its etag stays), then re-sorts the
// matching calendar's events. Pass the store's own element for the store to show the
// change; after the re-sort that reference may name another event. False only when the
// exchange failed.
bool UpdateEvent(ServiceContext& context, EventRecord& record, std::vector<CalendarRecord>& calendars,
                 const std::string& calendarId);

// Deletes the event; only a completed exchange answered with a 2xx status and an empty
// body counts, and only then does every event with that id leave the matching calendar.
bool DeleteEvent(ServiceContext& context, std::vector<CalendarRecord>& calendars, const std::string& calendarId,
                 const std::string& eventId);

// The request bodies, in the field order and spacing the service has always been sent.
std::string InsertEventBody(const EventRecord& record);
std::string UpdateEventBody(const EventRecord& record);

} // namespace orb
