#pragma once

#include "service/edit_result.h"
#include "service/listing.h"
#include "service/records.h"
#include "service/service_context.h"

#include <string>
#include <vector>

namespace orb {

// The user's calendar list and the change of one calendar. Blocking calls on the caller's
// thread, each checking the access token first; they work on the caller's records, never
// on the store.

// Reads every page of the calendar list and appends its entries to `calendars` (existing
// ones are kept, not compared). False, with nothing appended, when the service refused
// (the raw answer is shown), the answer was unreadable, or the exchange failed; `failure`
// then says why.
bool ListCalendars(ServiceContext& context, std::vector<CalendarRecord>& calendars, ListingFailure* failure = nullptr);

// Which colours of the user's calendar-list entry the user chose; only those are sent.
struct CalendarColourChange
{
    bool background = false;
    bool foreground = false;
    bool colorId = false; // a palette colour
};

// For an owner (`record.accessRole`), sends title and description to the calendar; then,
// for an owner only when that was applied, the chosen colours to the user's calendar-list
// entry. Anyone else has the entry alone to change. On Applied `record`'s list fields are
// the service's (its events stay).
EditResult UpdateCalendar(ServiceContext& context, CalendarRecord& record, const std::string& calendarId,
                          CalendarColourChange colours = {});

} // namespace orb
