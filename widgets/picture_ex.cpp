#include "widgets/picture_ex.h"

#include <QFile>
#include <QMetaObject>
#include <QPainter>

// The loading animation is compiled into this static library; naming its initialiser keeps
// the linker from dropping it.
static void InitLoadingResource()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(loading);
        return true;
    }();
    (void)registered;
}

namespace orb {

CPictureEx::CPictureEx(QWidget* parent) : QWidget(parent)
{
    InitLoadingResource();
}

CPictureEx::~CPictureEx()
{
    Stop();
}

bool CPictureEx::Load(const QByteArray& bytes)
{
    Stop();
    const bool loaded = player_.Load(bytes);
    updateGeometry();
    update();
    return loaded;
}

bool CPictureEx::LoadFromResource(int id, const char* type)
{
    QFile resource(QStringLiteral(":/%1/%2").arg(QLatin1String(type)).arg(id));
    if (!resource.open(QIODevice::ReadOnly)) {
        Load({});
        return false;
    }
    return Load(resource.readAll());
}

bool CPictureEx::Draw()
{
    if (!player_.IsLoaded())
        return false;
    if (!player_.IsAnimated()) {
        player_.ShowCurrent();
        update();
        return true;
    }
    if (!thread_.joinable())
        thread_ = std::thread(&CPictureEx::Animate, this);
    return true;
}

void CPictureEx::Stop()
{
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(stopMutex_);
        stopRequested_ = true;
    }
    stopChanged_.notify_all();
    // The thread blocks nowhere but in WaitForStop, so it ends at once. It is joined rather
    // than abandoned after a time-out: it draws into this object.
    thread_.join();
    std::lock_guard lock(stopMutex_);
    stopRequested_ = false;
}

bool CPictureEx::WaitForStop(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(stopMutex_);
    return stopChanged_.wait_for(lock, timeout, [this] { return stopRequested_; });
}

void CPictureEx::Animate()
{
    while (true) {
        const int frame = player_.CurrentFrame();
        const int interval = player_.ShowCurrent();
        // Stop joins this thread before the widget goes, and a queued call to a destroyed
        // object is dropped, so posting `this` is safe.
        QMetaObject::invokeMethod(
            this,
            [this, frame, interval] {
                update();
                emit frameShown(frame, interval);
            },
            Qt::QueuedConnection);
        if (WaitForStop(std::chrono::milliseconds(interval)))
            return;
        player_.Advance();
    }
}

QSize CPictureEx::sizeHint() const
{
    return player_.IsLoaded() ? player_.ScreenSize() : QWidget::sizeHint();
}

void CPictureEx::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    player_.Paint(painter);
}

} // namespace orb
