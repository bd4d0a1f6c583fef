#include "calendarview/month_text.h"

#include "core/ui_text.h"

namespace orb {

namespace {

constexpr std::size_t kShortNameLength = 3;
constexpr const char* kTodayPrefix = ORB_TEXT("OrbCalender", "Today ");
constexpr const char* kTodayDateFormat = "%Y-%m-%d";

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

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
    return FirstCharacters(FullMonthName(date), kShortNameLength);
}

std::string ShortWeekdayName(const DateValue& date)
{
    return FirstCharacters(FullWeekdayName(date), kShortNameLength);
}

std::string FirstCharacters(std::string_view text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t taken = 0; end < text.size() && taken < count; ++taken) {
        ++end;
        while (end < text.size() && IsContinuationByte(text[end]))
            ++end;
    }
    return std::string(text.substr(0, end));
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
