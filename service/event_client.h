#pragma once

#include "service/edit_result.h"
#include "service/listing.h"
#include "service/records.h"
#include "service/service_context.h"
#include "service/sync_state.h"

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

using EventListing = ChangeListing<EventChanges>;

// Reads the events of `calendar` in `window`: only what changed since `since` when it holds
// a sync token for this same window, else the whole window. A changed event that left the
// window counts as deleted, and so does a cancelled one. A token the service no longer
// honours (410) is dropped and the window read whole. A whole read gets a diagnostic line
// with its event count, a failure one naming the calendar. The caller has checked the
// access token; nothing shared is touched, so calendars can be read side by side.
EventListing ListEventChanges(ServiceContext& context, const CalendarRecord& calendar, const EventListRange& window,
                              const SyncState& since);

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
