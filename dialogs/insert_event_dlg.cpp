#include "dialogs/insert_event_dlg.h"

#include "dialogs/local_date_qt.h"
#include "translations/qt_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimeZone>

namespace orb {

namespace {

constexpr const char* kCalendarLabel = ORB_TEXT("OrbCalender", "Calendar :");
constexpr const char* kSummaryLabel = ORB_TEXT("OrbCalender", "Summary :");
constexpr const char* kStartLabel = ORB_TEXT("OrbCalender", "Start Time :");
constexpr const char* kEndLabel = ORB_TEXT("OrbCalender", "End Time :");
constexpr const char* kAllDayText = ORB_TEXT("OrbCalender", "All day event");
constexpr const char* kRecurrenceText = ORB_TEXT("OrbCalender", "Recurrence");
constexpr const char* kLocationLabel = ORB_TEXT("OrbCalender", "Location :");
constexpr const char* kDescriptionLabel = ORB_TEXT("OrbCalender", "Description :");
constexpr const char* kCancelText = ORB_TEXT("OrbCalender", "Cancel");
constexpr const char* kDateFormat = "yyyy-MM-dd";
// Seconds stay visible so that a stored time comes back exactly.
constexpr const char* kTimeFormat = "HH:mm:ss";

// Pixel layout; the description box ends above the colour squares at y 300.
constexpr int kWidth = 420;
constexpr int kHeight = 372;
constexpr int kLabelLeft = 15;
constexpr int kLabelWidth = 90;
constexpr int kFieldLeft = 110;
constexpr int kFieldWidth = 290;
constexpr int kHalfWidth = 140;
constexpr int kSecondLeft = 260;
constexpr int kLineHeight = 24;
constexpr int kRowStep = 32;
constexpr int kFirstRow = 15;
constexpr int kDescriptionHeight = 85;
constexpr int kButtonTop = 330;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kInsertLeft = 230;
constexpr int kCancelLeft = 320;

int RowTop(int row)
{
    return kFirstRow + row * kRowStep;
}

QRect LabelRect(int row)
{
    return {kLabelLeft, RowTop(row), kLabelWidth, kLineHeight};
}

QRect FieldRect(int row, int height = kLineHeight)
{
    return {kFieldLeft, RowTop(row), kFieldWidth, height};
}

QRect FirstHalf(int row)
{
    return {kFieldLeft, RowTop(row), kHalfWidth, kLineHeight};
}

QRect SecondHalf(int row)
{
    return {kSecondLeft, RowTop(row), kHalfWidth, kLineHeight};
}

QTime ToQTime(const LocalDateTime& when)
{
    return {when.hour, when.minute, when.second};
}

LocalDateTime FromPickers(const QDate& date, const QTime& time)
{
    return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

QDateEdit* MakeDatePicker(QWidget* parent)
{
    auto* picker = new QDateEdit(parent);
    picker->setDisplayFormat(kDateFormat);
    picker->setCalendarPopup(true);
    picker->setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    return picker;
}

QTimeEdit* MakeTimePicker(QWidget* parent)
{
    auto* picker = new QTimeEdit(parent);
    picker->setDisplayFormat(kTimeFormat);
    return picker;
}

// The calendar list drops below its box, as the date pickers' calendars do, rather than
// over it around the chosen entry.
class ListBelowStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

enum Row
{
    CalendarRow,
    SummaryRow,
    StartRow,
    EndRow,
    CheckRow,
    LocationRow,
    DescriptionRow,
};

} // namespace

std::optional<int> QtUtcOffset(const std::string& zone, const LocalDateTime& local)
{
    // Qt reads an empty name as the machine's own zone.
    if (zone.empty())
        return std::nullopt;
    const QTimeZone timeZone(QByteArray::fromStdString(zone));
    if (!timeZone.isValid())
        return std::nullopt;
    const QDateTime at(ToQDate(local), ToQTime(local), timeZone);
    if (!at.isValid())
        return std::nullopt;
    return at.offsetFromUtc();
}

CInsertEventDlg::CInsertEventDlg(Prompter& prompter, const Clock& clock, QWidget* parent)
    : CEditDialog(parent), prompter_(prompter), clock_(clock), swatches_(EventColourSwatches(kFieldLeft))
{
    setObjectName(QString::number(kTemplateId));
    ShareSwatches(swatches_, model_);
    setFixedSize(kWidth, kHeight);

    AddStatic(kCalendarLabel, LabelRect(CalendarRow));
    calendarBox_ = new QComboBox(this);
    auto* listBelow = new ListBelowStyle;
    listBelow->setParent(calendarBox_); // a style is not owned by the widgets using it
    calendarBox_->setStyle(listBelow);
    Place(calendarBox_, kCalendarId, FieldRect(CalendarRow));

    AddStatic(kSummaryLabel, LabelRect(SummaryRow));
    summary_ = new QLineEdit(this);
    Place(summary_, kSummaryId, FieldRect(SummaryRow));

    AddStatic(kStartLabel, LabelRect(StartRow));
    startDate_ = MakeDatePicker(this);
    Place(startDate_, kStartDateId, FirstHalf(StartRow));
    startTime_ = MakeTimePicker(this);
    Place(startTime_, kStartTimeId, SecondHalf(StartRow));

    AddStatic(kEndLabel, LabelRect(EndRow));
    endDate_ = MakeDatePicker(this);
    Place(endDate_, kEndDateId, FirstHalf(EndRow));
    endTime_ = MakeTimePicker(this);
    Place(endTime_, kEndTimeId, SecondHalf(EndRow));

    allDay_ = new QCheckBox(UiText(kAllDayText), this);
    Place(allDay_, kAllDayId, FirstHalf(CheckRow));
    // Kept for the look of the form; repeating events are not edited here.
    recurrence_ = new QCheckBox(UiText(kRecurrenceText), this);
    Place(recurrence_, kRecurrenceId, SecondHalf(CheckRow));

    AddStatic(kLocationLabel, LabelRect(LocationRow));
    location_ = new QLineEdit(this);
    Place(location_, kLocationId, FieldRect(LocationRow));

    AddStatic(kDescriptionLabel, LabelRect(DescriptionRow));
    description_ = new QPlainTextEdit(this);
    description_->setTabChangesFocus(true);
    Place(description_, kDescriptionId, FieldRect(DescriptionRow, kDescriptionHeight));

    insert_ = AddButton(kInsertId, kInsertText, {kInsertLeft, kButtonTop, kButtonWidth, kButtonHeight});
    cancel_ = AddButton(kCancelId, kCancelText, {kCancelLeft, kButtonTop, kButtonWidth, kButtonHeight});
    readOnlyNote_ = AddNote(kReadOnlyNote, {kLabelLeft, kButtonTop, kInsertLeft - 2 * kLabelLeft, kButtonHeight});
    readOnlyNote_->hide();

    connect(calendarBox_, &QComboBox::activated, this, &CInsertEventDlg::OnCalendarChosen);
    connect(startDate_, &QDateEdit::dateChanged, this, &CInsertEventDlg::OnStartDateChanged);
    connect(allDay_, &QCheckBox::toggled, this, [this](bool checked) { ShowTimes(!checked); });
    connect(insert_, &QPushButton::clicked, this, &CInsertEventDlg::OnInsert);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void CInsertEventDlg::InitDialog()
{
    model_ = EventEditorModel(lookup_);
    model_.Start({event, calendarNames, calendarColours, startTimeZones, endTimeZones, calendarIndex, defaultStart,
                  defaultEnd, updateMode, allDayDefault, calendarColour},
                 clock_.Now());
    const EventEditorFields& fields = model_.initialFields();

    filling_ = true;
    for (const std::string& name : calendarNames)
        calendarBox_->addItem(QString::fromStdString(name));
    calendarBox_->setCurrentIndex(model_.calendarIndex() < calendarBox_->count() ? model_.calendarIndex() : -1);
    calendarBox_->setEnabled(model_.calendarChoosable());

    if (updateMode)
        insert_->setText(UiText(kUpdateText));
    summary_->setText(QString::fromStdString(fields.summary));
    description_->setPlainText(QString::fromStdString(fields.description));
    location_->setText(QString::fromStdString(fields.location));
    startDate_->setDate(ToQDate(fields.start));
    startTime_->setTime(ToQTime(fields.start));
    endDate_->setDate(ToQDate(fields.end));
    endTime_->setTime(ToQTime(fields.end));
    allDay_->setChecked(fields.allDay);
    ShowTimes(!fields.allDay);
    insert_->setEnabled(!readOnly);
    if (readOnly) {
        ShowReadOnly({calendarBox_, summary_, startDate_, startTime_, endDate_, endTime_, allDay_, recurrence_,
                      location_, description_});
        readOnlyNote_->show();
    }
    filling_ = false;
}

void CInsertEventDlg::ShowTimes(bool shown)
{
    startTime_->setVisible(shown);
    endTime_->setVisible(shown);
}

void CInsertEventDlg::OnCalendarChosen(int index)
{
    model_.SelectCalendar(index);
    update();
}

void CInsertEventDlg::OnStartDateChanged()
{
    if (!filling_)
        endDate_->setDate(startDate_->date());
}

bool CInsertEventDlg::PressClient(const QPoint& point)
{
    return !readOnly && SelectSwatchAt(swatches_, model_, point);
}

void CInsertEventDlg::PaintClient(QPainter& painter)
{
    PaintModelSwatches(painter, swatches_, model_);
}

EventEditorFields CInsertEventDlg::ReadFields() const
{
    EventEditorFields fields;
    fields.summary = summary_->text().toStdString();
    fields.description = description_->toPlainText().toStdString();
    fields.location = location_->text().toStdString();
    fields.allDay = allDay_->isChecked();
    fields.start = FromPickers(startDate_->date(), startTime_->time());
    fields.end = FromPickers(endDate_->date(), endTime_->time());
    return fields;
}

void CInsertEventDlg::OnInsert()
{
    if (model_.Save(ReadFields()) == EventSaveResult::InvalidTimeAndDate) {
        prompter_.ShowMessage(Translated(kInvalidTimeAndDate));
        return;
    }
    event = model_.event();
    calendarIndex = model_.calendarIndex();
    calendarColour = model_.calendarColour();
    accept();
}

QWidget* CInsertEventDlg::FirstField() const
{
    return summary_;
}

} // namespace orb
