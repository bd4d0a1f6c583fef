#include "calendarview/month_text.h"

#include "core/ui_text.h"

namespace orb {

namespace {

constexpr const char* kTodayPrefix = ORB_TEXT("OrbCalender", "Today ");
constexpr const char* kTodayDateFormat = "%Y-%m-%d";

} // namespace

std::string FullMonthName(const DateValue& date)
{
    return date.IsValid() ? FormatLocal(date.ToLocal(), "%B") : std::string();
}

std::string FullWeekdayName(const DateValue& date)
{
    return date.IsValid() ? FormatLocal(date.ToLocal(), "%A") : std::string();
}

std::string ShortMonthName(const DateValue& date)
{
    return date.IsValid() ? FormatLocal(date.ToLocal(), "%b") : std::string();
}

std::string ShortWeekdayName(const DateValue& date)
{
    return date.IsValid() ? FormatLocal(date.ToLocal(), "%a") : std::string();
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
    return Translated(kTodayPrefix) +
           (today.IsValid() ? FormatLocal(today.ToLocal(), kTodayDateFormat) : std::string());
}

} // namespace orb
