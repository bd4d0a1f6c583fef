#include "calendarview/date_value.h"
#include "calendarview/event_color.h"
#include "calendarview/month_text.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

TEST(DateValueTest, DayNumbersCountFromTheLastDaysOf1899)
{
    EXPECT_DOUBLE_EQ(DateValue::FromCivil(1899, 12, 30).value(), 0.0);
    EXPECT_DOUBLE_EQ(DateValue::FromCivil(1900, 1, 1).value(), 2.0);
    EXPECT_DOUBLE_EQ(DateValue::FromCivil(2000, 1, 1).value(), 36526.0);
    EXPECT_DOUBLE_EQ(DateValue::FromCivil(2000, 1, 1, 18, 0, 0).value(), 36526.75);
    // Before day 0 the fraction still counts forward from the (negative) day.
    EXPECT_DOUBLE_EQ(DateValue::FromCivil(1899, 12, 29, 6, 0, 0).value(), -1.25);
}

TEST(DateValueTest, MonthsHaveTheirGregorianLengths)
{
    EXPECT_EQ(DaysInMonth(2023, 1), 31);
    EXPECT_EQ(DaysInMonth(2023, 4), 30);
    EXPECT_EQ(DaysInMonth(2023, 12), 31);
    // Leap years: every fourth, but not a century unless it divides by 400.
    EXPECT_EQ(DaysInMonth(2023, 2), 28);
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(100, 2), 28);
    EXPECT_EQ(DaysInMonth(9996, 2), 29);
}

TEST(DateValueTest, AddingADayMovesAlongTheLinearScaleAcrossDayZero)
{
    const DateValue early = DateValue::FromCivil(1899, 12, 29, 6, 0, 0);
    EXPECT_EQ(early.AddDays(1), DateValue::FromCivil(1899, 12, 30, 6, 0, 0));
    EXPECT_EQ(early.AddDays(-1), DateValue::FromCivil(1899, 12, 28, 6, 0, 0));
    const LocalDateTime back = early.AddDays(-1).ToLocal();
    EXPECT_EQ(back, (LocalDateTime{1899, 12, 28, 6, 0, 0}));
    EXPECT_EQ(DateValue::FromCivil(2024, 2, 28).AddDays(1).Day(), 29);
    EXPECT_EQ(DateValue::FromCivil(2023, 2, 28).AddDays(1).Month(), 3);
    EXPECT_EQ(DateValue::FromCivil(2024, 12, 31).AddDays(1).Year(), 2025);
}

TEST(DateValueTest, EqualityAllowsHalfASecondAndNeverMatchesInvalid)
{
    const DateValue noon = DateValue::FromCivil(2024, 5, 3, 12, 0, 0);
    EXPECT_EQ(noon, DateValue(noon.value() + DateValue::kHalfSecond * 0.9, DateStatus::Valid));
    EXPECT_FALSE(noon == DateValue(noon.value() + DateValue::kHalfSecond * 1.1, DateStatus::Valid));
    EXPECT_FALSE(DateValue::MakeInvalid() == DateValue::MakeInvalid());
    EXPECT_EQ(DateValue::MakeNull(), DateValue::MakeNull());
    EXPECT_FALSE(DateValue::MakeNull() == DateValue());
}

TEST(DateValueTest, OrderingHoldsOnlyBetweenValidValues)
{
    const DateValue a = DateValue::FromCivil(2024, 5, 3);
    const DateValue b = DateValue::FromCivil(2024, 5, 4);
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(b > a);
    EXPECT_FALSE(a < DateValue::MakeInvalid());
    EXPECT_FALSE(DateValue::MakeInvalid() < a);
    EXPECT_FALSE(DateValue::MakeNull() > a);
}

TEST(DateValueTest, WeekdaysRunFromSundayOneToSaturdaySeven)
{
    EXPECT_EQ(DateValue::FromCivil(2024, 9, 1).DayOfWeek(), 1);
    EXPECT_EQ(DateValue::FromCivil(2024, 6, 1).DayOfWeek(), 7);
    EXPECT_EQ(DateValue::FromCivil(1899, 12, 30).DayOfWeek(), 7);
    EXPECT_EQ(DateValue::FromCivil(1899, 12, 24).DayOfWeek(), 1);
    EXPECT_EQ(DateValue::MakeInvalid().DayOfWeek(), -1);
    EXPECT_EQ(DateValue::MakeInvalid().Year(), -1);
}

TEST(DateValueTest, WholeDaysRoundHalfASecondAwayFromZero)
{
    const DateValue day = DateValue::FromCivil(2024, 5, 3);
    EXPECT_EQ(WholeDaysBetween(day, day.AddDays(1)), 1);
    EXPECT_EQ(WholeDaysBetween(day.AddDays(3), day), -3);
    EXPECT_EQ(WholeDaysBetween(day, DateValue(day.value() + 1 - DateValue::kHalfSecond / 2, DateStatus::Valid)), 1);
    EXPECT_EQ(WholeDaysBetween(day, DateValue::FromCivil(2024, 5, 3, 23, 0, 0)), 0);
    EXPECT_EQ(WholeDaysBetween(day, DateValue::MakeInvalid()), 0);
}

TEST(DateOfTextTest, ReadsTheDayOfDateAndDateTimeTexts)
{
    EXPECT_EQ(DateOfText("2024-02-29"), DateValue::FromCivil(2024, 2, 29));
    // Time and offset are dropped: the day at 00:00 is what the grid compares.
    EXPECT_EQ(DateOfText("2024-03-05T22:30:00+09:00"), DateValue::FromCivil(2024, 3, 5));
    EXPECT_EQ(DateOfText("2024-03-05T23:59:59Z").value(), DateValue::FromCivil(2024, 3, 5).value());
}

TEST(DateOfTextTest, TextsThatNameNoDayAreInvalid)
{
    for (const char* text : {"", "2024", "2024-03", "abcd-ef-gh", "2024-13-01", "2024-00-10", "2023-02-29",
                             "2024-04-31", "0000-01-01", "2024-x1-05"})
        EXPECT_FALSE(DateOfText(text).IsValid()) << text;
}

TEST(EventColorTest, PastColoursKeepTheHueAndFade)
{
    // Red and every grey share hue 0, so both fade to the same pink.
    EXPECT_EQ(PaleColorOf({255, 0, 0}), (RgbColor{240, 207, 207}));
    EXPECT_EQ(PaleColorOf({128, 128, 128}), (RgbColor{240, 207, 207}));
    EXPECT_EQ(PaleColorOf({225, 225, 225}), (RgbColor{240, 207, 207}));
    EXPECT_EQ(PaleColorOf({0, 255, 0}), (RgbColor{207, 240, 207}));
    EXPECT_EQ(PaleColorOf({0, 0, 255}), (RgbColor{207, 207, 240}));
}

TEST(EventColorTest, PackedFormRoundTripsPrimariesAndKeepsBlackBlack)
{
    EXPECT_EQ(PackHsv({0, 0, 0}), 0u);
    EXPECT_EQ(UnpackHsv(PackHsv({0, 0, 0})), (RgbColor{0, 0, 0}));
    EXPECT_EQ(UnpackHsv(PackHsv({255, 0, 0})), (RgbColor{255, 0, 0}));
    EXPECT_EQ(UnpackHsv(PackHsv({0, 0, 255})), (RgbColor{0, 0, 255}));
    EXPECT_EQ(UnpackHsv(PackHsv({90, 90, 90})), (RgbColor{90, 90, 90}));
    EXPECT_EQ(PackHsv({0, 0, 255}), (170u | 255u << 8 | 255u << 16));
}

TEST(EventColorTest, ColourTextsReadAsHexAfterTheFirstCharacter)
{
    EXPECT_EQ(ColorFromText("#A4BDFC"), (RgbColor{0xA4, 0xBD, 0xFC}));
    EXPECT_EQ(ColorFromText("#dc2127"), (RgbColor{0xDC, 0x21, 0x27}));
    EXPECT_EQ(ColorFromText(""), (RgbColor{0, 0, 0}));
    EXPECT_EQ(ColorFromText("#"), (RgbColor{0, 0, 0}));
    EXPECT_EQ(ColorFromText("#12zz56"), (RgbColor{0, 0, 0x12}));
}

TEST(MonthTextTest, CellLabelsNameTheMonthOnTheFirstAndOnTheFirstCell)
{
    EXPECT_EQ(CellDateText(DateValue::FromCivil(2024, 1, 1), false), "Jan 1");
    EXPECT_EQ(CellDateText(DateValue::FromCivil(2024, 5, 26), true), "May 26");
    EXPECT_EQ(CellDateText(DateValue::FromCivil(2024, 5, 27), false), "27");
    EXPECT_EQ(TodayLabel(DateValue::FromCivil(2012, 5, 3, 14, 0, 0)), "Today 2012-05-03");
    EXPECT_EQ(ShortWeekdayName(DateValue::FromCivil(2024, 9, 1)), "Sun");
}

} // namespace
} // namespace orb
