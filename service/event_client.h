#pragma once

#include "service/records.h"
#include "service/service_context.h"

#include <functional>
#include <string>
#include <vector>

namespace orb {

// Reading the events of the user's calendars (changes go through service/edits.h). Blocking
// calls on the caller's thread. `calendars` is the local store's sequence: the caller holds
// the store's lock for the whole call. Failed exchanges become one diagnostic line.

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

// The request bodies, in the field order and spacing the service has always been sent.
std::string InsertEventBody(const EventRecord& record);
std::string UpdateEventBody(const EventRecord& record);

} // namespace orb
