#pragma once

#include "service/records.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace orb {

// A calendar the search dialog searches, copied out of the store.
struct SearchCalendar
{
    std::string id;
    std::string summary;
    std::string backgroundColor;
};

// One calendar's answer.
struct SearchAnswer
{
    std::vector<EventRecord> events;
    bool complete = true;
    std::string failure; // why, when not complete
};

constexpr int kSearchColumnCount = 4;

// A result row below "Calendar's": level 2 for the calendar, 3 for its events and notes.
struct SearchRow
{
    int level = 2;
    std::array<std::string, kSearchColumnCount> texts;
};

// The calendar's row, then a row per match; a failed search gets a note row instead of
// looking like a calendar without matches.
std::vector<SearchRow> SearchRows(const SearchCalendar& calendar, const SearchAnswer& answer);

// Answers arrive in any order; rows go in in calendar order. Each arrival hands back the
// calendars, in order, that can be shown now.
class InOrderRelease
{
public:
    void Reset(std::size_t count);
    std::vector<std::size_t> Arrive(std::size_t index);
    bool Done() const { return next_ == arrived_.size(); }

private:
    std::vector<bool> arrived_;
    std::size_t next_ = 0;
};

} // namespace orb
