#pragma once

#include "service/http.h"
#include "service/service_context.h"
#include "service/sync_state.h"

#include <functional>
#include <string>

namespace simdjson::dom {
class element;
}

namespace orb {

// Paged listings, the one kind of request every client reads the same way.

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
    std::string answer;        // the text of the page that failed
    std::string parseErrors;   // why it was unreadable
    std::string nextSyncToken; // the last page's, when the service gave one
};

// Why a listing did not complete, in plain words: the carrier's failure, the service's own
// message for a refusal, or that the answer could not be read.
struct ListingFailure
{
    std::string text;
    bool unreachable = false; // the exchange itself failed: the service was not reached
};

// GETs a listing and every further page (the same query with "pageToken" added) until the
// service names no next page, handing each element of "items" to `onItem`. Stops at the
// first page that fails; elements of earlier pages have been handed over by then. An
// element whose "id" was handed over before is skipped, and a page with nothing new ends
// the listing. `fields` names every member the caller and the paging read (the service's
// partial-answer selector); it goes last on every page's address, unless the configuration
// turns partial answers off.
ListingResult FetchListing(ServiceContext& context, const std::string& url, const char* fields,
                           const std::function<void(const simdjson::dom::element& item)>& onItem);

ListingFailure DescribeListingFailure(const ListingResult& result);

// One calendar's events or one list's tasks as a pass reads them.
template <class Changes> struct ChangeListing
{
    bool complete = false;
    // The whole was read: `changes.upserts` holds all of it, in the service's order, and
    // nothing else stays. Otherwise only what changed.
    bool whole = false;
    Changes changes;
    SyncState state;        // where the next listing starts from
    ListingFailure failure; // when not complete
};

} // namespace orb
