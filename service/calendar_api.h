#pragma once

#include "service/service_context.h"

#include <string>

namespace orb {

// Addresses of the Calendar API. Every id that enters an address is one whole path
// segment (EncodePathSegment): real ids hold "@", "+" and "#" (Google's holiday
// calendars), and an id of ".." must not turn an event's address into its calendar's.

// The API base + "/calendar/v3" + `rest`.
std::string CalendarApiUrl(const ServiceConfig& config, const std::string& rest);
std::string CalendarPath(const std::string& calendarId);
std::string CalendarListEntryPath(const std::string& calendarId);
std::string EventsPath(const std::string& calendarId);
std::string EventPath(const std::string& calendarId, const std::string& eventId);

} // namespace orb
