#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

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

// A number sign and six hex digits RRGGBB; black for anything else.
inline ColorRef ColorRefFromText(const std::string& text)
{
    if (text.size() < 7 || text[0] != '#')
        return 0;
    unsigned value = 0;
    for (std::size_t i = 1; i < 7; ++i) {
        const char c = text[i];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0)
            return 0;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return MakeColorRef(static_cast<int>(value >> 16), static_cast<int>((value >> 8) & 0xFF),
                        static_cast<int>(value & 0xFF));
}

} // namespace orb
