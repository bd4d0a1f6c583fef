#include "calendarview/date_value.h"

#include <cctype>
#include <cmath>

namespace orb {

namespace {

constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;
constexpr double kSecondsPerDay = 86400.0;
constexpr int kSunday = 1;

// 1899-12-30 is day 0.
long long EpochOffset()
{
    static const long long offset = DaysFromCivil(1899, 12, 30);
    return offset;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// From a point on the linear scale back to the stored form, where a negative day keeps
// its time as a positive fraction.
double FromLinear(double linear)
{
    if (linear >= 0.0)
        return linear;
    const double day = std::floor(linear);
    const double fraction = linear - day;
    return fraction == 0.0 ? day : day - fraction;
}

// atoi on a fixed slice: optional blanks and sign, then digits; anything else reads as 0.
int ReadNumber(std::string_view text, std::size_t first, std::size_t count)
{
    if (first >= text.size())
        return 0;
    const std::string_view slice = text.substr(first, count);
    std::size_t i = 0;
    while (i < slice.size() && std::isspace(static_cast<unsigned char>(slice[i])))
        ++i;
    bool negative = false;
    if (i < slice.size() && (slice[i] == '-' || slice[i] == '+'))
        negative = slice[i++] == '-';
    int number = 0;
    for (; i < slice.size() && std::isdigit(static_cast<unsigned char>(slice[i])); ++i)
        number = number * 10 + (slice[i] - '0');
    return negative ? -number : number;
}

} // namespace

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

DateValue DateValue::FromCivil(int year, int month, int day, int hour, int minute, int second)
{
    if (year < kMinYear || year > kMaxYear || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return MakeInvalid();
    const double days = static_cast<double>(DaysFromCivil(year, month, day) - EpochOffset());
    const double fraction = (hour * 3600.0 + minute * 60.0 + second) / kSecondsPerDay;
    return {FromLinear(days + fraction), DateStatus::Valid};
}

DateValue DateValue::FromLocal(const LocalDateTime& when)
{
    return FromCivil(when.year, when.month, when.day, when.hour, when.minute, when.second);
}

double DateValue::Linear() const
{
    if (value_ >= 0.0)
        return value_;
    const double day = std::trunc(value_);
    return day + (day - value_);
}

LocalDateTime DateValue::ToLocal() const
{
    // Round to the nearest second first so 23:59:59.9999 does not fall back a day.
    const double rounded = Linear() + kHalfSecond;
    const double day = std::floor(rounded);
    const auto seconds = static_cast<long long>((rounded - day) * kSecondsPerDay);
    LocalDateTime result = CivilFromDays(static_cast<long long>(day) + EpochOffset());
    result.hour = static_cast<int>(seconds / 3600);
    result.minute = static_cast<int>(seconds / 60 % 60);
    result.second = static_cast<int>(seconds % 60);
    return result;
}

int DateValue::Year() const
{
    return IsValid() ? ToLocal().year : -1;
}

int DateValue::Month() const
{
    return IsValid() ? ToLocal().month : -1;
}

int DateValue::Day() const
{
    return IsValid() ? ToLocal().day : -1;
}

int DateValue::DayOfWeek() const
{
    return IsValid() ? orb::DayOfWeek(ToLocal()) + kSunday : -1;
}

DateValue DateValue::DateOnly() const
{
    if (!IsValid())
        return *this;
    const LocalDateTime when = ToLocal();
    return FromCivil(when.year, when.month, when.day);
}

DateValue DateValue::AddDays(int days) const
{
    if (!IsValid())
        return *this;
    return {FromLinear(Linear() + days), DateStatus::Valid};
}

bool operator==(const DateValue& a, const DateValue& b)
{
    if (a.status_ != b.status_ || a.status_ == DateStatus::Invalid)
        return false;
    if (a.status_ == DateStatus::Null)
        return true;
    return std::fabs(a.Linear() - b.Linear()) < DateValue::kHalfSecond;
}

bool operator<(const DateValue& a, const DateValue& b)
{
    return a.IsValid() && b.IsValid() && a.Linear() < b.Linear();
}

long long WholeDaysBetween(const DateValue& from, const DateValue& to)
{
    if (!from.IsValid() || !to.IsValid())
        return 0;
    const double span = to.Linear() - from.Linear();
    return static_cast<long long>(span + (span < 0 ? -DateValue::kHalfSecond : DateValue::kHalfSecond));
}

DateValue DateOfText(std::string_view text)
{
    return DateValue::FromCivil(ReadNumber(text, 0, 4), ReadNumber(text, 5, 2), ReadNumber(text, 8, 2));
}

} // namespace orb
