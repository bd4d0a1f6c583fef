#include "dialogs/search_results.h"

#include "core/ui_text.h"

namespace orb {

namespace {
constexpr const char* kSearchFailedPrefix = ORB_TEXT("OrbCalender", "search failed: ");
constexpr int kCalendarLevel = 2;
constexpr int kNameColumn = 0;
constexpr int kIdColumn = 3;
} // namespace

std::vector<SearchRow> SearchRows(const SearchCalendar& calendar, const SearchAnswer& answer)
{
    std::vector<SearchRow> rows;
    SearchRow calendarRow;
    calendarRow.level = kCalendarLevel;
    calendarRow.texts[kNameColumn] = ColourMarker(calendar.backgroundColor) + calendar.summary;
    calendarRow.texts[kIdColumn] = calendar.id;
    rows.push_back(std::move(calendarRow));
    for (const EventRecord& event : answer.events) {
        SearchRow row;
        row.level = kCalendarLevel + 1;
        row.texts = EventRowTexts(event, calendar.backgroundColor);
        rows.push_back(std::move(row));
    }
    if (!answer.complete) {
        SearchRow note;
        note.level = kCalendarLevel + 1;
        note.texts[kNameColumn] = Translated(kSearchFailedPrefix) + answer.failure;
        rows.push_back(std::move(note));
    }
    return rows;
}

void InOrderRelease::Reset(std::size_t count)
{
    arrived_.assign(count, false);
    next_ = 0;
}

std::vector<std::size_t> InOrderRelease::Arrive(std::size_t index)
{
    std::vector<std::size_t> ready;
    if (index >= arrived_.size() || arrived_[index])
        return ready;
    arrived_[index] = true;
    while (next_ < arrived_.size() && arrived_[next_])
        ready.push_back(next_++);
    return ready;
}

} // namespace orb
