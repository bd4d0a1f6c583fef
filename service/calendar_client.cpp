#include "service/calendar_client.h"

#include "core/diagnostics.h"
#include "core/prompter.h"
#include "service/calendar_api.h"
#include "service/listing.h"
#include "service/oauth.h"
#include "service/record_json.h"
#include "service/requests.h"

#include <json/json.h>

namespace orb {

namespace {

constexpr const char* kCalendarListPath = "/users/me/calendarList";
constexpr const char* kMalformedCalendarLine = "Malformed calendar skipped";

} // namespace

bool ListCalendars(ServiceContext& context, std::vector<CalendarRecord>& calendars, std::string* failure)
{
    EnsureAccessToken(context);

    // Collected first, so that a failing later page leaves the store as it was.
    std::vector<CalendarRecord> listed;
    const ListingResult result =
        FetchListing(context, CalendarApiUrl(context.config, kCalendarListPath), [&](const Json::Value& entry) {
            CalendarRecord calendar;
            if (ReadCalendar(entry, calendar))
                listed.push_back(std::move(calendar));
            else
                context.diagnostics.WriteLine(kMalformedCalendarLine);
        });

    if (result.outcome != ListingOutcome::Complete && failure)
        *failure = ListingFailureText(result);
    switch (result.outcome) {
    case ListingOutcome::TransportFailed:
        ReportTransportFailure(context.diagnostics, result.transport);
        return false;
    case ListingOutcome::Unreadable:
    case ListingOutcome::Refused:
        context.prompter.ShowMessage(result.answer);
        return false;
    case ListingOutcome::Complete:
        break;
    }
    calendars.insert(calendars.end(), std::make_move_iterator(listed.begin()), std::make_move_iterator(listed.end()));
    return true;
}

} // namespace orb
