#include "treelist/tree_list_cell_rules.h"

#include <cstdlib>

namespace orb {

namespace {
constexpr int kDefaultRowHeight = 20;
constexpr int kRowPadding = 5;
constexpr int kDefaultHeaderHeight = 20;
constexpr int kHeaderPadding = 6;

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool Contains(std::string_view text, const std::string& part)
{
    return !part.empty() && text.find(part) != std::string_view::npos;
}
} // namespace

Rgb DimmedColour(Rgb background, Rgb text)
{
    return {background.r / 2 + text.r / 2, background.g / 2 + text.g / 2, background.b / 2 + text.b / 2};
}

std::optional<ColourPrefix> ParseColourPrefix(std::string_view text)
{
    if (text.size() < kColourPrefixLength || text.substr(0, 2) != "0x")
        return std::nullopt;
    int channels[3] = {};
    for (int i = 0; i < 3; ++i) {
        const int high = HexDigit(text[2 + 2 * i]);
        const int low = HexDigit(text[3 + 2 * i]);
        if (high < 0 || low < 0)
            return std::nullopt;
        channels[i] = high * 16 + low;
    }
    return ColourPrefix{{channels[0], channels[1], channels[2]}, text.substr(kColourPrefixLength)};
}

bool ContainsToday(std::string_view text, const TodayTexts& today)
{
    return Contains(text, today.date) || Contains(text, today.monthDay);
}

namespace {

constexpr int kDaysInYear = 372; // 12 months of 31 days: ordinals only need to keep order
constexpr int kHalfYearDays = kDaysInYear / 2;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// "MM-DD" at the start, not followed by more date digits ("2026-12-08" is not one).
bool IsMonthDayForm(std::string_view text)
{
    return text.size() >= 5 && IsDigit(text[0]) && IsDigit(text[1]) && text[2] == '-' && IsDigit(text[3]) &&
           IsDigit(text[4]) && (text.size() == 5 || !IsDigit(text[5]));
}

int MonthDayOrdinal(std::string_view text)
{
    if (text.size() < 5)
        return 0;
    const int month = (text[0] - '0') * 10 + (text[1] - '0');
    const int day = (text[3] - '0') * 10 + (text[4] - '0');
    return (month - 1) * 31 + (day - 1);
}

} // namespace

CellLook DueCellLook(std::string_view text, const TodayTexts& today, bool dueHide)
{
    if (ContainsToday(text, today))
        return CellLook::Today;
    if (text.empty() || dueHide)
        return CellLook::Nothing;
    if (IsMonthDayForm(text)) {
        // "MM-DD hh:mm" has no year: within half a year before today it is past, further
        // back it is next year's. Compared byte-wise with "%Y-%m-%d", every such text
        // would look earlier and future events would be drawn as done.
        const int days = MonthDayOrdinal(today.monthDay) - MonthDayOrdinal(text);
        const int behind = (days + kDaysInYear) % kDaysInYear;
        return behind > 0 && behind <= kHalfYearDays ? CellLook::Dimmed : CellLook::Normal;
    }
    // A byte-wise comparison: an earlier "%Y-%m-%d" date sorts first.
    if (text < std::string_view(today.date))
        return CellLook::Dimmed;
    return CellLook::Normal;
}

CellLook PrefixedLabelLook(int checkState, std::string_view dueText, const TodayTexts& today)
{
    if (checkState == 1)
        return CellLook::Dimmed;
    if (ContainsToday(dueText, today))
        return CellLook::Today;
    return CellLook::Normal;
}

int RowHeightForFontHeight(int lfHeight)
{
    int height = kDefaultRowHeight;
    if (lfHeight != 0)
        height = std::abs(lfHeight) + kRowPadding;
    if (height % 2 != 0)
        height += 1;
    return height;
}

int HeaderHeightForFontHeight(int lfHeight)
{
    return lfHeight == 0 ? kDefaultHeaderHeight : std::abs(lfHeight) + kHeaderPadding;
}

} // namespace orb
