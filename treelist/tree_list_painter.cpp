#include "treelist/tree_list_painter.h"

#include "treelist/tree_list_style.h"
#include "widgets/pixel_rect_qt.h"

#include <QFontMetrics>
#include <QPainter>

namespace orb {

namespace {
constexpr int kBoxSize = 11;
constexpr int kBoxMark = 5;
constexpr int kLockBodyWidth = 6;
constexpr int kLockBodyHeight = 4;
constexpr int kLockShackleHeight = 3;
const QColor kTodayColour(kTodayYellow.r, kTodayYellow.g, kTodayYellow.b);

Rgb ToRgb(const QColor& colour)
{
    return {colour.red(), colour.green(), colour.blue()};
}

} // namespace

Qt::Alignment CellAlignment(std::uint32_t format)
{
    Qt::Alignment alignment = Qt::AlignLeft;
    if (format & tlc::kAlignRight)
        alignment = Qt::AlignRight;
    else if (format & tlc::kAlignCentre)
        alignment = Qt::AlignHCenter;
    if (format & tlc::kAlignTop)
        alignment |= Qt::AlignTop;
    else if (format & tlc::kAlignBottom)
        alignment |= Qt::AlignBottom;
    else
        alignment |= Qt::AlignVCenter;
    return alignment;
}

namespace {
// A square centred in a piece's rectangle.
QRect CentredSquare(const TreeListRect& area, int size)
{
    return {area.left + (area.Width() - size) / 2, area.top + (area.Height() - size) / 2, size, size};
}
} // namespace

QColor TreeListPainter::DimmedColour() const
{
    const Rgb dimmed = orb::DimmedColour(ToRgb((*c_.colours)[0]), ToRgb((*c_.textColours)[4]));
    return {dimmed.r, dimmed.g, dimmed.b};
}

TreeListPainter::RowLook TreeListPainter::LookOfRow(const CTreeListItem& item) const
{
    const auto& colours = *c_.colours;
    const auto& texts = *c_.textColours;
    if (!item.HasState(tli::kSelected))
        return {std::nullopt, texts[4]};
    const bool multi = c_.model->HasStyle(tls::kMultiSelect);
    if (c_.focused) {
        if (&item == c_.model->FirstSelected())
            return {colours[9], texts[1]};
        return {multi ? colours[8] : colours[9], texts[0]};
    }
    const bool fill =
        c_.model->HasStyle(tls::kUnfocusedSelectionFill) && !c_.model->HasStyle(tls::kNoUnfocusedSelectionFill);
    return {fill ? std::optional<QColor>(colours[11]) : std::nullopt, texts[3]};
}

bool TreeListPainter::IsFocusedCell(const CTreeListItem& item, int column) const
{
    return c_.focused && c_.model->HasStyle(tls::kFocusedCell) && &item == c_.model->FocusedItem() &&
           column == c_.model->FocusedColumn();
}

CellContent TreeListPainter::DescribeCell(const CTreeListItem& item, int row, const TreeListColumnSpan& span) const
{
    CellContent content;
    const TreeListRect textRect = c_.layout->TextRect(item, row, span, c_.model->Style());
    content.textRect = ToQRect(textRect);
    const std::string& text = c_.model->ItemText(&item, span.column);
    std::string_view shown = text;
    if (span.column == 0) {
        if (const auto prefix = ParseColourPrefix(text)) {
            content.bar = QRect(textRect.left + kColourBarLeft, textRect.top + kColourBarInset,
                                kColourBarRight - kColourBarLeft, textRect.Height() - 2 * kColourBarInset);
            content.barColour = QColor(prefix->colour.r, prefix->colour.g, prefix->colour.b);
            content.textRect.setLeft(textRect.left + kColourLabelOffset);
            content.look = PrefixedLabelLook(c_.model->GetCheck(&item), c_.model->ItemText(&item, 1), c_.today);
            shown = prefix->label;
        }
    } else if (span.column == 1) {
        content.look = DueCellLook(text, c_.today, c_.dueHide);
    }
    content.text = QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size()));
    return content;
}

void TreeListPainter::Paint(QImage& image) const
{
    QPainter painter(&image);
    const auto& colours = *c_.colours;
    const bool colour0 = c_.model->HasStyle(tls::kBackgroundColour0);
    const QColor background = c_.enabled ? colours[colour0 ? 0 : 1] : colours[colour0 ? 4 : 5];
    if (c_.model->HasStyle(tls::kBackgroundImage) && c_.background && !c_.background->isNull())
        painter.drawTiledPixmap(image.rect(), *c_.background);
    else
        painter.fillRect(image.rect(), background);

    const TreeListLayout& layout = *c_.layout;
    const int height = layout.Metrics().height;
    int row = layout.TopRow();
    for (const CTreeListItem* item = c_.model->ItemAtRow(row); item && layout.RowTop(row) < height;
         item = c_.model->NextVisible(item), ++row) {
        PaintRow(painter, *item, row);
    }
}

void TreeListPainter::PaintRow(QPainter& painter, const CTreeListItem& item, int row) const
{
    const TreeListLayout& layout = *c_.layout;
    const int width = layout.Metrics().width;
    const RowLook look = LookOfRow(item);
    const int top = layout.RowTop(row);
    if (look.fill)
        painter.fillRect(QRect(0, top, width, layout.Metrics().rowHeight), *look.fill);

    for (const TreeListColumnSpan& span : layout.Columns()) {
        if (span.right <= span.left || span.right <= 0 || span.left >= width)
            continue;
        const QRect cell = ToQRect(layout.CellRect(row, span));
        painter.setClipRect(cell);
        QColor text = look.text;
        if (IsFocusedCell(item, span.column)) {
            painter.fillRect(cell, (*c_.colours)[10]);
            text = (*c_.textColours)[2];
        }
        if (layout.IsFirstShown(span)) {
            const FirstCellParts parts =
                ComputeFirstCellParts(item, c_.model->Style(), span.left, top, layout.Metrics().rowHeight);
            PaintFirstCellParts(painter, item, parts, text);
        }
        PaintText(painter, DescribeCell(item, row, span), span.column, text);
    }
    painter.setClipping(false);
}

void TreeListPainter::PaintFirstCellParts(QPainter& painter, const CTreeListItem& item, const FirstCellParts& parts,
                                          const QColor& colour) const
{
    painter.setPen(colour);
    painter.setBrush(Qt::NoBrush);
    if (!parts.button.IsEmpty()) {
        const QRect box = ToQRect(parts.button);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        const int middleY = box.top() + box.height() / 2;
        const int middleX = box.left() + box.width() / 2;
        painter.drawLine(box.left() + 2, middleY, box.right() - 2, middleY);
        if (!item.IsExpanded())
            painter.drawLine(middleX, box.top() + 2, middleX, box.bottom() - 2);
    }
    if (!parts.checkBox.IsEmpty()) {
        const QRect box = CentredSquare(parts.checkBox, kBoxSize);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        const int state = c_.model->GetCheck(&item);
        if (state == 1) {
            const QPoint tick[] = {
                {box.left() + 2, box.top() + 5}, {box.left() + 4, box.top() + 7}, {box.left() + 8, box.top() + 3}};
            painter.drawPolyline(tick, 3);
        } else if (state == 2) {
            painter.fillRect(QRect(box.left() + 3, box.top() + 3, kBoxMark, kBoxMark), colour);
        }
    }
    if (!parts.lockBox.IsEmpty()) {
        const QRect area = ToQRect(parts.lockBox);
        const int bodyTop = area.top() + area.height() / 2 - 1;
        const QRect body(area.left() + 1, bodyTop, kLockBodyWidth, kLockBodyHeight);
        const int state = c_.model->GetLock(&item);
        if (state == 0)
            painter.drawRect(body.adjusted(0, 0, -1, -1));
        else
            painter.fillRect(body, colour);
        // A closed shackle when locked, raised when not, half when partly.
        const int lift = state == 1 ? 0 : (state == 2 ? 1 : 2);
        const int shackleTop = bodyTop - kLockShackleHeight - lift;
        painter.drawLine(body.left() + 1, shackleTop, body.right() - 1, shackleTop);
        painter.drawLine(body.left() + 1, shackleTop, body.left() + 1, bodyTop - 1 - (state == 1 ? 0 : lift));
        painter.drawLine(body.right() - 1, shackleTop, body.right() - 1, bodyTop - 1);
    }
    if (!parts.image.IsEmpty() && c_.images) {
        const bool selected = item.HasState(tli::kSelected);
        const int index = item.IsExpanded() ? (selected ? item.expandedSelectedImage : item.expandedImage)
                                            : (selected ? item.selectedImage : item.image);
        if (index >= 0 && static_cast<std::size_t>(index) < c_.images->size())
            painter.drawPixmap(CentredSquare(parts.image, tlg::kImageWidth), (*c_.images)[index]);
    }
}

void TreeListPainter::PaintText(QPainter& painter, const CellContent& content, int column, const QColor& rowText) const
{
    if (content.bar)
        painter.fillRect(*content.bar, content.barColour);
    QColor colour = rowText;
    const QFont* font = &c_.font;
    switch (content.look) {
    case CellLook::Nothing:
        return;
    case CellLook::Dimmed:
        colour = DimmedColour();
        break;
    case CellLook::Today:
        colour = kTodayColour;
        font = &c_.boldFont;
        break;
    case CellLook::Normal:
        break;
    }
    if (content.text.isEmpty() || content.textRect.width() <= 0)
        return;
    const QFontMetrics metrics(*font);
    const QString elided = metrics.elidedText(content.text, Qt::ElideRight, content.textRect.width());
    const CTreeListColumnInfo* info = c_.model->Column(column);
    painter.setFont(*font);
    painter.setPen(colour);
    painter.drawText(content.textRect, static_cast<int>(CellAlignment(info ? info->format : 0)) | Qt::TextSingleLine,
                     elided);
}

} // namespace orb
