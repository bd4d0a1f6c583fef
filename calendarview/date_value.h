#pragma once

#include "core/clock.h"

#include <string_view>

namespace orb {

enum class DateStatus
{
    Valid,
    Invalid,
    Null,
};

// The view's date: days since 1899-12-30 as a double (integer part the day, fraction the
// time of day; before that date the fraction still counts forward from the day), plus a
// status. Arithmetic and comparisons work on the linear day scale.
class DateValue
{
public:
    // Two readings closer than half a second are the same moment.
    static constexpr double kHalfSecond = 5.787037037037037e-06;

    DateValue() = default; // 0.0, valid
    DateValue(double value, DateStatus status) : value_(value), status_(status) {}

    // Invalid outside years 100..9999 or for a day the month does not have.
    static DateValue FromCivil(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    static DateValue FromLocal(const LocalDateTime& when);
    static DateValue MakeInvalid() { return {0.0, DateStatus::Invalid}; }
    static DateValue MakeNull() { return {0.0, DateStatus::Null}; }

    double value() const { return value_; }
    DateStatus status() const { return status_; }
    bool IsValid() const { return status_ == DateStatus::Valid; }

    // -1 when not valid.
    int Year() const;
    int Month() const;
    int Day() const;
    // 1 Sunday .. 7 Saturday; -1 when not valid.
    int DayOfWeek() const;

    // The point on the linear day scale (equal to value() from 1899-12-30 on).
    double Linear() const;
    LocalDateTime ToLocal() const; // meaningful only when valid
    DateValue DateOnly() const;    // the same day at 00:00
    DateValue AddDays(int days) const;

    friend bool operator==(const DateValue& a, const DateValue& b);
    friend bool operator<(const DateValue& a, const DateValue& b);
    friend bool operator>(const DateValue& a, const DateValue& b) { return b < a; }

private:
    double value_ = 0.0;
    DateStatus status_ = DateStatus::Valid;
};

// Days in a month of the proleptic Gregorian calendar; `month` is 1..12.
int DaysInMonth(int year, int month);

// Whole days from `from` to `to`, rounded half a second away from zero then truncated;
// 0 unless both are valid.
long long WholeDaysBetween(const DateValue& from, const DateValue& to);

// The day named by an event's start or end text at 00:00: year from characters 0-3,
// month 5-6, day 8-9, each read as a decimal number (a non-number reads as 0). The time
// and offset of a date-time text are ignored. A text that names no real day is invalid.
DateValue DateOfText(std::string_view text);

} // namespace orb
