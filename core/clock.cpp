#include "core/clock.h"

#include "core/ui_text.h"

#include <ctime>

namespace orb {

namespace {

constexpr int kMonthsPerYear = 12;
constexpr int kDaysPerWeek = 7;

constexpr const char* kMonthNames[kMonthsPerYear] = {
    ORB_TEXT("OrbCalender", "January"), ORB_TEXT("OrbCalender", "February"), ORB_TEXT("OrbCalender", "March"),
    ORB_TEXT("OrbCalender", "April"),   ORB_TEXT("OrbCalender", "May"),      ORB_TEXT("OrbCalender", "June"),
    ORB_TEXT("OrbCalender", "July"),    ORB_TEXT("OrbCalender", "August"),   ORB_TEXT("OrbCalender", "September"),
    ORB_TEXT("OrbCalender", "October"), ORB_TEXT("OrbCalender", "November"), ORB_TEXT("OrbCalender", "December")};
constexpr const char* kShortMonthNames[kMonthsPerYear] = {
    ORB_TEXT("OrbCalender", "Jan"), ORB_TEXT("OrbCalender", "Feb"), ORB_TEXT("OrbCalender", "Mar"),
    ORB_TEXT("OrbCalender", "Apr"), ORB_TEXT("OrbCalender", "May"), ORB_TEXT("OrbCalender", "Jun"),
    ORB_TEXT("OrbCalender", "Jul"), ORB_TEXT("OrbCalender", "Aug"), ORB_TEXT("OrbCalender", "Sep"),
    ORB_TEXT("OrbCalender", "Oct"), ORB_TEXT("OrbCalender", "Nov"), ORB_TEXT("OrbCalender", "Dec")};
constexpr const char* kWeekdayNames[kDaysPerWeek] = {
    ORB_TEXT("OrbCalender", "Sunday"),    ORB_TEXT("OrbCalender", "Monday"),   ORB_TEXT("OrbCalender", "Tuesday"),
    ORB_TEXT("OrbCalender", "Wednesday"), ORB_TEXT("OrbCalender", "Thursday"), ORB_TEXT("OrbCalender", "Friday"),
    ORB_TEXT("OrbCalender", "Saturday")};
constexpr const char* kShortWeekdayNames[kDaysPerWeek] = {
    ORB_TEXT("OrbCalender", "Sun"), ORB_TEXT("OrbCalender", "Mon"), ORB_TEXT("OrbCalender", "Tue"),
    ORB_TEXT("OrbCalender", "Wed"), ORB_TEXT("OrbCalender", "Thu"), ORB_TEXT("OrbCalender", "Fri"),
    ORB_TEXT("OrbCalender", "Sat")};

// The name a month or weekday conversion stands for, or null for any other conversion.
const char* NameFor(char conversion, const std::tm& local)
{
    const bool knownMonth = local.tm_mon >= 0 && local.tm_mon < kMonthsPerYear;
    const bool knownDay = local.tm_wday >= 0 && local.tm_wday < kDaysPerWeek;
    switch (conversion) {
    case 'B':
        return knownMonth ? kMonthNames[local.tm_mon] : nullptr;
    case 'b':
    case 'h':
        return knownMonth ? kShortMonthNames[local.tm_mon] : nullptr;
    case 'A':
        return knownDay ? kWeekdayNames[local.tm_wday] : nullptr;
    case 'a':
        return knownDay ? kShortWeekdayNames[local.tm_wday] : nullptr;
    default:
        return nullptr;
    }
}

// strftime names months and days in the C library's locale, which is not the language the
// windows speak (and is often plain C), so the names go into the format as literal text.
std::string WithNamesWritten(const char* format, const std::tm& local)
{
    std::string written;
    for (const char* at = format; *at != '\0'; ++at) {
        if (*at != '%' || at[1] == '\0') {
            written += *at;
            continue;
        }
        ++at;
        const char* name = NameFor(*at, local);
        if (!name) {
            written += '%';
            written += *at;
            continue;
        }
        for (const char c : Translated(name)) {
            written += c;
            if (c == '%')
                written += '%';
        }
    }
    return written;
}

} // namespace

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
    const std::string written = WithNamesWritten(format, local);
    char buffer[256];
    const std::size_t length = std::strftime(buffer, sizeof buffer, written.c_str(), &local);
    return std::string(buffer, length);
}

} // namespace orb
