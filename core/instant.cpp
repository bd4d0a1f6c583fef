#include "core/instant.h"

#include "core/clock.h"

#include <chrono>
#include <cstdio>

namespace orb {

namespace {

constexpr long long kMillisPerSecond = 1000;
constexpr long long kSecondsPerDay = 86400;
constexpr long long kMillisPerDay = kSecondsPerDay * kMillisPerSecond;
constexpr std::size_t kDateLength = 10;
constexpr std::size_t kDateTimeLength = 19;
constexpr int kMillisDigits = 3;

// `count` decimal digits at `at`.
bool ReadDigits(std::string_view text, std::size_t at, std::size_t count, int& value)
{
    if (at + count > text.size())
        return false;
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

long long FloorDivide(long long value, long long divisor)
{
    return value / divisor - (value % divisor < 0 ? 1 : 0);
}

} // namespace

std::optional<long long> InstantMillis(std::string_view text)
{
    int year = 0, month = 0, day = 0;
    if (!ReadDigits(text, 0, 4, year) || text.size() < kDateLength || text[4] != '-' ||
        !ReadDigits(text, 5, 2, month) || text[7] != '-' || !ReadDigits(text, 8, 2, day))
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok())
        return std::nullopt;
    const long long days = DaysFromCivil(year, month, day);
    if (text.size() == kDateLength)
        return days * kMillisPerDay;

    int hour = 0, minute = 0, second = 0;
    if (text.size() < kDateTimeLength || (text[10] != 'T' && text[10] != 't') || !ReadDigits(text, 11, 2, hour) ||
        text[13] != ':' || !ReadDigits(text, 14, 2, minute) || text[16] != ':' || !ReadDigits(text, 17, 2, second))
        return std::nullopt;
    std::size_t at = kDateTimeLength;
    long long millis = 0;
    if (at < text.size() && text[at] == '.') {
        // ".5" is 500 ms; digits past the third are cut.
        int digits = 0;
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
            if (digits++ < kMillisDigits)
                millis = millis * 10 + (text[at] - '0');
        }
        for (; digits < kMillisDigits; ++digits)
            millis *= 10;
    }
    long long offsetMinutes = 0;
    const char sign = at < text.size() ? text[at] : '\0';
    int offsetHours = 0, offsetMins = 0;
    if (sign == 'Z' || sign == 'z') {
        ++at;
    } else if ((sign == '+' || sign == '-') && ReadDigits(text, at + 1, 2, offsetHours) && at + 3 < text.size() &&
               text[at + 3] == ':' && ReadDigits(text, at + 4, 2, offsetMins)) {
        offsetMinutes = (sign == '-' ? -1 : 1) * (offsetHours * 60LL + offsetMins);
        at += 6;
    } else {
        return std::nullopt;
    }
    if (at != text.size())
        return std::nullopt;
    const long long seconds = days * kSecondsPerDay + hour * 3600LL + minute * 60LL + second - offsetMinutes * 60;
    return seconds * kMillisPerSecond + millis;
}

std::string UtcMillisText(long long millis)
{
    const long long days = FloorDivide(millis, kMillisPerDay);
    const long long inDay = millis - days * kMillisPerDay;
    const LocalDateTime date = CivilFromDays(days);
    const long long seconds = inDay / kMillisPerSecond;
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02lld:%02lld:%02lld.%03lldZ", date.year, date.month, date.day,
                  seconds / 3600, seconds / 60 % 60, seconds % 60, inDay % kMillisPerSecond);
    return buffer;
}

} // namespace orb
