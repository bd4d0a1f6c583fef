#pragma once

#include <cstdint>
#include <string>

namespace orb {

// The 60-byte Windows LOGFONTA, kept field for field so the settings file reads the same
// on every platform. `lfFaceName` holds UTF-8 here; an empty face means the platform's
// dialog font.
struct LogFont
{
    std::int32_t lfHeight = 0;
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 0;
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;
    std::uint8_t lfOutPrecision = 0;
    std::uint8_t lfClipPrecision = 0;
    std::uint8_t lfQuality = 0;
    std::uint8_t lfPitchAndFamily = 0;
    std::string lfFaceName;

    friend bool operator==(const LogFont&, const LogFont&) = default;
};

// The main dialog's own font, the default of both settings fonts.
constexpr std::int32_t kDialogFontHeight = -12;
constexpr std::int32_t kNormalWeight = 400;
constexpr std::uint8_t kDefaultCharSet = 1;
inline LogFont DefaultDialogFont()
{
    LogFont font;
    font.lfHeight = kDialogFontHeight;
    font.lfWeight = kNormalWeight;
    font.lfCharSet = kDefaultCharSet;
    return font;
}

} // namespace orb
