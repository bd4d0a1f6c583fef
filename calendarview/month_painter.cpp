#include "calendarview/month_painter.h"

#include "calendarview/event_color.h"
#include "calendarview/month_text.h"

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
constexpr const char* kOverflowFormat = "+%1 event";
constexpr int kSunday = 1;
constexpr int kSaturday = 7;

QColor ToQColor(const RgbColor& color)
{
    return QColor(color.red, color.green, color.blue);
}

QRect ToQRect(const PixelRect& rect)
{
    return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

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

// One line of text, cut with an ellipsis when `elide` and it does not fit.
void DrawText(QPainter& painter, const PixelRect& rect, const QString& text, int alignment, bool elide)
{
    const QRect box = ToQRect(rect);
    if (box.width() <= 0 || box.height() <= 0)
        return;
    const QString shown = elide ? painter.fontMetrics().elidedText(text, Qt::ElideRight, box.width()) : text;
    painter.drawText(box, alignment | Qt::TextSingleLine, shown);
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
             QString::number(state.displayDate.Year()), Qt::AlignLeft | Qt::AlignTop, false);
    DrawText(painter, header, QString::fromStdString(FullMonthName(state.displayDate)), Qt::AlignCenter, false);

    painter.setFont(WithPointSize(state.calendarFont, kTodayPointSize));
    const PixelRect today{header.right - kTodayWidth, header.top + kTodayTop, header.right, header.bottom};
    DrawText(painter, today, QString::fromStdString(TodayText(state.now)), Qt::AlignCenter, false);
    return ToQRect(today);
}

void PaintWeekdayStrip(QPainter& painter, const QRect& client, int lineHeight, const MonthPaintState& state)
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
        DrawText(painter, {x, b + 2, static_cast<int>(x + columnWidth), b + 2 + lineHeight},
                 QString::fromStdString(ShortWeekdayName(day)), Qt::AlignCenter, true);
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
                 QString::fromStdString(CellDateText(cell.date, k == 0)), Qt::AlignLeft | Qt::AlignTop, false);
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

void PaintHolidayLabel(QPainter& painter, const EventSegment& s, const EventEntry& entry, bool hovered)
{
    PixelRect label{s.left, s.top + 2, s.right, s.bottom};
    Fill(painter, label, hovered ? kBarHighlight : kHolidayFill);
    painter.setPen(ToQColor(hovered ? kBlack : kWhite));
    label.left += kLabelTextInset;
    DrawText(painter, label, QString::fromStdString(entry.event.summary), Qt::AlignLeft | Qt::AlignTop, true);
}

void PaintBar(QPainter& painter, const MonthLayout& layout, const EventSegment& s, const EventEntry& entry,
              RgbColor fill, RgbColor text, bool hovered)
{
    const bool startsHere = layout.cells()[static_cast<std::size_t>(s.startCell)].date == EventStartDay(entry.event);
    const bool endsHere = layout.cells()[static_cast<std::size_t>(s.endCell)].date == EventLastDay(entry.event);
    QPen pen(ToQColor(kBarOutline));
    if (hovered) {
        pen = QPen(ToQColor(kBlack), kHoverOutlineWidth);
        text = kBlack;
        fill = kBarHighlight;
    }
    painter.setPen(pen);
    painter.setBrush(ToQColor(fill));

    // A bar that goes on in another week points that way.
    const int d = (layout.lineHeight() - 2) / 2;
    const int l = s.left;
    const int t = s.top;
    const int rt = s.right;
    const int b = s.bottom;
    const int m = (t + b) / 2;
    QPolygon polygon;
    if (startsHere)
        polygon << QPoint(l, t + 1) << QPoint(l, b - 1);
    else
        polygon << QPoint(l + d, t + 1) << QPoint(l, m) << QPoint(l + d, b - 1);
    if (endsHere)
        polygon << QPoint(rt, b - 1) << QPoint(rt, t + 1);
    else
        polygon << QPoint(rt - d, b - 1) << QPoint(rt, m) << QPoint(rt - d, t + 1);
    painter.drawPolygon(polygon);
    painter.setBrush(Qt::NoBrush);

    painter.setPen(ToQColor(text));
    const int textLeft = l + kLabelTextInset + (startsHere ? 0 : kContinuedTextShift);
    DrawText(painter, {textLeft, t + 1, rt, b - 1}, QString::fromStdString(entry.event.summary),
             Qt::AlignLeft | Qt::AlignVCenter, true);
}

void PaintEvents(QPainter& painter, const MonthLayout& layout, const MonthPaintState& state)
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
                PaintHolidayLabel(painter, segment, *entry, hovered);
            else
                PaintBar(painter, layout, segment, *entry, fill, text, hovered);
        }
    }
}

void PaintOverflowBoxes(QPainter& painter, const MonthLayout& layout, const MonthPaintState& state)
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
                 QString(kOverflowFormat).arg(hidden), Qt::AlignLeft | Qt::AlignVCenter, true);
    }
}

} // namespace

int FontTextMeasurer::TextWidth(std::string_view text) const
{
    return QFontMetrics(font_).horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

QRect PaintMonth(QImage& image, const MonthLayout& layout, const MonthPaintState& state)
{
    const QRect client(QPoint(0, 0), image.deviceIndependentSize().toSize());
    QPainter painter(&image);
    painter.fillRect(client, Qt::white);
    const QRect todayRect = PaintHeader(painter, client, state);
    PaintWeekdayStrip(painter, client, layout.lineHeight(), state);
    PaintCells(painter, layout, state);
    PaintGrid(painter, layout);
    PaintEvents(painter, layout, state);
    PaintOverflowBoxes(painter, layout, state);
    return todayRect;
}

} // namespace orb
