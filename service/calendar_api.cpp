#include "service/calendar_api.h"

#include "service/text_codec.h"

namespace orb {

namespace {

constexpr const char* kCalendarApiRoot = "/calendar/v3";
constexpr const char* kCalendarsSegment = "/calendars/";
constexpr const char* kCalendarListSegment = "/users/me/calendarList/";
constexpr const char* kEventsSegment = "/events";

} // namespace

std::string CalendarApiUrl(const ServiceConfig& config, const std::string& rest)
{
    return config.apiBase + kCalendarApiRoot + rest;
}

std::string CalendarPath(const std::string& calendarId)
{
    return kCalendarsSegment + EncodePathSegment(calendarId);
}

std::string CalendarListEntryPath(const std::string& calendarId)
{
    return kCalendarListSegment + EncodePathSegment(calendarId);
}

std::string EventsPath(const std::string& calendarId)
{
    return CalendarPath(calendarId) + kEventsSegment;
}

std::string EventPath(const std::string& calendarId, const std::string& eventId)
{
    return EventsPath(calendarId) + "/" + EncodePathSegment(eventId);
}

} // namespace orb
