#include "calendarview/month_text.h"

#include "core/ui_text.h"

namespace orb {

namespace {

constexpr const char* kTodayPrefix = ORB_TEXT("OrbCalender", "Today ");
constexpr const char* kTodayDateFormat = "%Y-%m-%d";

// Empty for a date that is not one.
std::string Formatted(const DateValue& date, const char* format)
{
    return date.IsValid() ? FormatLocal(date.ToLocal(), format) : std::string();
}

} // namespace

std::string FullMonthName(const DateValue& date)
{
    return Formatted(date, "%B");
}

std::string FullWeekdayName(const DateValue& date)
{
    return Formatted(date, "%A");
}

std::string ShortMonthName(const DateValue& date)
{
    return Formatted(date, "%b");
}

std::string ShortWeekdayName(const DateValue& date)
{
    return Formatted(date, "%a");
}

std::string CellDateText(const DateValue& date, bool firstCell)
{
    if (!date.IsValid())
        return {};
    const std::string day = std::to_string(date.Day());
    if (date.Day() == 1 || firstCell)
        return ShortMonthName(date) + " " + day;
    return day;
}

std::string TodayLabel(const DateValue& today)
{
    return Translated(kTodayPrefix) + Formatted(today, kTodayDateFormat);
}

} // namespace orb
