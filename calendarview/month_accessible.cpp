#include "calendarview/month_accessible.h"

#include "calendarview/month_text.h"
#include "calendarview/orb_calendar_ctrl.h"

#include "widgets/accessible_announce.h"

#include <QCoreApplication>
#include <QDate>
#include <QLocale>

namespace orb {

namespace {

constexpr const char* kTextContext = "MonthViewAccessible";
// A day with events: its long date, then their titles.
constexpr const char* kDayWithEventsName = QT_TRANSLATE_NOOP("MonthViewAccessible", "%1: %2");
constexpr const char* kEventTitleSeparator = QT_TRANSLATE_NOOP("MonthViewAccessible", "; ");

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool SameDay(const DateValue& a, const DateValue& b)
{
    return a.IsValid() && b.IsValid() && a.Year() == b.Year() && a.Month() == b.Month() && a.Day() == b.Day();
}

// The long date, then the titles of the events on that day, hidden ones too: a screen
// reader has no overflow box to open.
QString DayName(const MonthLayout& layout, int index)
{
    const DayCell* cell = layout.Cell(index);
    if (!cell || !cell->date.IsValid())
        return {};
    const QString date =
        QLocale().toString(QDate(cell->date.Year(), cell->date.Month(), cell->date.Day()), QLocale::LongFormat);
    QStringList titles;
    for (const int e : cell->coveringEvents) {
        if (const EventEntry* entry = layout.Event(e))
            titles.append(FromUtf8(entry->event.summary));
    }
    if (titles.isEmpty())
        return date;
    const QString separator = QCoreApplication::translate(kTextContext, kEventTitleSeparator);
    return QCoreApplication::translate(kTextContext, kDayWithEventsName).arg(date, titles.join(separator));
}

class MonthDayAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    MonthDayAccessible(MonthViewAccessible* table, int index) : table_(table), index_(index) {}

    bool isValid() const override { return table_->isValid() && table_->View()->layout().Cell(index_) != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return table_->window(); }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return table_; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Name && isValid() ? DayName(table_->View()->layout(), index_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        const DayCell* cell = table_->View()->layout().Cell(index_);
        if (!cell)
            return {};
        const QRect local(cell->rect.left, cell->rect.top, cell->rect.Width(), cell->rect.Height());
        return {table_->View()->mapToGlobal(local.topLeft()), local.size()};
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.selectable = true;
        state.focusable = true;
        state.selected = isSelected();
        state.focused = state.selected && table_->View()->hasFocus();
        state.invisible = !table_->View()->isVisible();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
    }

    bool isSelected() const override
    {
        const COrbCalendarCtrl* view = table_->View();
        const DayCell* cell = view->layout().Cell(index_);
        return cell && !view->rangeActive() && SameDay(cell->date, view->selectedDate());
    }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return index_ % kDaysPerWeek; }
    int rowIndex() const override { return index_ / kDaysPerWeek; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return table_; }

private:
    MonthViewAccessible* table_;
    int index_;
};

QAccessibleInterface* Factory(const QString&, QObject* object)
{
    if (auto* view = qobject_cast<COrbCalendarCtrl*>(object))
        return new MonthViewAccessible(view);
    return nullptr;
}

} // namespace

MonthViewAccessible::MonthViewAccessible(COrbCalendarCtrl* view) : QAccessibleWidget(view, QAccessible::Table) {}

MonthViewAccessible::~MonthViewAccessible()
{
    for (const auto& [index, id] : days_)
        QAccessible::deleteAccessibleInterface(id);
}

COrbCalendarCtrl* MonthViewAccessible::View() const
{
    return static_cast<COrbCalendarCtrl*>(widget());
}

QAccessibleInterface* MonthViewAccessible::Day(int cellIndex) const
{
    View()->UpdateLayout();
    if (!View()->layout().Cell(cellIndex))
        return nullptr;
    if (const auto found = days_.find(cellIndex); found != days_.end())
        return QAccessible::accessibleInterface(found->second);
    auto* day = new MonthDayAccessible(const_cast<MonthViewAccessible*>(this), cellIndex);
    days_[cellIndex] = QAccessible::registerAccessibleInterface(day);
    return day;
}

QAccessibleInterface* MonthViewAccessible::SelectedDay() const
{
    const QList<QAccessibleInterface*> selected = selectedCells();
    return selected.isEmpty() ? nullptr : selected.front();
}

void* MonthViewAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

int MonthViewAccessible::childCount() const
{
    View()->UpdateLayout();
    return static_cast<int>(View()->cells().size());
}

int MonthViewAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    for (const auto& [index, id] : days_) {
        if (QAccessible::accessibleInterface(id) == child)
            return View()->layout().Cell(index) ? index : -1;
    }
    return -1;
}

QAccessibleInterface* MonthViewAccessible::childAt(int x, int y) const
{
    const QPoint local = View()->mapFromGlobal(QPoint(x, y));
    return Day(View()->layout().CellAt(local.x(), local.y()));
}

QAccessibleInterface* MonthViewAccessible::focusChild() const
{
    return View()->hasFocus() ? SelectedDay() : nullptr;
}

QAccessibleInterface* MonthViewAccessible::cellAt(int row, int column) const
{
    if (column < 0 || column >= kDaysPerWeek || row < 0)
        return nullptr;
    return Day(row * kDaysPerWeek + column);
}

int MonthViewAccessible::selectedCellCount() const
{
    return static_cast<int>(selectedCells().size());
}

QList<QAccessibleInterface*> MonthViewAccessible::selectedCells() const
{
    COrbCalendarCtrl* view = View();
    view->UpdateLayout();
    QList<QAccessibleInterface*> selected;
    if (view->rangeActive())
        return selected;
    for (int k = 0; k < static_cast<int>(view->cells().size()); ++k) {
        if (SameDay(view->cells()[static_cast<std::size_t>(k)].date, view->selectedDate()))
            selected.append(Day(k));
    }
    return selected;
}

QString MonthViewAccessible::columnDescription(int column) const
{
    const DayCell* cell = View()->layout().Cell(column);
    return column < kDaysPerWeek && cell ? FromUtf8(FullWeekdayName(cell->date)) : QString();
}

int MonthViewAccessible::columnCount() const
{
    return kDaysPerWeek;
}

int MonthViewAccessible::rowCount() const
{
    return childCount() / kDaysPerWeek;
}

void InstallMonthViewAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

void AnnounceSelectedDay(COrbCalendarCtrl* view)
{
    if (!AccessibleAnnouncementsHeard())
        return;
    auto* iface = dynamic_cast<MonthViewAccessible*>(QAccessible::queryAccessibleInterface(view));
    QAccessibleInterface* day = iface ? iface->SelectedDay() : nullptr;
    if (!day)
        return;
    if (view->hasFocus()) {
        QAccessibleEvent focus(day, QAccessible::Focus);
        Announce(focus);
    }
    QAccessibleEvent selection(day, QAccessible::Selection);
    Announce(selection);
}

void AnnounceShownDays(COrbCalendarCtrl* view)
{
    if (!AccessibleAnnouncementsHeard())
        return;
    QAccessibleTableModelChangeEvent event(view, QAccessibleTableModelChangeEvent::ModelReset);
    Announce(event);
}

} // namespace orb
