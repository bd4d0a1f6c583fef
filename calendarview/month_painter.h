#pragma once

#include "calendarview/month_layout.h"

#include <QFont>
#include <QImage>
#include <QRect>

namespace orb {

// Measures with a given font; the view measures the holiday offset in the system font.
class FontTextMeasurer : public TextMeasurer
{
public:
    explicit FontTextMeasurer(QFont font) : font_(std::move(font)) {}
    int TextWidth(std::string_view text) const override;

private:
    QFont font_;
};

// Everything besides the layout that decides how the month looks.
struct MonthPaintState
{
    DateValue displayDate;
    DateValue selectedDate;
    DateValue now;
    int hoverEvent = -1;
    int hoverMoreCell = -1;
    int rowCount = kMaxWeekRows;
    bool rangeActive = false;
    int rangeStartCell = -1;
    int rangeEndCell = -1;
    QFont calendarFont;
};

// Draws a computed month layout into an image: header, weekday strip, cells, grid, bars,
// holiday labels and overflow boxes, in that order. Returns where "Today" was drawn.
QRect PaintMonth(QImage& image, const MonthLayout& layout, const MonthPaintState& state);

// The strip above the weekday names; a press there drags the calendar window.
constexpr int kHeaderHeight = 60;

} // namespace orb
