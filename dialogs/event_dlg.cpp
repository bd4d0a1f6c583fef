#include "dialogs/event_dlg.h"

#include "calendarview/event_color_qt.h"
#include "calendarview/month_painter.h"
#include "calendarview/orb_calendar_ctrl.h"
#include "core/clock.h"
#include "treelist/tree_list_tip_ctrl.h"
#include "widgets/owned_dialog.h"
#include "widgets/pixel_rect_qt.h"

#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QScreen>

namespace orb {

namespace {

constexpr int kTipSize = 200;

PixelRect AllScreens()
{
    QRect all;
    for (const QScreen* screen : QGuiApplication::screens())
        all |= screen->geometry();
    return ToPixelRect(all);
}

} // namespace

CEventDlg::CEventDlg(COrbCalendarCtrl& view, int cellIndex, const Clock& clock, QWidget* parent)
    : QDialog(parent), view_(view), cellIndex_(cellIndex), clock_(clock)
{
    setObjectName(QString::number(kTemplateId));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    ReadRows();

    const PixelSize size = DayEventsWindowSize(rows_.Count(), view_.lineHeight());
    setFixedSize(size.width, size.height);
    const QPoint cursor = QCursor::pos();
    const PixelPoint corner = PlaceDayEventsWindow({cursor.x(), cursor.y()}, size, AllScreens());
    move(corner.x, corner.y);
    OpenOverOwner(this, DialogPlace::Keep);

    tip_ = new CTreeListTipCtrl(this);
    tip_->setFont(view_.calendarFont());
    setWindowTitle(QString::fromStdString(DayEventsTitle(rows_.day())));
}

void CEventDlg::ReadRows()
{
    // The same pass the view paints with, so the rows match the store as it is now.
    view_.LayoutPass({0, kHeaderHeight + view_.lineHeight(), view_.width(), view_.height()});
    rows_.Read(view_.layout(), cellIndex_);
}

void CEventDlg::EventsChanged()
{
    tip_->Hide();
    ReadRows();
    update();
    view_.update();
}

QImage CEventDlg::RenderImage() const
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(view_.calendarFont());
    const DateValue now = DateValue::FromLocal(clock_.Now());
    for (int row = 0; row < rows_.Count(); ++row) {
        const DayEventBar bar = rows_.Bar(row, width(), now);
        painter.setPen(QPen(ToQColor(bar.pen), bar.penWidth));
        painter.setBrush(ToQColor(bar.fill));
        QPolygon outline;
        for (const PixelPoint& p : bar.outline)
            outline << QPoint(p.x, p.y);
        painter.drawPolygon(outline);

        const QRect text(bar.textRect.left, bar.textRect.top, bar.textRect.Width(), bar.textRect.Height());
        if (text.width() <= 0 || text.height() <= 0)
            continue;
        painter.setPen(ToQColor(bar.text));
        const QString summary = QString::fromStdString(rows_.Entry(row)->event.summary);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         painter.fontMetrics().elidedText(summary, Qt::ElideRight, text.width()));
    }
    return image;
}

void CEventDlg::paintEvent(QPaintEvent*)
{
    QPainter(this).drawImage(0, 0, RenderImage());
}

void CEventDlg::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (const EventEntry* entry = rows_.Entry(rows_.RowAt(point.x(), point.y(), width()))) {
        tip_->Show(QString::fromStdString(entry->event.description), QRect(point.x(), point.y(), kTipSize, kTipSize));
        update();
    } else {
        tip_->Hide();
    }
    QDialog::mouseMoveEvent(event);
}

void CEventDlg::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    const int row = rows_.RowAt(point.x(), point.y(), width());
    if (event->button() == Qt::LeftButton && row >= 0) {
        rows_.Select(row);
        update();
    }
    QDialog::mousePressEvent(event);
}

void CEventDlg::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    const EventEntry* entry = rows_.Entry(rows_.RowAt(point.x(), point.y(), width()));
    if (event->button() != Qt::LeftButton || entry == nullptr) {
        QDialog::mouseDoubleClickEvent(event);
        return;
    }
    if (tip_->isVisible())
        tip_->Hide();
    // The receiver may read the rows again while it handles this.
    const EventEntry copy = *entry;
    emit editRequested(copy);
    update();
    view_.update();
}

void CEventDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Delete:
        if (const EventEntry* entry = rows_.DeletableSelection()) {
            const EventEntry copy = *entry;
            emit deleteRequested(copy);
        }
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CEventDlg::leaveEvent(QEvent* event)
{
    tip_->Hide();
    QDialog::leaveEvent(event);
}

void CEventDlg::hideEvent(QHideEvent* event)
{
    tip_->Hide();
    QDialog::hideEvent(event);
}

} // namespace orb
