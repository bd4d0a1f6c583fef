#include "app/qt_helpers/window_mode.h"

#include <QWidget>
#include <QWindow>

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
    QWindow* handle = window->windowHandle();
    if (!handle) {
        window->setWindowFlags(flags); // no native window yet: nothing to keep
        return;
    }
    // The native window takes the new stacking in place. setWindowFlags would recreate it,
    // hidden and re-shown without activation, and the keyboard focus would be gone.
    window->overrideWindowFlags(flags);
    handle->setFlags(flags);
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

} // namespace orb
