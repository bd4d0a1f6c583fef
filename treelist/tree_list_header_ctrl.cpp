#include "treelist/tree_list_header_ctrl.h"

#include "treelist/tree_list_ctrl.h"
#include "treelist/tree_list_painter.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <cstdlib>

namespace orb {

namespace {
const QColor kHeaderLine(80, 80, 80);
const QColor kHeaderText(200, 200, 200);
const QColor kDropMarker(0, 255, 0);
constexpr int kBoundaryGrab = 3; // pixels either side of a boundary that grab it
constexpr int kTextInset = 4;
constexpr int kDropMarkerWidth = 2;
} // namespace

CTreeListHeaderCtrl::CTreeListHeaderCtrl(CTreeListCtrl* tree) : QWidget(tree), tree_(tree)
{
    setObjectName(QString::fromLatin1(kTreeListHeaderName));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CTreeListHeaderCtrl::SetFlags(std::uint32_t flags)
{
    flags_ = flags;
    update();
}

int CTreeListHeaderCtrl::ColumnAtPosition(int position) const
{
    return tree_->Layout().Columns()[static_cast<std::size_t>(position)].column;
}

int CTreeListHeaderCtrl::BoundaryAt(int x) const
{
    // The nearest boundary wins; of boundaries at the same place (zero-width columns)
    // the leftmost, so that hidden data columns are not pulled open by accident.
    const auto& columns = tree_->Layout().Columns();
    int best = -1;
    int bestDistance = kBoundaryGrab + 1;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int distance = std::abs(columns[i].right - x);
        if (distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

int CTreeListHeaderCtrl::PositionAt(int x) const
{
    const auto& columns = tree_->Layout().Columns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (x >= columns[i].left && x < columns[i].right)
            return static_cast<int>(i);
    }
    return -1;
}

QImage CTreeListHeaderCtrl::RenderImage() const
{
    QImage image(size(), QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(image.rect(), kFaceColour);
    painter.setFont(tree_->ListFont());
    const QFontMetrics metrics(tree_->ListFont());
    for (const TreeListColumnSpan& span : tree_->Layout().Columns()) {
        if (span.right <= span.left)
            continue;
        const CTreeListColumnInfo* info = tree_->Model().Column(span.column);
        const QRect cell(span.left, 0, span.right - span.left, height());
        const QRect textRect = cell.adjusted(kTextInset, 0, -kTextInset, 0);
        const Qt::Alignment alignment = (CellAlignment(info->format) & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter;
        painter.setPen(kHeaderText);
        painter.drawText(textRect, static_cast<int>(alignment) | Qt::TextSingleLine,
                         metrics.elidedText(QString::fromStdString(info->text), Qt::ElideRight, textRect.width()));
        painter.setPen(kHeaderLine);
        painter.drawLine(cell.right(), 2, cell.right(), height() - 3);
    }
    painter.setPen(kHeaderLine);
    painter.drawLine(0, height() - 1, width(), height() - 1);
    if (moving_ && dropPosition_ >= 0) {
        const auto& columns = tree_->Layout().Columns();
        const int x = columns[static_cast<std::size_t>(dropPosition_)].left;
        painter.fillRect(QRect(x, 0, kDropMarkerWidth, height()), kDropMarker);
    }
    return image;
}

void CTreeListHeaderCtrl::paintEvent(QPaintEvent*)
{
    QPainter(this).drawImage(0, 0, RenderImage());
}

void CTreeListHeaderCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int x = static_cast<int>(event->position().x());
    pressX_ = x;
    moving_ = false;
    dragPosition_ = BoundaryAt(x);
    if (dragPosition_ >= 0) {
        drag_ = Drag::Resize;
        return;
    }
    dragPosition_ = PositionAt(x);
    drag_ = dragPosition_ >= 0 ? Drag::Move : Drag::None;
}

void CTreeListHeaderCtrl::mouseMoveEvent(QMouseEvent* event)
{
    const int x = static_cast<int>(event->position().x());
    if (drag_ == Drag::None) {
        setCursor(BoundaryAt(x) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
        return;
    }
    if (drag_ == Drag::Resize) {
        const int column = ColumnAtPosition(dragPosition_);
        const CTreeListColumnInfo* info = tree_->Model().Column(column);
        const int left = tree_->Layout().Columns()[static_cast<std::size_t>(dragPosition_)].left;
        tree_->SetColumnWidth(column, std::max(0, x - left), info->minWidth, info->maxWidth);
        return;
    }
    if (!moving_ && std::abs(x - pressX_) < QApplication::startDragDistance())
        return;
    moving_ = true;
    const int position = PositionAt(x);
    dropPosition_ = position >= 0 ? position : static_cast<int>(tree_->Layout().Columns().size()) - 1;
    update();
}

void CTreeListHeaderCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (drag_ == Drag::Move && moving_ && dropPosition_ >= 0 && dropPosition_ != dragPosition_)
        tree_->MoveShownColumn(dragPosition_, dropPosition_);
    drag_ = Drag::None;
    moving_ = false;
    dropPosition_ = -1;
    update();
}

void CTreeListHeaderCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int position = BoundaryAt(static_cast<int>(event->position().x()));
    if (position < 0)
        return;
    const int column = ColumnAtPosition(position);
    const CTreeListColumnInfo* info = tree_->Model().Column(column);
    tree_->SetColumnWidth(column, tlaw::kFromHeader, info->minWidth, info->maxWidth);
}

} // namespace orb
