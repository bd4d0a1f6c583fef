#include "widgets/log_font_qt.h"

#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orb {

namespace {
constexpr double kPointsPerInch = 72.0;
constexpr double kLogicalDpi = 96.0;
constexpr int kFallbackPixelSize = 12;
} // namespace

QFont FontFromLogFont(const LogFont& logFont)
{
    QFont font = QGuiApplication::font();
    if (!logFont.lfFaceName.empty())
        font.setFamily(QString::fromStdString(logFont.lfFaceName));
    const int pixels = std::abs(logFont.lfHeight);
    font.setPixelSize(pixels > 0 ? pixels : kFallbackPixelSize);
    if (logFont.lfWeight > 0)
        font.setWeight(static_cast<QFont::Weight>(std::clamp(logFont.lfWeight, 1, 1000)));
    font.setItalic(logFont.lfItalic != 0);
    font.setUnderline(logFont.lfUnderline != 0);
    font.setStrikeOut(logFont.lfStrikeOut != 0);
    return font;
}

LogFont LogFontFromFont(const QFont& font)
{
    LogFont logFont = DefaultDialogFont();
    int pixels = font.pixelSize();
    if (pixels <= 0)
        pixels = static_cast<int>(std::lround(font.pointSizeF() * kLogicalDpi / kPointsPerInch));
    logFont.lfHeight = -pixels;
    logFont.lfWeight = font.weight();
    logFont.lfItalic = font.italic() ? 1 : 0;
    logFont.lfUnderline = font.underline() ? 1 : 0;
    logFont.lfStrikeOut = font.strikeOut() ? 1 : 0;
    if (font.family() != QGuiApplication::font().family())
        logFont.lfFaceName = font.family().toStdString();
    return logFont;
}

} // namespace orb
