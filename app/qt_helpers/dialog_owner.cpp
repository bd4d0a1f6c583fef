#include "app/qt_helpers/dialog_owner.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <algorithm>

namespace orb {

namespace {

bool OnScreen(const QWidget* window)
{
    return window && window->isVisible() && !window->isMinimized();
}

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
        return true;
    default:
        return false;
    }
}

} // namespace

DialogOwner::DialogOwner()
{
    // Input reaches the child widgets (the tree, the month view), not the windows themselves.
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

DialogOwner::~DialogOwner()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void DialogOwner::Watch(QWidget* window)
{
    windows_.emplace_back(window);
}

QWidget* DialogOwner::Choose() const
{
    if (QWidget* modal = QApplication::activeModalWidget(); OnScreen(modal))
        return modal;
    if (QWidget* active = QApplication::activeWindow(); OnScreen(active))
        return active;
    if (OnScreen(lastInput_))
        return lastInput_;
    const auto shown = std::find_if(windows_.begin(), windows_.end(),
                                    [](const QPointer<QWidget>& window) { return OnScreen(window); });
    return shown == windows_.end() ? nullptr : shown->data();
}

bool DialogOwner::eventFilter(QObject* watched, QEvent* event)
{
    if (IsUserInput(event->type()) && watched->isWidgetType()) {
        QWidget* window = static_cast<QWidget*>(watched)->window();
        if (std::find(windows_.begin(), windows_.end(), window) != windows_.end())
            lastInput_ = window;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orb
