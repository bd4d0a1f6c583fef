#include "service/calendar_client.h"

#include "core/diagnostics.h"
#include "core/prompter.h"
#include "service/calendar_api.h"
#include "service/listing.h"
#include "service/oauth.h"
#include "service/record_json.h"
#include "service/requests.h"
#include "service/text_codec.h"

#include <json/json.h>

namespace orb {

namespace {

constexpr const char* kCalendarListPath = "/users/me/calendarList";
constexpr const char* kMalformedCalendarLine = "Malformed calendar skipped";
constexpr const char* kMalformedCalendarAnswerLine = "Malformed calendar answer ignored";

} // namespace

std::string CalendarBody(const CalendarRecord& record)
{
    // Field order and spacing are fixed; the colour id is escaped too so that a stray
    // quote cannot break the body.
    return std::string("{") + "\"summary\":\"" + EncodeJsonBodyText(record.summary) + "\"," + "\"description\":\"" +
           EncodeJsonBodyText(record.description) + "\"," + "\"colorId\":\"" + EncodeJsonBodyText(record.colorId) +
           "\"" + "}";
}

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

bool UpdateCalendar(ServiceContext& context, CalendarRecord& record, const std::string& calendarId)
{
    EnsureAccessToken(context);

    // The id may be the record's own, which step two replaces.
    const std::string id = calendarId;
    const std::string body = CalendarBody(record);
    const std::string headers = JsonRequestHeaders(context.session);

    std::string answer;
    TransportResult result =
        context.transport.HttpPatch(CalendarApiUrl(context.config, CalendarPath(id)), body, answer, headers);
    Json::Value root;
    std::string errors;
    // A failed exchange has nothing to show; it is reported below.
    if (result.Completed()) {
        if (!ParseJsonAnswer(answer, root, errors)) {
            WriteParseErrors(context.diagnostics, errors);
        } else if (MemberText(root, "id").empty()) {
            context.prompter.ShowMessage(answer);
        } else {
            answer.clear();
            result = context.transport.HttpPatch(CalendarApiUrl(context.config, CalendarListEntryPath(id)), body,
                                                 answer, headers);
            if (result.Completed()) {
                ParseJsonAnswer(answer, root, errors);
                if (MemberText(root, "id").empty())
                    context.prompter.ShowMessage(answer);
                else if (!ReadCalendar(root, record))
                    context.diagnostics.WriteLine(kMalformedCalendarAnswerLine);
            }
        }
    }

    if (!result.Completed()) {
        ReportTransportFailure(context.diagnostics, result);
        return false;
    }
    return true;
}

} // namespace orb
