#include "widgets/native_position.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace orb {

namespace {

class NativePositionKeeper : public QObject
{
public:
    NativePositionKeeper(QWidget* window, QWindow* handle) : QObject(handle), window_(window), handle_(handle) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == handle_ && event->type() == QEvent::Expose && handle_->isExposed() && window_) {
            const QPoint wanted = window_->geometry().topLeft();
            if (handle_->position() != wanted)
                handle_->setPosition(wanted);
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
    QWindow* handle_;
};

} // namespace

void KeepNativePosition(QWidget* window)
{
    QWindow* handle = window->windowHandle();
    if (!handle)
        return;
    handle->installEventFilter(new NativePositionKeeper(window, handle));
}

} // namespace orb
