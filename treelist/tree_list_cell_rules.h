#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orb {

struct Rgb
{
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

constexpr Rgb kTodayYellow{255, 255, 0};

// Half of each, each channel halved rounding down: RGB(117, 117, 117) for the main window.
Rgb DimmedColour(Rgb background, Rgb text);

// "0xrrggbb" followed by the label: a colour bar and the label beside it.
struct ColourPrefix
{
    Rgb colour;
    std::string_view label;
};
constexpr std::size_t kColourPrefixLength = 8;
constexpr int kColourBarLeft = 1;
constexpr int kColourBarRight = 5;
constexpr int kColourBarInset = 3;    // from the row's top and bottom
constexpr int kColourLabelOffset = 7; // the label starts this far right of the text area

// Only a full prefix of six hex digits counts; anything shorter or malformed is plain text.
std::optional<ColourPrefix> ParseColourPrefix(std::string_view text);

// Today in the two forms the cells are searched for.
struct TodayTexts
{
    std::string date;     // "%Y-%m-%d"
    std::string monthDay; // "%m-%d"
};

bool ContainsToday(std::string_view text, const TodayTexts& today);

enum class CellLook
{
    Normal, // the row's text colour
    Dimmed,
    Today,   // yellow, bold
    Nothing, // nothing drawn
};

// Column 1, the due date.
CellLook DueCellLook(std::string_view text, const TodayTexts& today, bool dueHide);
// The label of a colour-prefixed first column; `checkState` as Get check gives it.
CellLook PrefixedLabelLook(int checkState, std::string_view dueText, const TodayTexts& today);

// Row height and header height for a LOGFONTA height.
int RowHeightForFontHeight(int lfHeight);
int HeaderHeightForFontHeight(int lfHeight);

} // namespace orb
