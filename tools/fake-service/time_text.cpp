#include "tools/fake-service/time_text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace orb::fake {

namespace {

constexpr long long kMillisPerSecond = 1000;
constexpr long long kSecondsPerDay = 86400;
constexpr std::size_t kFractionDigits = 3;

bool ReadNumber(std::string_view text, std::size_t at, std::size_t length, int& value)
{
    if (at + length > text.size())
        return false;
    value = 0;
    for (std::size_t i = at; i < at + length; ++i) {
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

std::optional<long long> ParseInstantMillis(std::string_view text)
{
    int year = 0, month = 0, day = 0;
    if (!ReadNumber(text, 0, 4, year) || text.size() < 10 || text[4] != '-' || !ReadNumber(text, 5, 2, month) ||
        text[7] != '-' || !ReadNumber(text, 8, 2, day))
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok())
        return std::nullopt;
    const long long days = std::chrono::sys_days(date).time_since_epoch().count();
    if (text.size() == 10)
        return days * kSecondsPerDay * kMillisPerSecond;

    int hour = 0, minute = 0, second = 0;
    if (text.size() < 19 || (text[10] != 'T' && text[10] != 't') || !ReadNumber(text, 11, 2, hour) || text[13] != ':' ||
        !ReadNumber(text, 14, 2, minute) || text[16] != ':' || !ReadNumber(text, 17, 2, second))
        return std::nullopt;
    std::size_t at = 19;
    long long millis = 0;
    if (at < text.size() && text[at] == '.') {
        ++at;
        const std::size_t first = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9')
            ++at;
        // ".5" is 500 ms; digits past the third are cut.
        for (std::size_t i = 0; i < kFractionDigits; ++i)
            millis = millis * 10 + (first + i < at ? text[first + i] - '0' : 0);
    }
    long long offset = 0;
    if (at < text.size() && (text[at] == 'Z' || text[at] == 'z')) {
        ++at;
    } else if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        int offsetHours = 0, offsetMinutes = 0;
        if (!ReadNumber(text, at + 1, 2, offsetHours) || at + 3 >= text.size() || text[at + 3] != ':' ||
            !ReadNumber(text, at + 4, 2, offsetMinutes))
            return std::nullopt;
        offset = (offsetHours * 60LL + offsetMinutes) * 60 * (text[at] == '-' ? -1 : 1);
        at += 6;
    } else {
        return std::nullopt;
    }
    if (at != text.size())
        return std::nullopt;
    const long long seconds = days * kSecondsPerDay + hour * 3600LL + minute * 60LL + second - offset;
    return seconds * kMillisPerSecond + millis;
}

std::optional<long long> ParseInstant(std::string_view text)
{
    const std::optional<long long> millis = ParseInstantMillis(text);
    if (!millis)
        return std::nullopt;
    return FloorDivide(*millis, kMillisPerSecond);
}

std::string FormatUtcMillis(long long millis)
{
    const std::chrono::sys_time<std::chrono::milliseconds> instant{std::chrono::milliseconds(millis)};
    const auto day = std::chrono::floor<std::chrono::days>(instant);
    const std::chrono::year_month_day date(day);
    const std::chrono::hh_mm_ss time(instant - day);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02lld:%02lld:%02lld.%03lldZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<long long>(time.hours().count()), static_cast<long long>(time.minutes().count()),
                  static_cast<long long>(time.seconds().count()), static_cast<long long>(time.subseconds().count()));
    return buffer;
}

long long NowMillis()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string ChangeClock::Next()
{
    return FormatUtcMillis(NextMillis());
}

long long ChangeClock::NextMillis()
{
    std::lock_guard lock(mutex_);
    last_ = std::max(NowMillis(), last_ + 1);
    return last_;
}

} // namespace orb::fake
