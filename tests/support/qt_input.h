#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace orb::test {

// Sends one mouse event straight to a widget, as the window system would deliver it.
inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint point, Qt::MouseButton button = Qt::LeftButton,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(point), widget->mapToGlobal(QPointF(point)), button, held, modifiers);
    QApplication::sendEvent(widget, &event);
}

inline void Click(QWidget* widget, QPoint point, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    SendMouse(widget, QEvent::MouseButtonPress, point, Qt::LeftButton, modifiers);
    SendMouse(widget, QEvent::MouseButtonRelease, point, Qt::LeftButton, modifiers);
}

} // namespace orb::test
