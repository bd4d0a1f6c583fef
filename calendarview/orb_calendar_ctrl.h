#pragma once

#include "calendarview/calendar_source.h"
#include "calendarview/month_layout.h"
#include "calendarview/month_painter.h"
#include "calendarview/month_view_settings.h"
#include "core/commands.h"
#include "widgets/deferred_move.h"

#include <QFont>
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QMenu;

namespace orb {

class CTreeListTipCtrl;
class Clock;

// The month grid of the calendar window. A paint lays the month out again when the source's
// revision or anything else the layout is made from changed; the same layout answers the
// mouse until then.
// Editing is the host's: the view reports what the user asked for through its signals.
class COrbCalendarCtrl : public QWidget
{
    Q_OBJECT

public:
    // Commands of the header menu.
    static constexpr int kCommandTreeView = static_cast<int>(Command::TreeView);
    static constexpr int kCommandFont = static_cast<int>(Command::CalendarFont);

    // Returns the chosen font, or nothing when the user cancels.
    using FontChooser = std::function<std::optional<LogFont>(const LogFont& current, QWidget* parent)>;

    // `settings` belongs to the host, which hears of every change through settingsChanged.
    COrbCalendarCtrl(MonthViewSettings& settings, const Clock& clock, QWidget* parent = nullptr);
    ~COrbCalendarCtrl() override;

    // Not owned; nullptr shows an empty month.
    void SetCalendarSource(const CalendarSource* source);
    void SetFontChooser(FontChooser chooser) { fontChooser_ = std::move(chooser); }

    // Replaces the view's font and the settings' calendar font, and the line height with them.
    void SetCalendarFont(const LogFont& font);
    void RecomputeLineHeight();

    // Lays the month out for a grid rectangle without drawing.
    void LayoutPass(const PixelRect& grid);
    // Lays the month out for the view's own grid, as the next paint would.
    void UpdateLayout();
    // Lays out and draws the whole view into an image of its size.
    QImage RenderImage();

    // Runs a header menu command; false for an id the view does not know.
    bool RunCommand(int id);
    // Reports the event under the mouse for deletion (the Delete key of the calendar window).
    void DeleteHoveredEvent();
    // After an edit: the layout's indexes name other events now.
    void ClearHover();

    const MonthLayout& layout() const { return layout_; }
    const std::vector<DayCell>& cells() const { return layout_.cells(); }
    const std::vector<EventEntry>& events() const { return layout_.events(); }
    const std::vector<EventPlacement>& placements() const { return layout_.placements(); }
    const DateValue& displayDate() const { return displayDate_; }
    const DateValue& selectedDate() const { return selectedDate_; }
    int hoverEvent() const { return hoverEvent_; }
    int hoverMoreCell() const { return hoverMoreCell_; }
    int rowCount() const { return rowCount_; }
    int lineHeight() const { return lineHeight_; }
    const QRect& todayRect() const { return todayRect_; }
    bool rangeActive() const { return rangeActive_; }
    int rangeStartCell() const { return rangeStartCell_; }
    int rangeEndCell() const { return rangeEndCell_; }
    const LogFont& calendarLogFont() const { return calendarLogFont_; }
    const QFont& calendarFont() const { return calendarFont_; }
    QMenu* headerMenu() const { return headerMenu_.get(); }
    CTreeListTipCtrl* tip() const { return tip_; }

signals:
    // An entry's calendarIndex and indexInCalendar are positions in the store at the last
    // paint; the host checks them (or finds the event by id) before acting.
    // Double click on a bar or holiday label.
    void editEventRequested(const orb::EventEntry& entry);
    // Double click on an empty part of a day (range false) or a right-button drag (range true).
    void newEventRequested(const orb::DateValue& firstDay, const orb::DateValue& lastDay, bool range);
    // Double click on the overflow box of a day.
    void dayEventsRequested(int cellIndex);
    void deleteEventRequested(const orb::EventEntry& entry);
    // "Tree View": the host hides the calendar window and shows the main window.
    void treeViewRequested();
    // The row count or the calendar font changed.
    void settingsChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The pointer left or the view went away: no tip and no hover highlight stay behind.
    void ForgetHover();
    // Hovers an event of the current layout; -1 for none.
    void SetHover(int eventIndex);
    void ApplyFont(const LogFont& font);
    void StepPeriod(bool back);
    void StepFontHeight(bool grow);
    void StepRowCount(bool fewer);
    void ChooseFont();
    void SelectAt(int x, int y);
    void BuildHeaderMenu();
    DateValue Now() const;

    // Everything a layout is made from; an equal set on the next paint reuses the layout.
    struct LayoutInputs
    {
        std::uint64_t revision = 0;
        MonthLayout::Request request;
        QFont measuringFont;
        int measuringDpi = 0;

        friend bool operator==(const LayoutInputs&, const LayoutInputs&) = default;
    };

    MonthViewSettings& settings_;
    const Clock& clock_;
    const CalendarSource* source_ = nullptr;
    CTreeListTipCtrl* tip_ = nullptr; // a child window; Qt deletes it with the view
    FontChooser fontChooser_;
    std::unique_ptr<QMenu> headerMenu_;

    MonthLayout layout_;
    std::optional<LayoutInputs> laidOutFrom_; // empty: the next pass reads the calendars
    QImage image_;
    ElidedTextCache elidedTexts_;
    LogFont calendarLogFont_;
    QFont calendarFont_;
    int lineHeight_ = 0;
    DateValue displayDate_;
    DateValue selectedDate_;
    int hoverEvent_ = -1; // into layout_.events()
    int hoverCalendar_ = -1;
    int hoverIndexInCalendar_ = -1;
    int hoverMoreCell_ = -1;
    int rowCount_ = kMaxWeekRows;
    QRect todayRect_;
    int rangeStartCell_ = -1;
    int rangeEndCell_ = -1;
    bool rangeActive_ = false;
    DeferredMove headerMove_;
};

} // namespace orb
