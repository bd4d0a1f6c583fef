#include "calendarview/month_painter.h"

#include "calendarview/event_color_qt.h"
#include "calendarview/month_text.h"
#include "translations/qt_text.h"
#include "widgets/pixel_rect_qt.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

namespace orb {

namespace {

constexpr RgbColor kWhite{255, 255, 255};
constexpr RgbColor kBlack{0, 0, 0};
constexpr RgbColor kHeaderFill{0, 0, 100};
constexpr RgbColor kWeekdayStripFill{255, 255, 250};
constexpr RgbColor kWeekdaySeparator{172, 168, 153};
constexpr RgbColor kSundayText{230, 0, 0};
constexpr RgbColor kSaturdayText{0, 0, 200};
constexpr RgbColor kWeekdayText{30, 30, 30};
constexpr RgbColor kOtherMonthSundayText{230, 128, 128};
constexpr RgbColor kOtherMonthSaturdayText{128, 128, 200};
constexpr RgbColor kOtherMonthWeekdayText{150, 150, 150};
constexpr RgbColor kTodayFill{220, 220, 220};
constexpr RgbColor kSelectionFrame{255, 0, 0};
constexpr RgbColor kRangeFill{255, 100, 0};
constexpr RgbColor kGridLine{150, 150, 150};
constexpr RgbColor kHolidayFill{200, 0, 0};
constexpr RgbColor kOverflowText{50, 50, 100};

constexpr int kTitlePointSize = 20;
constexpr int kTodayPointSize = 10;
constexpr int kYearInset = 10;
constexpr int kTodayWidth = 150;
constexpr int kTodayTop = 30;
constexpr int kWeekdayColumns = 8; // the eighth lies past the right edge; only its separator can show
constexpr int kSelectionFrameWidth = 2;
constexpr int kHoverOutlineWidth = 2;
constexpr int kLabelTextInset = 4;
constexpr int kContinuedTextShift = 10;
constexpr int kDateTextInset = 5;
constexpr int kDateTextTop = 2;
constexpr int kDateTextBottom = 8;
// Bars lower than this have no room between their top and bottom edges.
constexpr int kFewestPiecewiseHeight = 3;
constexpr const char* kOverflowFormat = ORB_TEXT("OrbCalender", "+%1 event");
constexpr int kSunday = 1;
constexpr int kSaturday = 7;

void Fill(QPainter& painter, const PixelRect& rect, const RgbColor& color)
{
    if (rect.right > rect.left && rect.bottom > rect.top)
        painter.fillRect(ToQRect(rect), ToQColor(color));
}

// An outline `width` pixels thick drawn inside the rectangle.
void Frame(QPainter& painter, const PixelRect& rect, int width, const RgbColor& color)
{
    Fill(painter, {rect.left, rect.top, rect.right, rect.top + width}, color);
    Fill(painter, {rect.left, rect.bottom - width, rect.right, rect.bottom}, color);
    Fill(painter, {rect.left, rect.top, rect.left + width, rect.bottom}, color);
    Fill(painter, {rect.right - width, rect.top, rect.right, rect.bottom}, color);
}

// One line of text, cut with an ellipsis when given the texts to cut with and it does not fit.
void DrawText(QPainter& painter, const PixelRect& rect, const QString& text, int alignment,
              ElidedTextCache* elide = nullptr)
{
    const QRect box = ToQRect(rect);
    if (box.width() <= 0 || box.height() <= 0)
        return;
    painter.drawText(box, alignment | Qt::TextSingleLine, elide ? elide->Elided(painter, text, box.width()) : text);
}

RgbColor DayTextColor(const DateValue& date, bool otherMonth)
{
    const int weekday = date.DayOfWeek();
    if (weekday == kSunday)
        return otherMonth ? kOtherMonthSundayText : kSundayText;
    if (weekday == kSaturday)
        return otherMonth ? kOtherMonthSaturdayText : kSaturdayText;
    return otherMonth ? kOtherMonthWeekdayText : kWeekdayText;
}

QFont WithPointSize(const QFont& font, int points)
{
    QFont sized = font;
    sized.setPointSize(points);
    return sized;
}

QRect PaintHeader(QPainter& painter, const QRect& client, const MonthPaintState& state)
{
    const PixelRect header{client.left(), client.top(), client.right() + 1, client.top() + kHeaderHeight};
    Fill(painter, header, kHeaderFill);
    painter.setPen(ToQColor(kWhite));

    painter.setFont(WithPointSize(state.calendarFont, kTitlePointSize));
    DrawText(painter, {header.left + kYearInset, header.top + kYearInset, header.right, header.bottom},
             QString::number(state.displayDate.Year()), Qt::AlignLeft | Qt::AlignTop);
    DrawText(painter, header, QString::fromStdString(FullMonthName(state.displayDate)), Qt::AlignCenter);

    painter.setFont(WithPointSize(state.calendarFont, kTodayPointSize));
    const PixelRect today{header.right - kTodayWidth, header.top + kTodayTop, header.right, header.bottom};
    DrawText(painter, today, QString::fromStdString(TodayLabel(state.now)), Qt::AlignCenter);
    return ToQRect(today);
}

void PaintWeekdayStrip(QPainter& painter, const QRect& client, int lineHeight, const MonthPaintState& state,
                       ElidedTextCache& elided)
{
    const int a = client.left();
    const int b = kHeaderHeight;
    const int c = client.right() + 1;
    Fill(painter, {a, b, c, b + lineHeight}, kWeekdayStripFill);
    painter.setFont(state.calendarFont);
    const auto columnWidth = static_cast<float>((c - a) / 7.0);
    // Always the weekdays of the month's first week, whatever the row count.
    DateValue day = FirstShownDay(state.displayDate, kMaxWeekRows);
    for (int i = 0; i < kWeekdayColumns; ++i) {
        const auto x = static_cast<int>(a + i * columnWidth);
        painter.setPen(ToQColor(DayTextColor(day, false)));
        // Kept inside the strip: a taller fallback face (Hangul under a Latin font) would
        // otherwise lose its bottom under the first row of cells.
        DrawText(painter, {x, b + 1, static_cast<int>(x + columnWidth), b + lineHeight},
                 QString::fromStdString(ShortWeekdayName(day)), Qt::AlignCenter, &elided);
        Fill(painter, {x, b + 2, x + 1, b + lineHeight - 2}, kWeekdaySeparator);
        day = day.AddDays(1);
    }
}

void PaintCells(QPainter& painter, const MonthLayout& layout, const MonthPaintState& state)
{
    painter.setFont(state.calendarFont);
    const DateValue today = state.now.DateOnly();
    const auto columnWidth = static_cast<float>((layout.grid().right - layout.grid().left) / 7.0);
    const int rangeLow = std::min(state.rangeStartCell, state.rangeEndCell);
    const int rangeHigh = std::max(state.rangeStartCell, state.rangeEndCell);
    const auto& cells = layout.cells();
    for (int k = 0; k < static_cast<int>(cells.size()); ++k) {
        const DayCell& cell = cells[static_cast<std::size_t>(k)];
        const PixelRect& r = cell.rect;
        const bool isToday = cell.date == today;
        if (isToday)
            Fill(painter, {r.left + 1, r.top + 1, r.right + 1, r.bottom + 1}, kTodayFill);
        if (cell.date == state.selectedDate && !state.rangeActive)
            Frame(painter, {r.left, r.top, r.right + 2, r.bottom + 2}, kSelectionFrameWidth, kSelectionFrame);

        // Other months fade only in the month view; a week view has no "other" month.
        const bool otherMonth =
            state.rowCount == kMaxWeekRows && cell.date.Month() != state.displayDate.Month() && !isToday;
        painter.setPen(ToQColor(DayTextColor(cell.date, otherMonth)));

        if (state.rangeActive && state.rangeStartCell >= 0 && state.rangeEndCell >= 0 && rangeLow <= k &&
            k <= rangeHigh)
            Fill(painter, {r.left, r.top, static_cast<int>(r.left + columnWidth), r.top + layout.lineHeight()},
                 kRangeFill);

        DrawText(painter,
                 {r.left + kDateTextInset, r.top + kDateTextTop, r.right - kDateTextInset, r.bottom - kDateTextBottom},
                 QString::fromStdString(CellDateText(cell.date, k == 0)), Qt::AlignLeft | Qt::AlignTop);
    }
}

void PaintGrid(QPainter& painter, const MonthLayout& layout)
{
    const PixelRect& g = layout.grid();
    const auto columnWidth = static_cast<float>((g.right - g.left) / 7.0);
    const double rowHeight = static_cast<double>(g.bottom - g.top) / layout.rowCount();
    for (int i = 0; i < kDaysPerWeek; ++i) {
        const auto x = static_cast<int>(g.left + i * columnWidth);
        Fill(painter, {x, g.top, x + 1, g.bottom}, kGridLine);
    }
    Fill(painter, {g.right - 1, g.top, g.right, g.bottom}, kGridLine);
    for (int i = 0; i < kMaxWeekRows; ++i) {
        const auto y = static_cast<int>(g.top + i * rowHeight);
        Fill(painter, {g.left, y, g.right, y + 1}, kGridLine);
    }
    Fill(painter, {g.left, g.bottom - 1, g.right, g.bottom}, kGridLine);
}

void PaintHolidayLabel(QPainter& painter, const EventSegment& s, const EventEntry& entry, bool hovered,
                       ElidedTextCache& elided)
{
    PixelRect label{s.left, s.top + 2, s.right, s.bottom};
    Fill(painter, label, hovered ? kBarHighlight : kHolidayFill);
    painter.setPen(ToQColor(hovered ? kBlack : kWhite));
    label.left += kLabelTextInset;
    DrawText(painter, label, QString::fromStdString(entry.event.summary), Qt::AlignLeft | Qt::AlignTop, &elided);
}

void PaintBar(QPainter& painter, const MonthLayout& layout, const EventSegment& s, const EventEntry& entry,
              RgbColor fill, RgbColor text, bool hovered, ElidedTextCache& elided)
{
    const bool startsHere = layout.cells()[static_cast<std::size_t>(s.startCell)].date == EventStartDay(entry.event);
    const bool endsHere = layout.cells()[static_cast<std::size_t>(s.endCell)].date == EventLastDay(entry.event);
    QPen pen(ToQColor(kBarOutline));
    if (hovered) {
        pen = QPen(ToQColor(kBlack), kHoverOutlineWidth);
        text = kBlack;
        fill = kBarHighlight;
    }
    // A bar that goes on in another week points that way.
    DrawBar(painter, {s.Rect(), (layout.lineHeight() - 2) / 2, startsHere, endsHere}, ToQColor(fill), pen);

    painter.setPen(ToQColor(text));
    const int textLeft = s.left + kLabelTextInset + (startsHere ? 0 : kContinuedTextShift);
    DrawText(painter, {textLeft, s.top + 1, s.right, s.bottom - 1}, QString::fromStdString(entry.event.summary),
             Qt::AlignLeft | Qt::AlignVCenter, &elided);
}

void PaintEvents(QPainter& painter, const MonthLayout& layout, const MonthPaintState& state, ElidedTextCache& elided)
{
    painter.setFont(state.calendarFont);
    for (const EventPlacement& placement : layout.placements()) {
        const EventEntry* entry = layout.Event(placement.eventIndex);
        if (entry == nullptr || placement.hidden)
            continue;
        RgbColor fill = ColorFromText(entry->event.colorText);
        RgbColor text = kBarText;
        // Past from midnight of the end day: for all-day events the day after the last.
        if (state.now > EventEndDay(entry->event)) {
            fill = PaleColorOf(fill);
            text = kPastBarText;
        }
        const bool hovered = placement.eventIndex == state.hoverEvent;
        for (const EventSegment& segment : placement.segments) {
            if (segment.holiday)
                PaintHolidayLabel(painter, segment, *entry, hovered, elided);
            else
                PaintBar(painter, layout, segment, *entry, fill, text, hovered, elided);
        }
    }
}

void PaintOverflowBoxes(QPainter& painter, const MonthLayout& layout, const MonthPaintState& state,
                        ElidedTextCache& elided)
{
    for (int k = 0; k < static_cast<int>(layout.cells().size()); ++k) {
        const int hidden = layout.HiddenCount(k);
        if (hidden == 0 || layout.cells()[static_cast<std::size_t>(k)].lineTaken.empty())
            continue;
        const PixelRect box = layout.OverflowBox(k);
        Fill(painter, box, kWhite);
        if (k == state.hoverMoreCell)
            Frame(painter, box, kHoverOutlineWidth, kBlack);
        else
            Frame(painter, box, 1, kBarOutline);
        painter.setPen(ToQColor(kOverflowText));
        DrawText(painter, {box.left + kLabelTextInset, box.top, box.right, box.bottom},
                 UiText(kOverflowFormat).arg(hidden), Qt::AlignLeft | Qt::AlignVCenter, &elided);
    }
}

} // namespace

QPolygon BarOutline(const BarShape& shape)
{
    const PixelRect& r = shape.rect;
    const int d = shape.tip;
    const int m = (r.top + r.bottom) / 2;
    QPolygon polygon;
    if (shape.startsHere)
        polygon << QPoint(r.left, r.top + 1) << QPoint(r.left, r.bottom - 1);
    else
        polygon << QPoint(r.left + d, r.top + 1) << QPoint(r.left, m) << QPoint(r.left + d, r.bottom - 1);
    if (shape.endsHere)
        polygon << QPoint(r.right, r.bottom - 1) << QPoint(r.right, r.top + 1);
    else
        polygon << QPoint(r.right - d, r.bottom - 1) << QPoint(r.right, m) << QPoint(r.right - d, r.top + 1);
    return polygon;
}

void DrawBar(QPainter& painter, const BarShape& shape, const QColor& fill, const QPen& pen)
{
    const PixelRect& r = shape.rect;
    const int tips = (shape.startsHere ? 0 : shape.tip) + (shape.endsHere ? 0 : shape.tip);
    const QPolygon outline = BarOutline(shape);
    painter.setBrush(fill);
    // Only shapes like these were found to come out the same piece by piece, pixel for pixel.
    if (pen.widthF() != 1 || !painter.deviceTransform().isIdentity() || r.Height() < kFewestPiecewiseHeight ||
        r.Width() < tips + 2) {
        painter.setPen(pen);
        painter.drawPolygon(outline);
        painter.setBrush(Qt::NoBrush);
        return;
    }
    painter.setPen(Qt::NoPen);
    painter.drawPolygon(outline);
    painter.setBrush(Qt::NoBrush);

    // The stroker draws a pixel at a time; the long straight edges go as rectangles, and
    // around each arrow it draws the same turns as in the whole outline.
    const QColor line = pen.color();
    const int top = r.top + 1;
    const int bottom = r.bottom - 1;
    const int middle = (r.top + r.bottom) / 2;
    const int left = shape.startsHere ? r.left : r.left + shape.tip + 1;
    const int right = shape.endsHere ? r.right : r.right - shape.tip - 1;
    painter.fillRect(QRect(left, top, right - left + 1, 1), line);
    painter.fillRect(QRect(left, bottom, right - left + 1, 1), line);
    painter.setPen(pen);
    if (shape.startsHere)
        painter.fillRect(QRect(r.left, top, 1, bottom - top + 1), line);
    else
        painter.drawPolyline(
            QPolygon{{left, bottom}, {left - 1, bottom}, {r.left, middle}, {left - 1, top}, {left, top}});
    if (shape.endsHere)
        painter.fillRect(QRect(r.right, top, 1, bottom - top + 1), line);
    else
        painter.drawPolyline(
            QPolygon{{right, bottom}, {right + 1, bottom}, {r.right, middle}, {right + 1, top}, {right, top}});
}

int FontTextMeasurer::TextWidth(std::string_view text) const
{
    return QFontMetrics(font_).horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

QString ElidedTextCache::Elided(const QPainter& painter, const QString& text, int width)
{
    // Another font or screen measures differently.
    const QPaintDevice* device = painter.device();
    if (painter.font() != font_ || device->logicalDpiY() != dpi_ || device->devicePixelRatioF() != ratio_ ||
        texts_.size() >= kMostTexts) {
        texts_.clear();
        font_ = painter.font();
        dpi_ = device->logicalDpiY();
        ratio_ = device->devicePixelRatioF();
    }
    const QPair<QString, int> key(text, width);
    auto found = texts_.constFind(key);
    if (found == texts_.cend())
        found = texts_.insert(key, painter.fontMetrics().elidedText(text, Qt::ElideRight, width));
    return *found;
}

QRect PaintMonth(QImage& image, const MonthLayout& layout, const MonthPaintState& state, ElidedTextCache& elided)
{
    const QRect client(QPoint(0, 0), image.deviceIndependentSize().toSize());
    QPainter painter(&image);
    painter.fillRect(client, Qt::white);
    const QRect todayRect = PaintHeader(painter, client, state);
    PaintWeekdayStrip(painter, client, layout.lineHeight(), state, elided);
    PaintCells(painter, layout, state);
    PaintGrid(painter, layout);
    PaintEvents(painter, layout, state, elided);
    PaintOverflowBoxes(painter, layout, state, elided);
    return todayRect;
}

} // namespace orb
