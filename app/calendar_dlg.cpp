#include "app/calendar_dlg.h"

#include "app/commands.h"
#include "app/dialog_units.h"
#include "app/wait_dlg.h"
#include "app/window_mode.h"
#include "calendarview/orb_calendar_ctrl.h"

#include <QKeyEvent>
#include <QWindow>

namespace orb {

void StoreCalendarSource::ReadCalendars(const std::function<void(const std::vector<CalendarRecord>&)>& reader) const
{
    store_.Read([&](const LocalStore::Data& data) { reader(data.calendars); });
}

CCalendarDlg::CCalendarDlg(AppSettings& settings, const Clock& clock, const LocalStore& store, QWidget* owner)
    : ShellWindow(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), settings_(settings),
      source_(store), windowMode_(kWindowModeTop)
{
    setObjectName("calendarWindow");
    setWindowTitle(kAppTitle);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(DluRect(0, 0, 522, 310).size());

    view_ = new COrbCalendarCtrl(settings_, clock, this);
    view_->setObjectName(QString::number(kMonthViewId));
    view_->SetCalendarSource(&source_);
    view_->installEventFilter(this);
    view_->setGeometry(rect());
    connect(view_, &COrbCalendarCtrl::TreeViewRequested, this, &CCalendarDlg::treeViewRequested);

    overlay_ = new CWaitDlg(this, WaitKind::Overlay);
    overlay_->SetWindowMode(settings_.ZorderCalendar);
}

CCalendarDlg::~CCalendarDlg() = default;

void CCalendarDlg::SetWindowMode(int mode)
{
    windowMode_ = NormalizedWindowMode(mode);
    ApplyWindowMode(this, windowMode_);
    overlay_->SetWindowMode(windowMode_);
}

void CCalendarDlg::NextWindowMode()
{
    SetWindowMode(windowMode_ >= kWindowModeNormal ? kWindowModeBottom : windowMode_ + 1);
}

void CCalendarDlg::RecordState()
{
    settings_.WindowPosCalendar = OuterRect(this);
    settings_.ZorderCalendar = windowMode_;
}

void CCalendarDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    view_->setGeometry(rect());
}

bool CCalendarDlg::HandleKey(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Tab:
        QMetaObject::invokeMethod(
            view_, [this] { view_->RunCommand(static_cast<int>(Command::TreeView)); }, Qt::QueuedConnection);
        return true;
    case Qt::Key_Space:
        NextWindowMode();
        return true;
    case Qt::Key_Delete:
        view_->DeleteHoveredEvent();
        return true;
    case Qt::Key_F5:
        emit synchronizeRequested();
        return true;
    default:
        return false;
    }
}

void CCalendarDlg::keyPressEvent(QKeyEvent* event)
{
    if (!HandleKey(event))
        QWidget::keyPressEvent(event);
}

bool CCalendarDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view_ && event->type() == QEvent::KeyPress)
        return HandleKey(static_cast<QKeyEvent*>(event));
    // In the Resizing mode the window's edge is a sizing border, over the view too.
    if (watched == view_ && event->type() == QEvent::MouseButtonPress && windowMode_ == kWindowModeResizing &&
        windowHandle()) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const Qt::Edges edges = ResizeEdgesAt(this, view_->mapTo(this, mouse->position().toPoint()));
        if (mouse->button() == Qt::LeftButton && edges) {
            windowHandle()->startSystemResize(edges);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orb
