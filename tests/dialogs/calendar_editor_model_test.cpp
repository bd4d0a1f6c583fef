#include "dialogs/calendar_editor_model.h"
#include "dialogs/swatch_strip.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

TEST(CalendarEditorModel, ColoursAreWrittenToTheirOwnFieldAndTheColourIdOnlyFromASwatch)
{
    CalendarRecord calendar;
    calendar.description = "line one\nline two";
    calendar.colorId = "5";
    calendar.backgroundColor = "#16a765";
    CalendarEditorModel model(calendar);
    EXPECT_EQ(model.Fields().description, "line one\r\nline two");
    model.ConfirmColour(CalendarColourField::Foreground, MakeColorRef(255, 0, 0));
    EXPECT_EQ(calendar.foregroundColor, "#ff0000");
    EXPECT_EQ(calendar.backgroundColor, "#16a765");
    EXPECT_FALSE(model.backgroundChanged());

    model.Save(model.Fields());
    EXPECT_EQ(calendar.description, "line one\nline two");
    EXPECT_EQ(calendar.colorId, "5");
    model.SelectColour(24);
    model.Save(model.Fields());
    EXPECT_EQ(calendar.colorId, "24");
    EXPECT_EQ(model.SwatchColour(24), MakeColorRef(0xa4, 0x7a, 0xe2));
}

TEST(SwatchStrip, EventSwatchesFormOneRowAndCalendarSwatchesTwo)
{
    const SwatchStrip event = EventColourSwatches(110);
    ASSERT_EQ(event.Count(), 12);
    EXPECT_EQ(event.Rect(0), (PixelRect{110, 300, 125, 315}));
    EXPECT_EQ(event.Rect(11), (PixelRect{350, 300, 365, 315}));
    EXPECT_EQ(event.SeparatorX(), 137);
    const auto mark = event.CheckMark(1); // on (150, 300)-(165, 315)
    EXPECT_EQ(mark[1], (PixelPoint{155, 313}));
    EXPECT_EQ(mark[2], (PixelPoint{164, 302}));

    const SwatchStrip calendar = CalendarColourSwatches(110, 127);
    ASSERT_EQ(calendar.Count(), 25);
    EXPECT_EQ(calendar.Rect(0), (PixelRect{70, 132, 85, 147}));
    EXPECT_EQ(calendar.Rect(12), (PixelRect{330, 132, 345, 147}));
    EXPECT_EQ(calendar.Rect(13), (PixelRect{110, 152, 125, 167}));
    EXPECT_EQ(calendar.At(84, 146), 0);
    EXPECT_EQ(calendar.At(85, 140), -1) << "right and bottom edges are outside";
    EXPECT_EQ(calendar.At(112, 150), -1) << "between the rows";
}

} // namespace
} // namespace orb
