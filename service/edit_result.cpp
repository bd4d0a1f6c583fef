#include "service/edit_result.h"

#include "core/diagnostics.h"
#include "core/ui_text.h"
#include "service/http.h"
#include "service/record_json.h"
#include "service/requests.h"
#include "service/text_codec.h"

#include <simdjson.h>

namespace orb {

namespace {

constexpr const char* kNotSentPrefix = ORB_TEXT("OrbCalender", "The change was not sent: ");
constexpr const char* kMaybeAppliedPrefix = ORB_TEXT("OrbCalender", "The change may or may not have been applied: ");
constexpr const char* kNextLoadShowsSuffix =
    ORB_TEXT("OrbCalender", ". The next load (F5) shows what the service holds.");
constexpr const char* kHttpStatusPrefix = "HTTP ";
constexpr int kStatusNotFound = 404;
constexpr int kStatusGone = 410;
constexpr const char* kAlreadyGoneLine = "Delete: already gone on the service, HTTP ";

EditResult EditNotSent(ServiceContext& context, const TransportResult& transport)
{
    ReportTransportFailure(context.diagnostics, transport);
    if (NothingWasSent(transport))
        return {EditOutcome::Failed, Translated(kNotSentPrefix) + TransportFailureText(transport)};
    // Lost after it left: the service may well have made the change.
    return {EditOutcome::Failed,
            Translated(kMaybeAppliedPrefix) + TransportFailureText(transport) + Translated(kNextLoadShowsSuffix)};
}

} // namespace

EditResult ReadEditAnswer(ServiceContext& context, const TransportResult& transport, const std::string& answer,
                          JsonAnswer& root)
{
    if (!transport.Completed())
        return EditNotSent(context, transport);
    std::string errors;
    if (root.Parse(answer, errors) && !MemberText(root.Root(), "id").empty() && IsSuccessStatus(transport.status))
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
    return {EditOutcome::Refused, Translated(kUnreadableAnswer)};
}

std::string RefusalMessage(const std::string& answer, int status)
{
    JsonAnswer parsed;
    std::string errors;
    if (parsed.Parse(answer, errors)) {
        const JsonNode& root = parsed.Root();
        const std::optional<JsonNode> error = Member(root, "error");
        const std::string message = error ? MemberText(*error, "message") : std::string();
        if (!message.empty())
            return message;
        const std::string code = MemberText(root, "error");
        if (!code.empty())
            return code;
    }
    return kHttpStatusPrefix + std::to_string(status);
}

} // namespace orb
