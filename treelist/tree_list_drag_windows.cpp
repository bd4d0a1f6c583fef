#include "treelist/tree_list_drag_windows.h"

#include <QPainter>
#include <QPolygon>

namespace orb {

namespace {
constexpr qreal kDragOpacity = 0.6;
constexpr int kMarkerAlpha = 200;
constexpr int kMarkerWidth = 8;
constexpr int kMarkerHeight = 10;

void MakeFeedbackWindow(QWidget* window)
{
    window->setAttribute(Qt::WA_TransparentForMouseEvents);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setFocusPolicy(Qt::NoFocus);
}

// A tool-tip window is never activated, not even by the offscreen platform.
constexpr Qt::WindowFlags kFeedbackFlags =
    Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput;
} // namespace

CTLCDragWnd::CTLCDragWnd(const QImage& rows, QWidget* owner) : QWidget(owner, kFeedbackFlags), image_(rows)
{
    MakeFeedbackWindow(this);
    resize(image_.size());
}

void CTLCDragWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setOpacity(kDragOpacity);
    painter.drawImage(0, 0, image_);
}

CTLCDropWnd::CTLCDropWnd(const QColor& colour, QWidget* owner) : QWidget(owner, kFeedbackFlags), colour_(colour)
{
    MakeFeedbackWindow(this);
    resize(kMarkerWidth, kMarkerHeight);
}

void CTLCDropWnd::PointAt(const QPoint& rowLeftMiddle)
{
    move(rowLeftMiddle.x(), rowLeftMiddle.y() - kMarkerHeight / 2);
}

void CTLCDropWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = colour_;
    fill.setAlpha(kMarkerAlpha);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPolygon(QPolygon({QPoint(0, 0), QPoint(kMarkerWidth, kMarkerHeight / 2), QPoint(0, kMarkerHeight)}));
}

} // namespace orb
