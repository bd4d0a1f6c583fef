#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QPoint>
#include <QWidget>
#include <QWindow>

namespace orb {

// Moving a borderless window by dragging a band of it. The move is handed to the window
// system only once the pointer has travelled the platform's drag distance: a window
// manager grabs the pointer for a move, so starting at the press would swallow the second
// click of a double click.
class DeferredMove
{
public:
    void Press(const QPointF& globalPos)
    {
        armed_ = true;
        pressedAt_ = globalPos;
    }

    // True when this move started the window move.
    bool Move(const QMouseEvent& event, QWidget* window)
    {
        if (!armed_ || !(event.buttons() & Qt::LeftButton))
            return false;
        if ((event.globalPosition() - pressedAt_).manhattanLength() < QApplication::startDragDistance())
            return false;
        armed_ = false;
        QWindow* handle = window->window()->windowHandle();
        return handle && handle->startSystemMove();
    }

    void Release() { armed_ = false; }
    bool IsArmed() const { return armed_; }

private:
    bool armed_ = false;
    QPointF pressedAt_;
};

} // namespace orb
