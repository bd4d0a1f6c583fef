#include "core/clock.h"

#include <ctime>

namespace orb {

LocalDateTime SystemClock::Now() const
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

// Howard Hinnant's days_from_civil / civil_from_days.
long long LocalSeconds(const LocalDateTime& when)
{
    constexpr long long kSecondsPerDay = 86400;
    return DaysFromCivil(when.year, when.month, when.day) * kSecondsPerDay + when.hour * 3600LL + when.minute * 60LL +
           when.second;
}

long long DaysFromCivil(int year, int month, int day)
{
    const long long y = static_cast<long long>(year) - (month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long mp = (month + 9) % 12;
    const long long doy = (153 * mp + 2) / 5 + day - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

LocalDateTime CivilFromDays(long long days)
{
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day, 0, 0, 0};
}

LocalDateTime AddDays(const LocalDateTime& when, int days)
{
    LocalDateTime result = CivilFromDays(DaysFromCivil(when.year, when.month, when.day) + days);
    result.hour = when.hour;
    result.minute = when.minute;
    result.second = when.second;
    return result;
}

int DayOfWeek(const LocalDateTime& when)
{
    const long long days = DaysFromCivil(when.year, when.month, when.day);
    // 1970-01-01 was a Thursday.
    return static_cast<int>(((days % 7) + 11) % 7);
}

std::string FormatLocal(const LocalDateTime& when, const char* format)
{
    std::tm local{};
    local.tm_year = when.year - 1900;
    local.tm_mon = when.month - 1;
    local.tm_mday = when.day;
    local.tm_hour = when.hour;
    local.tm_min = when.minute;
    local.tm_sec = when.second;
    local.tm_wday = DayOfWeek(when);
    local.tm_isdst = -1;
    char buffer[256];
    const std::size_t length = std::strftime(buffer, sizeof buffer, format, &local);
    return std::string(buffer, length);
}

} // namespace orb
