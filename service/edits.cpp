#include "service/edits.h"

#include "core/diagnostics.h"
#include "service/calendar_api.h"
#include "service/event_client.h"
#include "service/http.h"
#include "service/oauth.h"
#include "service/record_json.h"
#include "service/requests.h"
#include "service/text_codec.h"

#include <json/json.h>

namespace orb {

namespace {

constexpr const char* kNotSentPrefix = "The change was not sent: ";
constexpr const char* kMaybeAppliedPrefix = "The change may or may not have been applied: ";
constexpr const char* kNextLoadShowsSuffix = ". The next load (F5) shows what the service holds.";
constexpr const char* kHttpStatusPrefix = "HTTP ";
constexpr int kStatusNotFound = 404;
constexpr int kStatusGone = 410;
constexpr const char* kAlreadyGoneLine = "Delete: already gone on the service, HTTP ";
// The service keeps explicit colours only when told they are RGB texts.
constexpr const char* kColourQuery = "?colorRgbFormat=true";

EditResult SendEvent(ServiceContext& context, EventRecord& record, bool isNew, const std::string& calendarId)
{
    EnsureAccessToken(context);
    std::string answer;
    const TransportResult transport =
        isNew ? context.transport.HttpPost(CalendarApiUrl(context.config, EventsPath(calendarId)),
                                           InsertEventBody(record), answer, JsonRequestHeaders(context.session))
              : context.transport.HttpPatch(CalendarApiUrl(context.config, EventPath(calendarId, record.id)),
                                            UpdateEventBody(record), answer, JsonRequestHeaders(context.session));
    Json::Value root;
    EditResult result = ReadEditAnswer(context, transport, answer, root);
    if (!result.Applied())
        return result;
    EventRecord written;
    if (!ReadEvent(root, written))
        return UnreadableAnswer(context, answer);
    // The service's new tag, so that the next change names the version it changes.
    ReadEventEtag(root, written);
    record = std::move(written);
    return result;
}

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

EditResult EditNotSent(ServiceContext& context, const TransportResult& transport)
{
    ReportTransportFailure(context.diagnostics, transport);
    if (NothingWasSent(transport))
        return {EditOutcome::Failed, kNotSentPrefix + TransportFailureText(transport)};
    // Lost after it left: the service may well have made the change.
    return {EditOutcome::Failed, kMaybeAppliedPrefix + TransportFailureText(transport) + kNextLoadShowsSuffix};
}

EditResult ReadEditAnswer(ServiceContext& context, const TransportResult& transport, const std::string& answer,
                          Json::Value& root)
{
    if (!transport.Completed())
        return EditNotSent(context, transport);
    std::string errors;
    if (ParseJsonAnswer(answer, root, errors) && root.isObject() && !MemberText(root, "id").empty() &&
        IsSuccessStatus(transport.status))
        return {};
    if (!errors.empty())
        WriteParseErrors(context.diagnostics, errors);
    if (!IsSuccessStatus(transport.status))
        return {EditOutcome::Refused, RefusalMessage(answer, transport.status)};
    // A success status with an answer we cannot read: the change may well have been made.
    return UnreadableAnswer(context, answer);
}

EditResult ReadDeletionAnswer(ServiceContext& context, const TransportResult& transport, const std::string& answer)
{
    if (!transport.Completed())
        return EditNotSent(context, transport);
    // Deleted elsewhere, or by a first try whose answer was lost: what the user asked for holds.
    if (transport.status == kStatusNotFound || transport.status == kStatusGone) {
        context.diagnostics.WriteLine(kAlreadyGoneLine + std::to_string(transport.status));
        return {};
    }
    if (!IsSuccessStatus(transport.status))
        return {EditOutcome::Refused, RefusalMessage(answer, transport.status)};
    return {};
}

EditResult UnreadableAnswer(ServiceContext& context, const std::string& answer)
{
    context.diagnostics.WriteLine(answer);
    return {EditOutcome::Refused, kUnreadableAnswer};
}

std::string RefusalMessage(const std::string& answer, int status)
{
    Json::Value root;
    std::string errors;
    if (ParseJsonAnswer(answer, root, errors) && root.isObject()) {
        const Json::Value& error = root["error"];
        if (error.isObject() && !MemberText(error, "message").empty())
            return DecodeUtf8Text(MemberText(error, "message"));
        if (!MemberText(root, "error").empty())
            return DecodeUtf8Text(MemberText(root, "error"));
    }
    return kHttpStatusPrefix + std::to_string(status);
}

EditResult SendNewEvent(ServiceContext& context, EventRecord& record, const std::string& calendarId)
{
    return SendEvent(context, record, true, calendarId);
}

EditResult SendEventChange(ServiceContext& context, EventRecord& record, const std::string& calendarId)
{
    return SendEvent(context, record, false, calendarId);
}

EditResult SendEventDeletion(ServiceContext& context, const std::string& calendarId, const std::string& eventId)
{
    EnsureAccessToken(context);
    std::string answer;
    const TransportResult transport =
        context.transport.HttpDelete(CalendarApiUrl(context.config, EventPath(calendarId, eventId)), "", answer,
                                     context.session.AuthorizationLine());
    return ReadDeletionAnswer(context, transport, answer);
}

EditResult SendCalendarChange(ServiceContext& context, CalendarRecord& record, const std::string& calendarId,
                              CalendarColourChange colours)
{
    EnsureAccessToken(context);
    const std::string headers = JsonRequestHeaders(context.session);
    std::string answer;
    Json::Value root;
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
    if (!ReadCalendar(root, record))
        return UnreadableAnswer(context, answer);
    return result;
}

} // namespace orb
