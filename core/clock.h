#pragma once

#include <string>

namespace orb {

// A wall-clock reading in the user's local calendar. Every wire form of this program is
// made from local time with no conversion, so nothing here knows about time zones.
struct LocalDateTime
{
    int year = 1970;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// The one source of "now" and "today"; tests inject a fixed clock.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual LocalDateTime Now() const = 0;
};

class SystemClock : public Clock
{
public:
    LocalDateTime Now() const override;
};

// Days since 1970-01-01 of a civil date (proleptic Gregorian), and back.
long long DaysFromCivil(int year, int month, int day);
LocalDateTime CivilFromDays(long long days);

// Seconds since 1970-01-01 00:00 of the local reading, as if every day had 86400 seconds.
long long LocalSeconds(const LocalDateTime& when);

// The same time of day, `days` whole days later (or earlier when negative).
LocalDateTime AddDays(const LocalDateTime& when, int days);

// 0 Sunday .. 6 Saturday.
int DayOfWeek(const LocalDateTime& when);

// strftime of a local reading. Month and weekday names (%B %b %A %a) are the catalogue's, in
// the language the windows speak; the other conversions follow the process locale.
std::string FormatLocal(const LocalDateTime& when, const char* format);

} // namespace orb
