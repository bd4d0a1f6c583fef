#include "app/windows/calendar_dlg.h"

#include "app/qt_helpers/window_mode.h"
#include "app/wait_window/wait_dlg.h"
#include "app/windows/event_flows.h"
#include "app/windows/problem_line.h"
#include "calendarview/orb_calendar_ctrl.h"
#include "core/commands.h"
#include "widgets/dialog_units.h"

#include <QKeyEvent>
#include <QWindow>

namespace orb {

void StoreCalendarSource::ReadCalendars(const std::function<void(const std::vector<CalendarRecord>&)>& reader) const
{
    store_.Read([&](const LocalStore::Data& data) { reader(data.calendars); });
}

CCalendarDlg::CCalendarDlg(AppSettings& settings, const Clock& clock, const LocalStore& store, Prompter& prompter,
                           QWidget* owner)
    : ShellWindow(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), settings_(settings),
      source_(store), windowMode_(kWindowModeTop)
{
    setObjectName("calendarWindow");
    setWindowRole("calendarWindow");
    setWindowTitle(kAppTitle);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(DluRect(0, 0, 522, 310).size());

    viewSettings_ = {settings_.CalendarShowRow, settings_.defaultCalendarFont};
    view_ = new COrbCalendarCtrl(viewSettings_, clock, this);
    connect(view_, &COrbCalendarCtrl::settingsChanged, this, [this] {
        settings_.CalendarShowRow = viewSettings_.rowCount;
        settings_.defaultCalendarFont = viewSettings_.calendarFont;
    });
    view_->setObjectName(QString::number(kMonthViewId));
    view_->SetCalendarSource(&source_);
    view_->installEventFilter(this);
    view_->setGeometry(ClientRect());
    connect(view_, &COrbCalendarCtrl::treeViewRequested, this, &CCalendarDlg::treeViewRequested);
    problemLine_ = new ProblemLine(prompter, this);

    overlay_ = new CWaitDlg(this);
}

CCalendarDlg::~CCalendarDlg() = default;

void CCalendarDlg::SetEventFlows(EventFlows* flows)
{
    // Each edit names its event by calendar and event id, taken when the user acted; the
    // view's positions go stale once the store changes.
    connect(view_, &COrbCalendarCtrl::editEventRequested, this, [this, flows](const EventEntry& entry) {
        flows->EditEvent(this, *overlay_, entry.calendarId, entry.event.id);
        view_->ClearHover();
    });
    connect(view_, &COrbCalendarCtrl::newEventRequested, this,
            [this, flows](const DateValue& first, const DateValue& last, bool range) {
                flows->NewEvent(this, *overlay_, {}, first.ToLocal(), last.ToLocal(), range);
                view_->ClearHover();
            });
    connect(view_, &COrbCalendarCtrl::deleteEventRequested, this, [this, flows](const EventEntry& entry) {
        flows->DeleteEvent(this, *overlay_, entry.calendarId, entry.event.id);
        view_->ClearHover();
    });
    connect(view_, &COrbCalendarCtrl::dayEventsRequested, this, [this, flows](int cellIndex) {
        flows->ShowDayEvents(*view_, cellIndex, this, *overlay_);
        view_->ClearHover();
    });
}

void CCalendarDlg::SetWindowMode(int mode)
{
    windowMode_ = NormalizedWindowMode(mode);
    ApplyWindowMode(this, windowMode_);
    SetSizingBorder(windowMode_ == kWindowModeResizing);
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

bool CCalendarDlg::RunCommand(Command command)
{
    return command == Command::CalendarFont && view_->RunCommand(static_cast<int>(command));
}

void CCalendarDlg::SetPassProblem(const PassProblem& problem)
{
    problemLine_->SetProblem(problem);
    ShowProblemLine();
}

void CCalendarDlg::SetShownAlone(bool alone)
{
    shownAlone_ = alone;
    ShowProblemLine();
}

void CCalendarDlg::ShowProblemLine()
{
    problemLine_->setVisible(shownAlone_ && problemLine_->HasProblem());
    LayoutClient();
}

void CCalendarDlg::LayoutClient()
{
    QRect client = ClientRect();
    if (problemLine_->isVisibleTo(this)) {
        const int height = problemLine_->LineHeight();
        client.setBottom(client.bottom() - height);
        problemLine_->setGeometry(client.left() + ProblemLine::kPadding, client.bottom() + 1,
                                  std::max(0, client.width() - 2 * ProblemLine::kPadding), height);
    }
    view_->setGeometry(client);
}

void CCalendarDlg::showEvent(QShowEvent* event)
{
    ShellWindow::showEvent(event);
    emit shown();
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
    return QWidget::eventFilter(watched, event);
}

} // namespace orb
