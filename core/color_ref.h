#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace orb {

// A colour as the settings and the editors keep it: 0x00BBGGRR, red in the low byte.
using ColorRef = std::uint32_t;

// Stands for "the default colour" in the colour button.
constexpr ColorRef kDefaultColorRef = 0xFF000000;

constexpr ColorRef MakeColorRef(int red, int green, int blue)
{
    return static_cast<ColorRef>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int RedOf(ColorRef colour)
{
    return static_cast<int>(colour & 0xFF);
}
constexpr int GreenOf(ColorRef colour)
{
    return static_cast<int>((colour >> 8) & 0xFF);
}
constexpr int BlueOf(ColorRef colour)
{
    return static_cast<int>((colour >> 16) & 0xFF);
}

// "#rrggbb" (lower-case hex), the form the service takes.
inline std::string ColourText(ColorRef colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", RedOf(colour), GreenOf(colour), BlueOf(colour));
    return text;
}

// The colour text "#rrggbb" read as 0xRRGGBB: the hex digits that lead after the first
// character (at most six); an empty or non-hex text reads as 0 (black). Both the month view
// and the editors read colour texts this way.
constexpr std::uint32_t RgbFromText(std::string_view text)
{
    constexpr std::size_t kHexDigits = 6;
    std::uint32_t rgb = 0;
    for (std::size_t i = 1; i < text.size() && i <= kHexDigits; ++i) {
        const char c = text[i];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0)
            break;
        rgb = rgb * 16 + static_cast<std::uint32_t>(digit);
    }
    return rgb;
}

inline ColorRef ColorRefFromText(std::string_view text)
{
    const std::uint32_t rgb = RgbFromText(text);
    return MakeColorRef(static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>(rgb & 0xFF));
}

} // namespace orb
