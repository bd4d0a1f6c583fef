#include "calendarview/event_color.h"

#include "core/color_ref.h"

#include <algorithm>

namespace orb {

namespace {

constexpr std::uint32_t kByteMask = 0xFF;
constexpr int kSaturationShift = 8;
constexpr int kValueShift = 16;
constexpr std::uint32_t kPaleSaturation = 0x23;
constexpr std::uint32_t kPaleValue = 0xF0;
constexpr double kFullCircle = 360.0;
constexpr double kDegreesPerSector = 60.0;
constexpr double kByteScale = 255.0;

} // namespace

RgbColor ColorFromText(std::string_view text)
{
    const std::uint32_t packed = RgbFromText(text);
    return {static_cast<int>((packed >> 16) & kByteMask), static_cast<int>((packed >> 8) & kByteMask),
            static_cast<int>(packed & kByteMask)};
}

std::uint32_t PackHsv(const RgbColor& color)
{
    const int mx = std::max({color.red, color.green, color.blue});
    const int mn = std::min({color.red, color.green, color.blue});
    const double delta = mx - mn;
    if (mx == 0)
        return static_cast<std::uint32_t>(color.green);
    // A grey has no hue; dividing by its zero spread would give no number at all.
    double degrees = 0.0;
    if (delta > 0) {
        double sector = 0.0;
        if (mx == color.red)
            sector = (color.green - color.blue) / delta;
        else if (mx == color.green)
            sector = (color.blue - color.red) / delta + 2;
        else
            sector = (color.red - color.green) / delta + 4;
        degrees = sector * kDegreesPerSector;
        if (degrees < 0)
            degrees += kFullCircle;
    }
    const auto hue = static_cast<std::uint32_t>(degrees / kFullCircle * kByteScale) & kByteMask;
    const auto saturation = static_cast<std::uint32_t>(delta / mx * kByteScale) & kByteMask;
    const auto value = static_cast<std::uint32_t>(mx) & kByteMask;
    return hue | saturation << kSaturationShift | value << kValueShift;
}

RgbColor UnpackHsv(std::uint32_t packed)
{
    const double s = ((packed >> kSaturationShift) & kByteMask) / kByteScale;
    const double v = (packed >> kValueShift) & kByteMask;
    if (s <= 0) {
        const int grey = static_cast<int>(v);
        return {grey, grey, grey};
    }
    double h = (packed & kByteMask) / kByteScale * kFullCircle;
    if (h >= kFullCircle)
        h = 0;
    h /= kDegreesPerSector;
    const int i = static_cast<int>(h);
    const double f = h - i;
    const int p = static_cast<int>(v * (1 - s));
    const int q = static_cast<int>(v * (1 - s * f));
    const int t = static_cast<int>(v * (1 - s * (1 - f)));
    const int full = static_cast<int>(v);
    switch (i) {
    case 0:
        return {full, t, p};
    case 1:
        return {q, full, p};
    case 2:
        return {p, full, t};
    case 3:
        return {p, q, full};
    case 4:
        return {t, p, full};
    default:
        return {full, p, q};
    }
}

RgbColor PaleColorOf(const RgbColor& color)
{
    const std::uint32_t hue = PackHsv(color) & kByteMask;
    return UnpackHsv(hue | kPaleSaturation << kSaturationShift | kPaleValue << kValueShift);
}

} // namespace orb
