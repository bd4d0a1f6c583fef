#pragma once

#include <cstdint>
#include <string_view>

namespace orb {

struct RgbColor
{
    int red = 0;
    int green = 0;
    int blue = 0;

    friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

// The event bars' colours, shared by the month view and the day events window.
constexpr RgbColor kBarOutline{80, 80, 80};
constexpr RgbColor kBarHighlight{171, 255, 0}; // the hovered or selected bar
constexpr RgbColor kBarText{50, 50, 50};
constexpr RgbColor kPastBarText{100, 100, 100};

// A colour text "#rrggbb": the leading hex digits after the first character; an empty or
// non-hex text reads as 0 (black).
RgbColor ColorFromText(std::string_view text);

// Hue in bits 0-7, saturation in 8-15, value in 16-23, each scaled to 0..255.
std::uint32_t PackHsv(const RgbColor& color);
RgbColor UnpackHsv(std::uint32_t packed);

// The washed-out colour of the same hue that past events are drawn in.
RgbColor PaleColorOf(const RgbColor& color);

} // namespace orb
