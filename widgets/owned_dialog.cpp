#include "widgets/owned_dialog.h"

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace orb {

namespace {

// The window manager's frame around a decorated dialog, learned from the last one mapped,
// so that the next is centred before it is mapped rather than moved after.
QMargins g_learnedFrame;

bool StaysOnTop(const QWidget* window)
{
    return window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

bool OnScreen(const QWidget* window)
{
    return window->isVisible() && !window->isMinimized();
}

// A window manager stacks a transient only within its owner's layer, and puts a window it
// does not focus under the focused one: over a topmost or desktop-layer owner, with no
// owner, or beside a topmost window of this program, only the dialog's own hint keeps it
// in sight.
bool NeedsOwnLayer(const QWidget* dialog, const QWidget* owner)
{
    if (!owner || owner->windowFlags() & (Qt::WindowStaysOnTopHint | Qt::WindowStaysOnBottomHint))
        return true;
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [dialog](const QWidget* window) {
        const Qt::WindowType type = window->windowType();
        return window != dialog && (type == Qt::Window || type == Qt::Dialog) && OnScreen(window) && StaysOnTop(window);
    });
}

class OwnerPlacement : public QObject
{
public:
    OwnerPlacement(QWidget* dialog, DialogPlace place) : QObject(dialog), dialog_(dialog), place_(place)
    {
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == dialog_ && event->type() == QEvent::Show) {
            // The native window's own show comes after the dialog's: it has its final size
            // and position then, and is not mapped yet.
            QWindow* handle = dialog_->windowHandle();
            if (handle && handle != handle_) {
                handle->installEventFilter(this);
                handle_ = handle;
            }
        } else if (watched == handle_ && handle_) {
            if (event->type() == QEvent::Show) {
                Stack();
                Place();
                awaitingFrame_ = true;
            } else if (event->type() == QEvent::Expose && awaitingFrame_ && handle_->isExposed()) {
                awaitingFrame_ = false;
                LearnFrame();
                Place();
            }
        }
        return false;
    }

private:
    QWidget* Owner() const
    {
        QWidget* parent = dialog_->parentWidget();
        return parent ? parent->window() : nullptr;
    }

    void Stack()
    {
        Qt::WindowFlags flags = dialog_->windowFlags();
        flags.setFlag(Qt::WindowStaysOnTopHint, NeedsOwnLayer(dialog_, Owner()));
        if (flags == dialog_->windowFlags())
            return;
        // In place: setWindowFlags would recreate the native window in the middle of its show.
        dialog_->overrideWindowFlags(flags);
        handle_->setFlags(flags);
    }

    QMargins Frame() const
    {
        if (dialog_->windowFlags().testFlag(Qt::FramelessWindowHint))
            return {};
        const QMargins known = handle_->frameMargins();
        return known.isNull() ? g_learnedFrame : known;
    }

    void LearnFrame()
    {
        const QMargins frame = handle_->frameMargins();
        if (!frame.isNull() && !dialog_->windowFlags().testFlag(Qt::FramelessWindowHint))
            g_learnedFrame = frame;
    }

    void Place()
    {
        if (place_ != DialogPlace::Centre)
            return;
        const QWidget* owner = Owner();
        // Without an owner, the screen the user is at (the tray's, on several screens).
        QScreen* screen = owner ? owner->screen() : QGuiApplication::screenAt(QCursor::pos());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (!screen)
            return;
        const QRect available = screen->availableGeometry();
        const QMargins frame = Frame();
        const QRect outer = CentredOn(owner && OnScreen(owner) ? owner->frameGeometry() : available,
                                      dialog_->size().grownBy(frame), available);
        const QPoint client = outer.topLeft() + QPoint(frame.left(), frame.top());
        if (client != dialog_->geometry().topLeft())
            dialog_->setGeometry(QRect(client, dialog_->size()));
    }

    QWidget* dialog_;
    DialogPlace place_;
    QPointer<QWindow> handle_;
    bool awaitingFrame_ = false;
};

} // namespace

void OpenOverOwner(QWidget* dialog, DialogPlace place)
{
    new OwnerPlacement(dialog, place);
}

QRect CentredOn(const QRect& owner, const QSize& frame, const QRect& available)
{
    const auto fit = [](int start, int length, int areaStart, int areaLength) {
        // Past the far edge first: a dialog larger than the area keeps its top or left in it.
        start = std::min(start, areaStart + areaLength - length);
        return std::max(start, areaStart);
    };
    const int left = owner.left() + (owner.width() - frame.width()) / 2;
    const int top = owner.top() + (owner.height() - frame.height()) / 2;
    return {fit(left, frame.width(), available.left(), available.width()),
            fit(top, frame.height(), available.top(), available.height()), frame.width(), frame.height()};
}

} // namespace orb
