#include "service/calendar_client.h"

#include "core/diagnostics.h"
#include "core/prompter.h"
#include "service/calendar_api.h"
#include "service/http.h"
#include "service/listing.h"
#include "service/oauth.h"
#include "service/record_json.h"
#include "service/requests.h"
#include "service/text_codec.h"

namespace orb {

namespace {

constexpr const char* kCalendarListPath = "/users/me/calendarList";
constexpr const char* kMalformedCalendarLine = "Malformed calendar skipped";
// The service keeps explicit colours only when told they are RGB texts.
constexpr const char* kColourQuery = "?colorRgbFormat=true";

// The calendar's own title and description; the colours are the user's, on the list entry.
std::string CalendarBody(const CalendarRecord& record)
{
    return "{\"summary\":\"" + EncodeJsonBodyText(record.summary) + "\",\"description\":\"" +
           EncodeJsonBodyText(record.description) + "\"}";
}

// Only what the user chose; an empty body still answers with the refreshed entry.
std::string CalendarListBody(const CalendarRecord& record, CalendarColourChange colours)
{
    std::string members;
    const auto add = [&members](const char* name, const std::string& value) {
        members += (members.empty() ? "\"" : ",\"") + std::string(name) + "\":\"" + EncodeJsonBodyText(value) + "\"";
    };
    if (colours.colorId && !record.colorId.empty())
        add("colorId", record.colorId);
    if (colours.background)
        add("backgroundColor", record.backgroundColor);
    if (colours.foreground)
        add("foregroundColor", record.foregroundColor);
    return "{" + members + "}";
}

} // namespace

bool ListCalendars(ServiceContext& context, std::vector<CalendarRecord>& calendars, ListingFailure* failure)
{
    EnsureAccessToken(context);

    // Collected first, so that a failing later page leaves the store as it was.
    std::vector<CalendarRecord> listed;
    const ListingResult result = FetchListing(context, CalendarApiUrl(context.config, kCalendarListPath),
                                              kCalendarListingFields, [&](const JsonNode& entry) {
                                                  CalendarRecord calendar;
                                                  if (ReadCalendar(entry, calendar))
                                                      listed.push_back(std::move(calendar));
                                                  else
                                                      context.diagnostics.WriteLine(kMalformedCalendarLine);
                                              });

    if (result.outcome != ListingOutcome::Complete && failure)
        *failure = DescribeListingFailure(result);
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

EditResult UpdateCalendar(ServiceContext& context, CalendarRecord& record, const std::string& calendarId,
                          CalendarColourChange colours)
{
    EnsureAccessToken(context);
    const std::string headers = JsonRequestHeaders(context.session);
    std::string answer;
    JsonAnswer root;
    EditResult result;
    TransportResult transport;
    // Only an owner may change the calendar itself; anyone may recolour their own entry.
    if (OwnsCalendar(record)) {
        transport = context.transport.HttpPatch(CalendarApiUrl(context.config, CalendarPath(calendarId)),
                                                CalendarBody(record), answer, headers);
        result = ReadEditAnswer(context, transport, answer, root);
        if (!result.Applied())
            return result;
    }

    std::string path = CalendarListEntryPath(calendarId);
    if (colours.background || colours.foreground)
        path += kColourQuery;
    answer.clear();
    transport = context.transport.HttpPatch(CalendarApiUrl(context.config, path), CalendarListBody(record, colours),
                                            answer, headers);
    result = ReadEditAnswer(context, transport, answer, root);
    if (!result.Applied())
        return result;
    if (!ReadCalendar(root.Root(), record))
        return UnreadableAnswer(context, answer);
    return result;
}

} // namespace orb
