#include "service/event_client.h"

#include "core/clock.h"
#include "core/diagnostics.h"
#include "core/instant.h"
#include "service/calendar_api.h"
#include "service/http.h"
#include "service/listing.h"
#include "service/oauth.h"
#include "service/record_json.h"
#include "service/requests.h"
#include "service/text_codec.h"

#include <algorithm>
#include <climits>

namespace orb {

namespace {

constexpr const char* kRangeFormat = "%Y-%m-%dT00:00:00.000Z";
constexpr const char* kListQueryTail = "&orderBy=startTime&singleEvents=true";
// The largest page the service gives: a normal calendar is one request.
constexpr const char* kFullPageParameter = "&maxResults=2500";
constexpr const char* kEventCountLine = "Number of Event : ";
constexpr const char* kChangesLine = "Event changes : ";
constexpr const char* kTokenExpiredLine = "Event sync token expired, reading the window whole : ";
// With a sync token the service lists deleted events itself; the flag may only say so.
constexpr const char* kChangesQueryTail = "&showDeleted=true&singleEvents=true";
constexpr const char* kCancelledStatus = "cancelled";
constexpr int kStatusGone = 410;
constexpr long long kMillisPerSecond = 1000;
constexpr const char* kListFailLine = "Event List Fail : ";
constexpr const char* kSearchFailLine = "Event Search Fail : ";
constexpr const char* kMalformedEventLine = "Malformed event skipped : ";
// Keeps the date arithmetic far from overflow whatever the settings file holds.
constexpr int kMaxRangeDays = 1000000;

// Dates, times and zones are the editor's or the service's texts; escaping them is a
// no-op for every well-formed value and keeps an odd one from breaking the body.
std::string Quoted(const std::string& text)
{
    return "\"" + EncodeJsonBodyText(text) + "\"";
}

std::string InsertTime(const EventTime& time)
{
    if (!time.date.empty())
        return "\"date\":" + Quoted(time.date);
    if (time.dateTime.empty())
        return {};
    std::string out = "\"dateTime\":" + Quoted(time.dateTime);
    if (!time.timeZone.empty())
        out += ",\"timeZone\":" + Quoted(time.timeZone);
    return out;
}

// Names both members and nulls the unused one, so a timed event can become all-day.
std::string UpdateTime(const EventTime& time)
{
    if (!time.date.empty()) {
        std::string out = "\"date\":" + Quoted(time.date);
        if (!time.timeZone.empty())
            out += ",\"timeZone\":" + Quoted(time.timeZone);
        return out + ",\"dateTime\":null";
    }
    if (time.dateTime.empty())
        return {};
    return "\"date\":null," + InsertTime(time);
}

std::string CalendarName(const CalendarRecord& calendar)
{
    return calendar.summary + " (" + calendar.id + ")";
}

// Writes why a listing failed; `failLine` names what was being listed.
void ReportListingFailure(ServiceContext& context, const ListingResult& result, const std::string& failLine)
{
    switch (result.outcome) {
    case ListingOutcome::TransportFailed:
        ReportTransportFailure(context.diagnostics, result.transport);
        break;
    case ListingOutcome::Unreadable:
        WriteParseErrors(context.diagnostics, result.parseErrors);
        break;
    case ListingOutcome::Refused:
    case ListingOutcome::Complete:
        break;
    }
    context.diagnostics.WriteLine(failLine);
    if (result.outcome == ListingOutcome::Refused)
        context.diagnostics.WriteLine(result.answer);
}

// An insert or an update: both answer with the whole event.
EditResult SendEvent(ServiceContext& context, EventRecord& record, bool isNew, const std::string& calendarId)
{
    EnsureAccessToken(context);
    std::string answer;
    const TransportResult transport =
        isNew ? context.transport.HttpPost(CalendarApiUrl(context.config, EventsPath(calendarId)),
                                           InsertEventBody(record), answer, JsonRequestHeaders(context.session))
              : context.transport.HttpPatch(CalendarApiUrl(context.config, EventPath(calendarId, record.id)),
                                            UpdateEventBody(record), answer, JsonRequestHeaders(context.session));
    JsonAnswer root;
    EditResult result = ReadEditAnswer(context, transport, answer, root);
    if (!result.Applied())
        return result;
    EventRecord written;
    if (!ReadEvent(root.Root(), written))
        return UnreadableAnswer(context, answer);
    // The service's new tag, so that the next change names the version it changes.
    ReadEventEtag(root.Root(), written);
    record = std::move(written);
    return result;
}

// A listed event with the listing's extra steps; false (and a line) for one that is not an event.
bool ReadListedEvent(ServiceContext& context, const CalendarRecord& calendar, const JsonNode& item, EventRecord& event)
{
    if (!ReadEvent(item, event)) {
        context.diagnostics.WriteLine(kMalformedEventLine + CalendarName(calendar));
        return false;
    }
    ReadEventEtag(item, event);
    ApplyTimeZoneFallback(event, calendar.timeZone);
    return true;
}

// What changed since `token`, as the service lists it: every event of the calendar, in or out
// of the window; the window is applied here by the service's own rule (ends after its start,
// starts before its end), so an event moved out of it goes like a deleted one.
ListingResult ReadEventChanges(ServiceContext& context, const CalendarRecord& calendar, const EventListRange& window,
                               const std::string& token, EventListing& listing)
{
    // In whole seconds, a fraction cut, as the service reads the window.
    const auto seconds = [](std::optional<long long> millis, long long otherwise) {
        return millis ? *millis / kMillisPerSecond - (*millis % kMillisPerSecond < 0 ? 1 : 0) : otherwise;
    };
    const long long windowStart = seconds(InstantMillis(window.timeMin), LLONG_MIN);
    const long long windowEnd = seconds(InstantMillis(window.timeMax), LLONG_MAX);
    const std::string query = "?syncToken=" + EncodeQueryValue(token) + kChangesQueryTail +
                              (context.config.fullPages ? kFullPageParameter : "");
    return FetchListing(context, CalendarApiUrl(context.config, EventsPath(calendar.id) + query), kEventListingFields,
                        [&](const JsonNode& item) {
                            const std::string id = MemberText(item, "id");
                            if (MemberText(item, "status") == kCancelledStatus) {
                                if (!id.empty())
                                    listing.changes.deletions.push_back(id);
                                return;
                            }
                            EventRecord event;
                            if (!ReadListedEvent(context, calendar, item, event))
                                return;
                            const long long start = seconds(EventTimeMillis(event.start), 0);
                            const long long end = seconds(EventTimeMillis(event.end), start);
                            if (end <= windowStart || start >= windowEnd)
                                listing.changes.deletions.push_back(event.id);
                            else
                                listing.changes.upserts.push_back(std::move(event));
                        });
}

} // namespace

EventListRange MakeEventListRange(const Clock& clock, int nCal_from, int nCal_to)
{
    const LocalDateTime now = clock.Now();
    const int before = std::clamp(nCal_from, -kMaxRangeDays, kMaxRangeDays);
    const int after = std::clamp(nCal_to, -kMaxRangeDays, kMaxRangeDays);
    return {FormatLocal(AddDays(now, -before), kRangeFormat), FormatLocal(AddDays(now, after), kRangeFormat)};
}

std::string InsertEventBody(const EventRecord& record)
{
    std::string body = "{";
    body += "\"kind\": \"calendar#event\",";
    body += "\"status\": " + Quoted(record.status) + ",";
    body += "\"summary\": " + Quoted(record.summary) + ",";
    body += "\"description\": " + Quoted(record.description) + ",";
    body += "\"location\": " + Quoted(record.location) + ",";
    if (!record.colorId.empty())
        body += "\"colorId\": " + Quoted(record.colorId) + ",";
    body += "\"start\":{" + InsertTime(record.start) + "},";
    body += "\"end\":{" + InsertTime(record.end) + "}";
    body += "}";
    return body;
}

std::string UpdateEventBody(const EventRecord& record)
{
    std::string body = "{";
    body += "\"start\":{" + UpdateTime(record.start) + "},";
    body += "\"end\":{" + UpdateTime(record.end) + "},";
    body += "\"kind\":\"calendar#event\",";
    if (!record.etag.empty())                        // a search result has none, and an empty tag names no version
        body += "\"etag\":\"" + record.etag + "\","; // stored escaped
    body += "\"status\":" + Quoted(record.status) + ",";
    body += "\"summary\":" + Quoted(record.summary) + ",";
    body += "\"description\":" + Quoted(record.description) + ",";
    // A colour id the program does not know came from the service: left out, the service keeps it.
    if (record.colorId.empty())
        body += "\"colorId\":null,";
    else if (!EventColorText(record.colorId).empty())
        body += "\"colorId\":" + Quoted(record.colorId) + ",";
    body += "\"location\":" + Quoted(record.location);
    body += "}";
    return body;
}

EventListing ListEventChanges(ServiceContext& context, const CalendarRecord& calendar, const EventListRange& window,
                              const SyncState& since)
{
    EventListing listing;
    listing.state.timeMin = window.timeMin;
    listing.state.timeMax = window.timeMax;
    const bool sameWindow = since.timeMin == window.timeMin && since.timeMax == window.timeMax;
    if (!since.syncToken.empty() && sameWindow) {
        const ListingResult result = ReadEventChanges(context, calendar, window, since.syncToken, listing);
        if (result.outcome == ListingOutcome::Complete) {
            listing.complete = true;
            listing.state.syncToken = result.nextSyncToken;
            context.diagnostics.WriteLine(kChangesLine + CalendarName(calendar) + " : " +
                                          std::to_string(listing.changes.upserts.size()) + " changed, " +
                                          std::to_string(listing.changes.deletions.size()) + " removed");
            return listing;
        }
        if (result.outcome != ListingOutcome::Refused || result.transport.status != kStatusGone) {
            ReportListingFailure(context, result, kListFailLine + CalendarName(calendar));
            listing.failure = DescribeListingFailure(result);
            return listing;
        }
        // The service dropped the history behind the token: only a whole read is right now.
        context.diagnostics.WriteLine(kTokenExpiredLine + CalendarName(calendar));
        listing.changes = {};
    }

    listing.whole = true;
    // The service orders them by start; kept as they come.
    const std::string query = "?timeMin=" + window.timeMin + "&timeMax=" + window.timeMax + kListQueryTail +
                              (context.config.fullPages ? kFullPageParameter : "");
    const ListingResult result = FetchListing(context, CalendarApiUrl(context.config, EventsPath(calendar.id) + query),
                                              kEventListingFields, [&](const JsonNode& item) {
                                                  EventRecord event;
                                                  if (!ReadListedEvent(context, calendar, item, event))
                                                      return;
                                                  listing.changes.upserts.push_back(std::move(event));
                                              });
    if (result.outcome != ListingOutcome::Complete) {
        ReportListingFailure(context, result, kListFailLine + CalendarName(calendar));
        listing.failure = DescribeListingFailure(result);
        return listing;
    }
    listing.complete = true;
    listing.state.syncToken = result.nextSyncToken;
    context.diagnostics.WriteLine(kEventCountLine + std::to_string(listing.changes.upserts.size()));
    return listing;
}

bool SearchEvents(ServiceContext& context, const std::string& calendarId, const std::string& text,
                  std::vector<EventRecord>& results, std::string* failure)
{
    EnsureAccessToken(context);
    // A query value, not JSON: a search for a quote is a search for a quote.
    const std::string url = CalendarApiUrl(context.config, EventsPath(calendarId) + "?q=" + EncodeQueryValue(text));
    const ListingResult result = FetchListing(context, url, kEventListingFields, [&](const JsonNode& item) {
        EventRecord event;
        if (ReadEvent(item, event))
            results.push_back(std::move(event));
        else
            context.diagnostics.WriteLine(kMalformedEventLine + calendarId);
    });
    if (result.outcome == ListingOutcome::Complete)
        return true;
    ReportListingFailure(context, result, kSearchFailLine + calendarId);
    if (failure)
        *failure = DescribeListingFailure(result).text;
    return false;
}

EditResult InsertEvent(ServiceContext& context, EventRecord& record, const std::string& calendarId)
{
    return SendEvent(context, record, true, calendarId);
}

EditResult UpdateEvent(ServiceContext& context, EventRecord& record, const std::string& calendarId)
{
    return SendEvent(context, record, false, calendarId);
}

EditResult DeleteEvent(ServiceContext& context, const std::string& calendarId, const std::string& eventId)
{
    EnsureAccessToken(context);
    std::string answer;
    const TransportResult transport =
        context.transport.HttpDelete(CalendarApiUrl(context.config, EventPath(calendarId, eventId)), "", answer,
                                     context.session.AuthorizationLine());
    return ReadDeletionAnswer(context, transport, answer);
}

} // namespace orb
