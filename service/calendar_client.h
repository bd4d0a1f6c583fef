#pragma once

#include "service/records.h"
#include "service/service_context.h"

#include <string>
#include <vector>

namespace orb {

// The user's calendar list (changes go through service/edits.h). A blocking call on the
// caller's thread; when `calendars` is the local store's sequence, the caller holds the
// store's lock for the whole call.

// Reads every page of the calendar list and appends its entries to `calendars` (existing
// ones are kept, not compared). False, with nothing appended, when the service refused
// (the raw answer is shown), the answer was unreadable, or the exchange failed; `failure`
// then says why in plain words.
bool ListCalendars(ServiceContext& context, std::vector<CalendarRecord>& calendars, std::string* failure = nullptr);

} // namespace orb
