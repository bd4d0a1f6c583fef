#include "widgets/log_font_qt.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

namespace orb {
namespace {

TEST(LogFontQt, StoredFontBecomesThePixelSizedQtFontAndBack)
{
    LogFont stored = DefaultDialogFont();
    stored.lfHeight = -17;
    stored.lfWeight = 700;
    stored.lfItalic = 1;
    stored.lfStrikeOut = 1;
    stored.lfFaceName = "DejaVu Sans";
    const QFont font = FontFromLogFont(stored);
    EXPECT_EQ(font.pixelSize(), 17);
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_TRUE(font.italic());
    EXPECT_FALSE(font.underline());
    EXPECT_TRUE(font.strikeOut());
    EXPECT_EQ(font.family(), "DejaVu Sans");

    const LogFont back = LogFontFromFont(font);
    EXPECT_EQ(back.lfHeight, -17);
    EXPECT_EQ(back.lfWeight, 700);
    EXPECT_EQ(back.lfItalic, 1);
    EXPECT_EQ(back.lfStrikeOut, 1);
    EXPECT_EQ(back.lfFaceName, "DejaVu Sans");
}

TEST(LogFontQt, EmptyFaceAndZeroHeightFallBackToTheApplicationFont)
{
    LogFont stored;
    const QFont font = FontFromLogFont(stored);
    EXPECT_EQ(font.family(), QGuiApplication::font().family());
    EXPECT_GT(font.pixelSize(), 0);
    // A point-sized font is stored as pixels at 96 dpi: 9 pt is 12 px.
    QFont points = QGuiApplication::font();
    points.setPointSize(9);
    EXPECT_EQ(LogFontFromFont(points).lfHeight, -12);
    EXPECT_EQ(LogFontFromFont(points).lfFaceName, "");
}

} // namespace
} // namespace orb
