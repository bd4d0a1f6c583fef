#include "widgets/sizing_border.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

namespace orb {

namespace {

struct GripSpec
{
    Qt::Edges edges;
    Qt::CursorShape cursor;
};

constexpr std::array<GripSpec, 8> kGrips = {{
    {Qt::TopEdge, Qt::SizeVerCursor},
    {Qt::BottomEdge, Qt::SizeVerCursor},
    {Qt::LeftEdge, Qt::SizeHorCursor},
    {Qt::RightEdge, Qt::SizeHorCursor},
    {Qt::TopEdge | Qt::LeftEdge, Qt::SizeFDiagCursor},
    {Qt::BottomEdge | Qt::RightEdge, Qt::SizeFDiagCursor},
    {Qt::TopEdge | Qt::RightEdge, Qt::SizeBDiagCursor},
    {Qt::BottomEdge | Qt::LeftEdge, Qt::SizeBDiagCursor},
}};

// Corners take a longer stretch of the border, as on any desktop, so they are easy to hit.
constexpr int kCornerLength = 3 * SizingBorder::kWidth;

class SizingGrip : public QWidget
{
public:
    SizingGrip(QWidget* window, Qt::Edges edges, Qt::CursorShape cursor) : QWidget(window), edges_(edges)
    {
        setObjectName("sizingGrip");
        setCursor(cursor);
        setAttribute(Qt::WA_OpaquePaintEvent);
        hide();
    }
    Qt::Edges Edges() const { return edges_; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), SizingBorder::kColour);
        // A lighter line along the window's outer edge marks where the window ends.
        painter.setPen(SizingBorder::kOuterLine);
        const QRect r = rect();
        if (edges_ & Qt::TopEdge)
            painter.drawLine(r.topLeft(), r.topRight());
        if (edges_ & Qt::BottomEdge)
            painter.drawLine(r.bottomLeft(), r.bottomRight());
        if (edges_ & Qt::LeftEdge)
            painter.drawLine(r.topLeft(), r.bottomLeft());
        if (edges_ & Qt::RightEdge)
            painter.drawLine(r.topRight(), r.bottomRight());
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        QWindow* handle = window()->windowHandle();
        if (event->button() == Qt::LeftButton && handle && handle->startSystemResize(edges_)) {
            event->accept();
            return;
        }
        QWidget::mousePressEvent(event);
    }

private:
    Qt::Edges edges_;
};

} // namespace

SizingBorder::SizingBorder(QWidget* window) : QObject(window), window_(window)
{
    for (std::size_t i = 0; i < kGrips.size(); ++i)
        grips_[i] = new SizingGrip(window, kGrips[i].edges, kGrips[i].cursor);
    window_->installEventFilter(this);
}

void SizingBorder::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    Place();
    for (QWidget* grip : grips_) {
        grip->setVisible(enabled);
        if (enabled)
            grip->raise();
    }
}

QRect SizingBorder::Inner() const
{
    const QRect all = window_->rect();
    return enabled_ ? all.adjusted(kWidth, kWidth, -kWidth, -kWidth) : all;
}

QWidget* SizingBorder::Grip(Qt::Edges edges) const
{
    for (std::size_t i = 0; i < kGrips.size(); ++i) {
        if (kGrips[i].edges == edges)
            return grips_[i];
    }
    return nullptr;
}

void SizingBorder::Place()
{
    const int w = window_->width();
    const int h = window_->height();
    const int corner = std::min({kCornerLength, w / 2, h / 2});
    for (std::size_t i = 0; i < kGrips.size(); ++i) {
        const Qt::Edges edges = kGrips[i].edges;
        const bool vertical = edges & (Qt::LeftEdge | Qt::RightEdge);
        const bool horizontal = edges & (Qt::TopEdge | Qt::BottomEdge);
        QRect r;
        if (vertical && horizontal) {
            const int x = (edges & Qt::LeftEdge) ? 0 : w - corner;
            const int y = (edges & Qt::TopEdge) ? 0 : h - corner;
            r = QRect(x, y, corner, corner);
        } else if (horizontal) {
            r = QRect(corner, (edges & Qt::TopEdge) ? 0 : h - kWidth, std::max(0, w - 2 * corner), kWidth);
        } else {
            r = QRect((edges & Qt::LeftEdge) ? 0 : w - kWidth, corner, kWidth, std::max(0, h - 2 * corner));
        }
        grips_[i]->setGeometry(r);
        // A corner grip is an L: its square would otherwise cover the client area's corner.
        if (vertical && horizontal) {
            const QRect inner(edges & Qt::LeftEdge ? kWidth : 0, edges & Qt::TopEdge ? kWidth : 0, corner - kWidth,
                              corner - kWidth);
            grips_[i]->setMask(QRegion(grips_[i]->rect()).subtracted(QRegion(inner)));
        }
    }
}

bool SizingBorder::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_ && event->type() == QEvent::Resize)
        Place();
    // Children added later (overlays excepted, which are windows) must not cover the grips.
    if (watched == window_ && event->type() == QEvent::ChildAdded && enabled_) {
        for (QWidget* grip : grips_)
            grip->raise();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orb
