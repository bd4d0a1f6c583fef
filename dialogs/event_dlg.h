#pragma once

#include "calendarview/month_layout.h"
#include "dialogs/day_event_rows.h"

#include <QDialog>
#include <QImage>

namespace orb {

class COrbCalendarCtrl;
class CTreeListTipCtrl;
class Clock;

// The events of one day of the month view, one bar each, in a small window with a caption.
// It reports what the user asked for; the opener edits or deletes and then calls
// EventsChanged.
class CEventDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kTemplateId = 162;

    // Lays the view out again and lists the events of its cell `cellIndex`; the window opens
    // at the mouse cursor.
    CEventDlg(COrbCalendarCtrl& view, int cellIndex, const Clock& clock, QWidget* parent = nullptr);

    int SelectedRow() const { return rows_.selectedRow(); }
    // After an edit or delete went through: the rows are read again, nothing stays selected.
    void EventsChanged();

    const DayEventRows& Rows() const { return rows_; }
    CTreeListTipCtrl* tip() const { return tip_; }
    QImage RenderImage() const;

signals:
    void editRequested(const orb::EventEntry& entry);
    void deleteRequested(const orb::EventEntry& entry);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void ReadRows();

    COrbCalendarCtrl& view_;
    int cellIndex_;
    const Clock& clock_;
    DayEventRows rows_;
    CTreeListTipCtrl* tip_; // a child window; Qt deletes it with the dialog
};

} // namespace orb
