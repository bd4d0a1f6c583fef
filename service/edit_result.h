#pragma once

#include "core/ui_text.h"
#include "service/service_context.h"

#include <string>

namespace orb {

class JsonAnswer;
struct TransportResult;

// What became of one change sent to the service.
enum class EditOutcome
{
    Applied, // the service accepted it; the answer is in the record
    Refused, // the service answered with a refusal; nothing changed there
    Failed,  // the request did not complete; the change was not (knowingly) made
};

struct EditResult
{
    EditOutcome outcome = EditOutcome::Applied;
    // Refused: the service's own words (its error message, never the raw document).
    // Failed: what went wrong on the way, in plain words.
    std::string message;

    bool Applied() const { return outcome == EditOutcome::Applied; }
};

// What a change or a listing reports when the service answered but could not be read.
constexpr const char* kUnreadableAnswer = ORB_TEXT("OrbCalender", "the service's answer could not be read");

// The service's words for a refused change: the "message" of a Google error document,
// else its "error" text, else the HTTP status.
std::string RefusalMessage(const std::string& answer, int status);

// How every client reads the answer to an edit. A transport failure is Failed (and a
// diagnostics line); an answer with a success status naming a record ("id") is Applied,
// with the record in `root`; anything else is Refused in the service's words.
EditResult ReadEditAnswer(ServiceContext& context, const TransportResult& transport, const std::string& answer,
                          JsonAnswer& root);
// A deletion needs no record back: any success status is Applied, and so are 404 and 410
// (the record is already gone).
EditResult ReadDeletionAnswer(ServiceContext& context, const TransportResult& transport, const std::string& answer);
// For an answer that named a record the client could not use.
EditResult UnreadableAnswer(ServiceContext& context, const std::string& answer);

} // namespace orb
