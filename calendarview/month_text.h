#pragma once

#include "calendarview/date_value.h"

#include <string>
#include <string_view>

namespace orb {

// Names under the process locale ("%B", "%A"); empty for an invalid date.
std::string FullMonthName(const DateValue& date);
std::string FullWeekdayName(const DateValue& date);

// The first three characters of the names, as the grid shows them ("Jan", "Sun").
std::string ShortMonthName(const DateValue& date);
std::string ShortWeekdayName(const DateValue& date);

// The first `count` characters of a UTF-8 text (never a broken sequence).
std::string FirstCharacters(std::string_view text, std::size_t count);

// The day number of a cell; the 1st of a month and the first cell also name the month
// ("Jan 1").
std::string CellDateText(const DateValue& date, bool firstCell);

// "Today 2012-05-03".
std::string TodayLabel(const DateValue& today);

} // namespace orb
