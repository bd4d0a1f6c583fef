#include "service/listing.h"
#include "core/ui_text.h"
#include "service/requests.h"

#include "core/diagnostics.h"
#include "service/edit_result.h"
#include "service/oauth.h"
#include "service/record_json.h"
#include "service/text_codec.h"

#include <simdjson.h>

#include <set>
#include <unordered_set>

namespace orb {

namespace {

constexpr const char* kPageTokenParameter = "pageToken=";
constexpr const char* kFieldsParameter = "fields=";
constexpr const char* kNotAListingError = "the answer is not a listing";
constexpr const char* kPageLoopLine = "Paging stopped : the service repeated a page token";
constexpr const char* kPageLimitLine = "Paging stopped : too many pages";
constexpr const char* kNothingNewLine = "Paging stopped : the service repeated a page";
constexpr const char* kRepeatedItemsLine = "Paging : skipped items listed before : ";
// Far beyond any real listing (Google pages hold up to 2500 entries); only a service
// that never stops paging meets it.
constexpr int kMaxPages = 10000;

char QuerySeparator(const std::string& url)
{
    return url.find('?') == std::string::npos ? '?' : '&';
}

std::string WithPageToken(const std::string& url, const std::string& token)
{
    return url + QuerySeparator(url) + kPageTokenParameter + EncodeQueryValue(token);
}

} // namespace

ListingResult FetchListing(ServiceContext& context, const std::string& url, const char* fields,
                           const std::function<void(const JsonNode& item)>& onItem)
{
    // Sent as written: commas, slashes and parentheses are allowed in a query, and the
    // selector is ours, never the user's text.
    const auto withSelector = [&](const std::string& pageUrl) {
        return context.config.partialAnswers ? pageUrl + QuerySeparator(pageUrl) + kFieldsParameter + fields : pageUrl;
    };
    ListingResult result;
    std::set<std::string> seenTokens;
    // A service that pages in circles, or hands out new tokens for old pages, must not
    // show anything twice.
    std::unordered_set<std::string> seenIds;
    std::string pageUrl = url;
    JsonAnswer parsed;
    for (int page = 0;; ++page) {
        if (page == kMaxPages) {
            context.diagnostics.WriteLine(kPageLimitLine);
            return result;
        }
        std::string answer;
        result.transport = context.transport.HttpGet(withSelector(pageUrl), "", answer);
        const int status = result.transport.status;
        if (!result.transport.Completed()) {
            result.outcome = ListingOutcome::TransportFailed;
            result.answer = answer;
            return result;
        }
        if (!parsed.Parse(answer, result.parseErrors)) {
            result.outcome = ListingOutcome::Unreadable;
            result.answer = answer;
            return result;
        }
        const JsonNode& root = parsed.Root();
        if (HasErrorDocument(root) || !IsSuccessStatus(status)) {
            result.outcome = ListingOutcome::Refused;
            result.answer = answer;
            return result;
        }
        const std::optional<JsonNode> items = Member(root, "items");
        if (!root.is_object() || (items && !items->is_null() && !items->is_array())) {
            result.outcome = ListingOutcome::Unreadable;
            result.answer = answer;
            result.parseErrors = kNotAListingError;
            return result;
        }
        std::size_t repeated = 0;
        std::size_t listed = 0;
        if (items && items->is_array()) {
            for (const JsonNode item : simdjson::dom::array(*items)) {
                ++listed;
                const std::string id = MemberText(item, "id");
                if (!id.empty() && !seenIds.insert(id).second) {
                    ++repeated;
                    continue;
                }
                onItem(item);
            }
        }
        if (repeated > 0) {
            context.diagnostics.WriteLine(kRepeatedItemsLine + std::to_string(repeated));
            if (repeated == listed) {
                context.diagnostics.WriteLine(kNothingNewLine);
                return result;
            }
        }

        const std::string token = MemberText(root, "nextPageToken");
        if (token.empty()) {
            result.nextSyncToken = MemberText(root, "nextSyncToken");
            return result;
        }
        if (!seenTokens.insert(token).second) {
            context.diagnostics.WriteLine(kPageLoopLine);
            return result;
        }
        pageUrl = WithPageToken(url, token);
    }
}

ListingFailure DescribeListingFailure(const ListingResult& result)
{
    switch (result.outcome) {
    case ListingOutcome::TransportFailed:
        return {TransportFailureText(result.transport), true};
    case ListingOutcome::Refused:
        return {RefusalMessage(result.answer, result.transport.status)};
    case ListingOutcome::Unreadable:
    case ListingOutcome::Complete:
        break;
    }
    return {Translated(kUnreadableAnswer)};
}

} // namespace orb
