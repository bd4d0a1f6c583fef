#pragma once

#include "service/http.h"
#include "service/service_context.h"

#include <functional>
#include <string>

namespace Json {
class Value;
}

namespace orb {

// Request plumbing every service client shares: headers, status, and paged listings.

// The Authorization line from one reading of the session, then the JSON content type.
std::string JsonRequestHeaders(const OAuthSession& session);

// True for a completed exchange answered with a 2xx status.
bool IsSuccessStatus(int status);

// jsoncpp's messages as one diagnostic line.
void WriteParseErrors(Diagnostics& diagnostics, const std::string& errors);

enum class ListingOutcome
{
    Complete,
    TransportFailed,
    Unreadable, // not JSON, or JSON that is not a listing
    Refused,    // an error document or a failure status
};

struct ListingResult
{
    ListingOutcome outcome = ListingOutcome::Complete;
    TransportResult transport;
    std::string answer;      // the text of the page that failed
    std::string parseErrors; // why it was unreadable
};

// GETs a listing and every further page (the same query with "pageToken" added) until the
// service names no next page, handing each element of "items" to `onItem`. Stops at the
// first page that fails; elements of earlier pages have been handed over by then.
ListingResult FetchListing(ServiceContext& context, const std::string& url,
                           const std::function<void(const Json::Value& item)>& onItem);

} // namespace orb
