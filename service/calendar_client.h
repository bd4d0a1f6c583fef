#pragma once

#include "service/records.h"
#include "service/service_context.h"

#include <string>
#include <vector>

namespace orb {

// The user's calendar list. Blocking calls on the caller's thread; when `calendars` is the
// local store's sequence, the caller holds the store's lock for the whole call.

// Reads every page of the calendar list and appends its entries to `calendars` (existing
// ones are kept, not compared). False, with nothing appended, when the service refused
// (the raw answer is shown), the answer was unreadable, or the exchange failed; `failure`
// then says why in plain words.
bool ListCalendars(ServiceContext& context, std::vector<CalendarRecord>& calendars, std::string* failure = nullptr);

// Sends the title, description and colour id of `record` to the calendar and then to the
// user's calendar-list entry, and refreshes the record's calendar-list fields from the
// second answer (its events stay). Refusals are shown; false only when the last exchange
// failed in transport.
bool UpdateCalendar(ServiceContext& context, CalendarRecord& record, const std::string& calendarId);

// The PATCH body both requests carry.
std::string CalendarBody(const CalendarRecord& record);

} // namespace orb
