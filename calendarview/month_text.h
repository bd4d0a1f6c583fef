#pragma once

#include "calendarview/date_value.h"

#include <string>

namespace orb {

// Names in the language the windows speak ("January", "1월"); empty for an invalid date.
std::string FullMonthName(const DateValue& date);
std::string FullWeekdayName(const DateValue& date);

// The short forms the grid shows ("Jan", "Sun"; "1월", "일").
std::string ShortMonthName(const DateValue& date);
std::string ShortWeekdayName(const DateValue& date);

// The day number of a cell; the 1st of a month and the first cell also name the month
// ("Jan 1").
std::string CellDateText(const DateValue& date, bool firstCell);

// "Today 2012-05-03".
std::string TodayLabel(const DateValue& today);

} // namespace orb
