#include "cache/record_columns.h"

#include "core/clock.h"

#include <cstdio>

namespace orb {

namespace {

constexpr std::size_t kDayLength = 10; // "YYYY-MM-DD"

bool ReadDay(const std::string& text, int& year, int& month, int& day)
{
    if (text.size() != kDayLength || text[4] != '-' || text[7] != '-')
        return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    year = std::stoi(text.substr(0, 4));
    month = std::stoi(text.substr(5, 2));
    day = std::stoi(text.substr(8, 2));
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

std::string DayBefore(const std::string& dayText)
{
    int year = 0, month = 0, day = 0;
    if (!ReadDay(dayText, year, month, day))
        return dayText;
    const LocalDateTime before = CivilFromDays(DaysFromCivil(year, month, day) - 1);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", before.year, before.month, before.day);
    return text;
}

} // namespace

std::string EventEndDay(const EventTime& end, const std::string& startDay)
{
    std::string last;
    if (!end.date.empty())
        last = DayBefore(end.date);
    else
        last = end.dateTime.substr(0, kDayLength);
    return last < startDay ? startDay : last;
}

} // namespace orb
