#include "calendarview/orb_calendar_ctrl.h"
#include "calendarview/month_accessible.h"

#include "core/clock.h"
#include "translations/qt_text.h"
#include "treelist/tree_list_tip_ctrl.h"
#include "widgets/log_font_qt.h"
#include "widgets/owned_dialog.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>

namespace orb {

namespace {

constexpr int kInitialFontHeight = 18;
constexpr int kInitialFontWeight = 800;
constexpr std::uint8_t kInitialPitchAndFamily = 32;
constexpr const char* kInitialFontFace = "맑은 고딕";
// Control-wheel never shrinks the font below these heights.
constexpr int kSmallestCharacterHeight = -12;
constexpr int kSmallestCellHeight = 14;
constexpr int kTipSize = 200;

constexpr const char* kMenuCalendar = ORB_TEXT("OrbCalender", "Calendar");
constexpr const char* kMenuTreeView = ORB_TEXT("OrbCalender", "Tree View");
constexpr const char* kMenuPreferences = ORB_TEXT("OrbCalender", "Preferences");
constexpr const char* kMenuFont = ORB_TEXT("OrbCalender", "Font");

LogFont InitialCalendarFont()
{
    LogFont font;
    font.lfHeight = kInitialFontHeight;
    font.lfWeight = kInitialFontWeight;
    font.lfPitchAndFamily = kInitialPitchAndFamily;
    font.lfFaceName = kInitialFontFace;
    return font;
}

std::optional<LogFont> ChooseWithDialog(const LogFont& current, QWidget* parent)
{
    QFontDialog dialog(FontFromLogFont(current), parent);
    OpenOverOwner(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return LogFontFromFont(dialog.selectedFont());
}

bool InHeader(const QPoint& point)
{
    return point.y() >= 0 && point.y() < kHeaderHeight;
}

} // namespace

COrbCalendarCtrl::COrbCalendarCtrl(MonthViewSettings& settings, const Clock& clock, QWidget* parent)
    : QWidget(parent), settings_(settings), clock_(clock), fontChooser_(ChooseWithDialog)
{
    // A settings file from elsewhere may hold any number here.
    InstallMonthViewAccessibility();
    rowCount_ = std::clamp(settings_.rowCount, 1, kMaxWeekRows);
    displayDate_ = Now();
    calendarLogFont_ = InitialCalendarFont();
    calendarFont_ = FontFromLogFont(calendarLogFont_);
    RecomputeLineHeight();
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    BuildHeaderMenu();
    tip_ = new CTreeListTipCtrl(this);
}

COrbCalendarCtrl::~COrbCalendarCtrl() = default;

DateValue COrbCalendarCtrl::Now() const
{
    return DateValue::FromLocal(clock_.Now());
}

void COrbCalendarCtrl::BuildHeaderMenu()
{
    headerMenu_ = std::make_unique<QMenu>(UiText(kMenuCalendar));
    QAction* treeView = headerMenu_->addAction(UiText(kMenuTreeView));
    treeView->setData(kCommandTreeView);
    QMenu* preferences = headerMenu_->addMenu(UiText(kMenuPreferences));
    QAction* font = preferences->addAction(UiText(kMenuFont));
    font->setData(kCommandFont);
    for (QAction* action : {treeView, font})
        connect(action, &QAction::triggered, this, [this, action] { RunCommand(action->data().toInt()); });
}

void COrbCalendarCtrl::ApplyFont(const LogFont& font)
{
    calendarLogFont_ = font;
    calendarFont_ = FontFromLogFont(font);
    settings_.calendarFont = font;
    emit settingsChanged();
}

void COrbCalendarCtrl::SetCalendarFont(const LogFont& font)
{
    ApplyFont(font);
    RecomputeLineHeight();
    update();
}

void COrbCalendarCtrl::RecomputeLineHeight()
{
    lineHeight_ = LineHeightForFont(calendarLogFont_.lfHeight);
}

void COrbCalendarCtrl::SetCalendarSource(const CalendarSource* source)
{
    // Another source counts its own revisions; an equal number says nothing.
    source_ = source;
    laidOutFrom_.reset();
}

void COrbCalendarCtrl::LayoutPass(const PixelRect& grid)
{
    // Read before the calendars: a write during the read only costs the next paint a read.
    LayoutInputs inputs;
    inputs.revision = source_ != nullptr ? source_->Revision() : 0;
    inputs.request = {displayDate_, rowCount_, lineHeight_, grid};
    inputs.measuringFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    // A font of no device is measured at the primary screen's resolution.
    const QScreen* screen = QGuiApplication::primaryScreen();
    inputs.measuringDpi = screen != nullptr ? qRound(screen->logicalDotsPerInchY()) : 0;
    if (inputs.revision != 0 && laidOutFrom_ == inputs)
        return;

    const FontTextMeasurer measurer(inputs.measuringFont);
    if (source_ == nullptr) {
        layout_.Build(inputs.request, {}, measurer);
    } else {
        source_->ReadCalendars(
            [&](const std::vector<CalendarRecord>& calendars) { layout_.Build(inputs.request, calendars, measurer); });
    }
    if (inputs.revision != 0)
        laidOutFrom_ = std::move(inputs);
    else
        laidOutFrom_.reset();
    // The layout lists only the events it shows, so an index names another event in
    // another month; the hovered event is found again by its place in the store.
    hoverEvent_ = -1;
    for (std::size_t e = 0; e < layout_.events().size() && hoverCalendar_ >= 0; ++e) {
        const EventEntry& entry = layout_.events()[e];
        if (entry.calendarIndex == hoverCalendar_ && entry.indexInCalendar == hoverIndexInCalendar_) {
            hoverEvent_ = static_cast<int>(e);
            break;
        }
    }
}

void COrbCalendarCtrl::UpdateLayout()
{
    LayoutPass({0, kHeaderHeight + lineHeight_, width(), height()});
}

QImage COrbCalendarCtrl::RenderImage()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    // Drawn over whole every time, so kept: a new image of the window's size costs about as
    // much as drawing the month. A caller still holding the last one makes the painter copy.
    if (image_.size() != pixels || image_.devicePixelRatio() != ratio) {
        image_ = QImage(pixels, QImage::Format_RGB32);
        image_.setDevicePixelRatio(ratio);
    }
    UpdateLayout();
    MonthPaintState state;
    state.displayDate = displayDate_;
    state.selectedDate = selectedDate_;
    state.now = Now();
    state.hoverEvent = hoverEvent_;
    state.hoverMoreCell = hoverMoreCell_;
    state.rowCount = rowCount_;
    state.rangeActive = rangeActive_;
    state.rangeStartCell = rangeStartCell_;
    state.rangeEndCell = rangeEndCell_;
    state.calendarFont = calendarFont_;
    todayRect_ = PaintMonth(image_, layout_, state, elidedTexts_);
    return image_;
}

void COrbCalendarCtrl::paintEvent(QPaintEvent*)
{
    const QImage image = RenderImage();
    QPainter painter(this);
    painter.drawImage(0, 0, image);
}

bool COrbCalendarCtrl::RunCommand(int id)
{
    switch (id) {
    case kCommandTreeView:
        emit treeViewRequested();
        return true;
    case kCommandFont:
        ChooseFont();
        return true;
    default:
        return false;
    }
}

void COrbCalendarCtrl::ChooseFont()
{
    if (!fontChooser_)
        return;
    const std::optional<LogFont> chosen = fontChooser_(calendarLogFont_, this);
    if (!chosen)
        return;
    // The line height stays until the next Control-wheel step or start.
    ApplyFont(*chosen);
    update();
}

void COrbCalendarCtrl::DeleteHoveredEvent()
{
    if (const EventEntry* entry = layout_.Event(hoverEvent_))
        emit deleteEventRequested(*entry);
}

void COrbCalendarCtrl::StepPeriod(bool back)
{
    if (!displayDate_.IsValid())
        return;
    const int step = back ? -1 : 1;
    if (rowCount_ == kMaxWeekRows) {
        int year = displayDate_.Year();
        int month = displayDate_.Month() + step;
        if (month < 1) {
            month = 12;
            --year;
        } else if (month > 12) {
            month = 1;
            ++year;
        }
        const DateValue first = DateValue::FromCivil(year, month, 1);
        if (first.IsValid())
            displayDate_ = first;
    } else {
        displayDate_ = displayDate_.AddDays(step * kDaysPerWeek * rowCount_);
    }
}

void COrbCalendarCtrl::StepFontHeight(bool grow)
{
    LogFont font = calendarLogFont_;
    int& h = font.lfHeight;
    if (grow)
        h = h < 0 ? h - 1 : h + 1;
    else
        h = h < 0 ? std::min(h + 1, kSmallestCharacterHeight) : std::max(h - 1, kSmallestCellHeight);
    ApplyFont(font);
    RecomputeLineHeight();
}

void COrbCalendarCtrl::StepRowCount(bool fewer)
{
    rowCount_ = fewer ? std::max(rowCount_ - 1, 1) : std::min(rowCount_ + 1, kMaxWeekRows);
    settings_.rowCount = rowCount_;
    emit settingsChanged();
}

void COrbCalendarCtrl::wheelEvent(QWheelEvent* event)
{
    const Qt::KeyboardModifiers keys =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    int delta = event->angleDelta().y();
    // Some platforms turn a Shift-wheel into a sideways one.
    if (delta == 0 && keys == Qt::ShiftModifier)
        delta = event->angleDelta().x();
    if (delta == 0) {
        event->ignore();
        return;
    }
    // Only the exact combinations act; a held button or another key changes nothing.
    if (event->buttons() == Qt::NoButton) {
        if (keys == Qt::NoModifier)
            StepPeriod(delta > 0);
        else if (keys == Qt::ControlModifier)
            StepFontHeight(delta > 0);
        else if (keys == Qt::ShiftModifier)
            StepRowCount(delta > 0);
        AnnounceShownDays(this);
    }
    update();
    event->accept();
}

void COrbCalendarCtrl::SelectAt(int x, int y)
{
    if (const int e = layout_.EventAt(x, y); e >= 0) {
        SetHover(e);
        selectedDate_ = DateValue();
        hoverMoreCell_ = -1;
    } else if (const int k = layout_.OverflowAt(x, y); k >= 0) {
        hoverMoreCell_ = k;
        selectedDate_ = DateValue();
        SetHover(-1);
    } else if (const DayCell* cell = layout_.Cell(layout_.CellAt(x, y))) {
        selectedDate_ = cell->date;
        SetHover(-1);
        hoverMoreCell_ = -1;
    }
}

void COrbCalendarCtrl::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        // The header drags the window, once the pointer has really moved.
        if (InHeader(point))
            headerMove_.Press(event->globalPosition());
        SelectAt(point.x(), point.y());
        setFocus(Qt::MouseFocusReason);
        AnnounceSelectedDay(this);
        update();
    } else if (event->button() == Qt::RightButton) {
        const int c = layout_.CellAt(point.x(), point.y());
        if (c >= 0) {
            rangeActive_ = true;
            rangeStartCell_ = c;
            rangeEndCell_ = c;
            update();
        }
    }
    QWidget::mousePressEvent(event);
}

void COrbCalendarCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    if (todayRect_.contains(point)) {
        displayDate_ = Now();
        AnnounceShownDays(this);
        update();
    }
    const int x = point.x();
    const int y = point.y();
    if (const EventEntry* entry = layout_.Event(layout_.EventAt(x, y))) {
        if (tip_->isVisible())
            tip_->Hide();
        const EventEntry copy = *entry;
        emit editEventRequested(copy);
    } else if (const int k = layout_.OverflowAt(x, y); k >= 0) {
        hoverMoreCell_ = k;
        selectedDate_ = DateValue();
        SetHover(-1);
        emit dayEventsRequested(k);
    } else if (const DayCell* cell = layout_.Cell(layout_.CellAt(x, y))) {
        selectedDate_ = cell->date;
        SetHover(-1);
        hoverMoreCell_ = -1;
        const DateValue day = cell->date;
        AnnounceSelectedDay(this);
        emit newEventRequested(day, day, false);
    } else {
        return;
    }
    update();
}

void COrbCalendarCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (headerMove_.Move(*event, this))
        return;
    const QPoint point = event->position().toPoint();
    if (rangeActive_) {
        const int c = layout_.CellAt(point.x(), point.y());
        if (c >= 0) {
            rangeEndCell_ = c;
            update();
        }
        return;
    }
    const int e = layout_.EventAt(point.x(), point.y());
    if (const EventEntry* entry = layout_.Event(e)) {
        tip_->Show(QString::fromStdString(entry->event.description), QRect(point.x(), point.y(), kTipSize, kTipSize));
        SetHover(e);
        hoverMoreCell_ = -1;
    } else {
        SetHover(-1);
        tip_->Hide();
    }
    update();
}

void COrbCalendarCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        headerMove_.Release();
    if (event->button() == Qt::RightButton) {
        const QPoint point = event->position().toPoint();
        const int c = layout_.CellAt(point.x(), point.y());
        // A release without a press on a cell (one that began in the header) has no range.
        if (c >= 0 && rangeActive_) {
            rangeActive_ = false;
            rangeEndCell_ = c;
            // The grid may have changed under the drag; a start that is gone makes no range.
            if (layout_.Cell(rangeStartCell_) != nullptr) {
                const int low = std::min(rangeStartCell_, c);
                const int high = std::max(rangeStartCell_, c);
                const DateValue first = layout_.cells()[static_cast<std::size_t>(low)].date;
                const DateValue last = layout_.cells()[static_cast<std::size_t>(high)].date;
                emit newEventRequested(first, last, true);
            }
            update();
        }
    }
    QWidget::mouseReleaseEvent(event);
}

void COrbCalendarCtrl::ClearHover()
{
    tip_->Hide();
    SetHover(-1);
    hoverMoreCell_ = -1;
    update();
}

void COrbCalendarCtrl::ForgetHover()
{
    tip_->Hide();
    if (hoverCalendar_ >= 0) {
        SetHover(-1);
        update();
    }
}

void COrbCalendarCtrl::SetHover(int eventIndex)
{
    const EventEntry* entry = layout_.Event(eventIndex);
    hoverEvent_ = entry ? eventIndex : -1;
    hoverCalendar_ = entry ? entry->calendarIndex : -1;
    hoverIndexInCalendar_ = entry ? entry->indexInCalendar : -1;
}

void COrbCalendarCtrl::leaveEvent(QEvent* event)
{
    ForgetHover();
    QWidget::leaveEvent(event);
}

void COrbCalendarCtrl::hideEvent(QHideEvent* event)
{
    ForgetHover();
    QWidget::hideEvent(event);
}

void COrbCalendarCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    if (event->reason() != QContextMenuEvent::Mouse || !InHeader(event->pos())) {
        event->ignore();
        return;
    }
    headerMenu_->popup(event->globalPos());
    event->accept();
}

} // namespace orb
