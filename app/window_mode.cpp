#include "app/window_mode.h"

#include <QWidget>

namespace orb {

int NormalizedWindowMode(int mode)
{
    return mode >= kWindowModeBottom && mode <= kWindowModeNormal ? mode : kWindowModeBottom;
}

void ApplyWindowMode(QWidget* window, int mode)
{
    mode = NormalizedWindowMode(mode);
    Qt::WindowFlags flags = window->windowFlags();
    flags |= Qt::FramelessWindowHint;
    flags.setFlag(Qt::WindowStaysOnTopHint, mode == kWindowModeTop);
    flags.setFlag(Qt::WindowStaysOnBottomHint, mode == kWindowModeBottom);
    if (flags == window->windowFlags())
        return;
    // Changing the flags of a shown window hides it; keep it where and as it was.
    const bool visible = window->isVisible();
    const QRect geometry = window->geometry();
    window->setWindowFlags(flags);
    window->setGeometry(geometry);
    if (visible) {
        window->setAttribute(Qt::WA_ShowWithoutActivating, true);
        window->show();
        window->setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
}

WindowRect OuterRect(const QWidget* window)
{
    const QRect outer = window->frameGeometry();
    return {outer.left(), outer.top(), outer.left() + outer.width(), outer.top() + outer.height()};
}

void PlaceWindow(QWidget* window, const WindowRect& rect)
{
    window->setGeometry(rect.left, rect.top, rect.width(), rect.height());
}

Qt::Edges ResizeEdgesAt(const QWidget* window, const QPoint& point)
{
    Qt::Edges edges;
    if (point.x() < kResizeBorder)
        edges |= Qt::LeftEdge;
    if (point.x() >= window->width() - kResizeBorder)
        edges |= Qt::RightEdge;
    if (point.y() < kResizeBorder)
        edges |= Qt::TopEdge;
    if (point.y() >= window->height() - kResizeBorder)
        edges |= Qt::BottomEdge;
    return edges;
}

} // namespace orb
