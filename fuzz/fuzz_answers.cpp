// Service answers into records and on into the tree's rows. The input's first byte picks
// the listing; the rest is its pages, separated by lines "@@", each optionally starting
// with a status line "HTTP nnn".
#include "app/shell_core/settings.h"
#include "app/shell_core/store_merge.h"
#include "app/shell_core/tree_rows.h"
#include "core/clock.h"
#include "service/calendar_client.h"
#include "service/event_client.h"
#include "service/oauth.h"
#include "tasks/tasks_client.h"
#include "tests/support/doubles.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kPageSeparator = "\n@@\n";
constexpr std::string_view kStatusLine = "HTTP ";

void QueuePages(orb::test::ScriptedTransport& transport, std::string_view pages)
{
    while (true) {
        const std::size_t end = pages.find(kPageSeparator);
        std::string_view page = pages.substr(0, end);
        int status = 200;
        if (page.substr(0, kStatusLine.size()) == kStatusLine && page.size() >= kStatusLine.size() + 4) {
            const std::string_view digits = page.substr(kStatusLine.size(), 3);
            if (digits.find_first_not_of("0123456789") == std::string_view::npos) {
                status = std::stoi(std::string(digits));
                page.remove_prefix(kStatusLine.size() + 4);
            }
        }
        transport.Queue(std::string(page), status);
        if (end == std::string_view::npos)
            return;
        pages.remove_prefix(end + kPageSeparator.size());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    orb::test::ScriptedServiceContext fixture;
    fixture.session.set_tokens("access-1", "Bearer");
    fixture.session.set_expires_at(orb::LocalSeconds(fixture.clock.Now()) + 3600);
    orb::ServiceContext& context = fixture.context;
    QueuePages(fixture.transport, std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    const std::string today = orb::TodayIsoDate(fixture.clock);

    switch (data[0] % 5) {
    case 0: {
        std::vector<orb::CalendarRecord> calendars;
        orb::ListCalendars(context, calendars);
        for (orb::CalendarRecord& calendar : calendars)
            orb::CalendarRows(calendar, today, orb::FillMode::Load, true);
        break;
    }
    case 1: {
        orb::CalendarRecord calendar;
        calendar.id = "work@example.com";
        calendar.selected = "true";
        const auto range = orb::MakeEventListRange(fixture.clock, 7, 31);
        // Odd inputs read the answers as changes since a token.
        orb::SyncState since;
        if (data[0] & 0x80)
            since = {"token", "", range.timeMin, range.timeMax, ""};
        orb::EventListing listing = orb::ListEventChanges(context, calendar, range, since);
        orb::ApplyEventListing(calendar, std::move(listing.changes), listing.whole);
        orb::CalendarRows(calendar, today, orb::FillMode::Load, true);
        break;
    }
    case 2: {
        std::vector<orb::TaskListInfo> lists;
        orb::ListTaskLists(context, lists);
        for (orb::TaskListInfo& list : lists)
            orb::TaskListRows(list, orb::kTaskViewAll, orb::FillMode::Load, true);
        break;
    }
    case 3: {
        orb::TaskListInfo list;
        list.id = "L1";
        orb::SyncState since;
        if (data[0] & 0x80)
            since.updatedMin = "2026-12-08T00:00:00.000Z";
        orb::TaskListing listing = orb::LoadTaskChanges(context, list, since);
        bool changed = false;
        orb::ApplyTaskListing(list, std::move(listing.changes), listing.whole, changed);
        for (const int mode : {1, 2, 3})
            orb::TaskListRows(list, mode, orb::FillMode::Load, true);
        break;
    }
    case 4: {
        // The token endpoint's answer to a refresh, then the token check's.
        orb::RefreshAccessToken(context, "refresh-1");
        orb::CheckAccessToken(context, "access-1");
        break;
    }
    }
    return 0;
}
