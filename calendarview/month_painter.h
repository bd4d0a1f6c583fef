#pragma once

#include "calendarview/month_layout.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPolygon>
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

// One piece of an event bar: a box with an arrow end where the event goes on in another week.
struct BarShape
{
    PixelRect rect;
    int tip = 0; // how far an arrow end reaches in
    bool startsHere = true;
    bool endsHere = true;
};

QPolygon BarOutline(const BarShape& shape);
// Fills and outlines a bar, pixel for pixel as QPainter::drawPolygon does with `pen` and a
// brush of `fill`, but several times faster for one-pixel pens.
void DrawBar(QPainter& painter, const BarShape& shape, const QColor& fill, const QPen& pen);

// Texts cut with an ellipsis to fit a width, kept from one paint to the next: cutting lays
// the whole text out, and a repaint cuts the same texts to the same widths.
class ElidedTextCache
{
public:
    // What the painter's font metrics make of `text` in `width` pixels.
    QString Elided(const QPainter& painter, const QString& text, int width);

private:
    // A month shows a few hundred texts; past this many the cache starts over.
    static constexpr qsizetype kMostTexts = 4096;

    QFont font_;
    int dpi_ = 0;
    qreal ratio_ = 0;
    QHash<QPair<QString, int>, QString> texts_;
};

// Draws a computed month layout into an image: header, weekday strip, cells, grid, bars,
// holiday labels and overflow boxes, in that order. Returns where "Today" was drawn.
QRect PaintMonth(QImage& image, const MonthLayout& layout, const MonthPaintState& state, ElidedTextCache& elided);

// The strip above the weekday names; a press there drags the calendar window.
constexpr int kHeaderHeight = 60;

} // namespace orb
