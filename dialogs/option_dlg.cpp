#include "dialogs/option_dlg.h"

#include "core/sync_minutes.h"
#include "translations/qt_text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>

namespace orb {

namespace {

constexpr const char* kDefaultGroup = ORB_TEXT("OrbCalender", "Default Options");
constexpr const char* kCalendarGroup = ORB_TEXT("OrbCalender", "Calendar's Options");
constexpr const char* kTaskGroup = ORB_TEXT("OrbCalender", "Task's Options");
constexpr const char* kUserLabel = ORB_TEXT("OrbCalender", "ID : ");
constexpr const char* kPassLabel = ORB_TEXT("OrbCalender", "Pass :");
constexpr const char* kKeyLabel = ORB_TEXT("OrbCalender", "API Key :");
constexpr const char* kShowText = ORB_TEXT("OrbCalender", "show");
constexpr const char* kAllExpendText = ORB_TEXT("OrbCalender", "All Expend");
constexpr const char* kDueHideText = ORB_TEXT("OrbCalender", "Due Hide");
constexpr const char* kStartWithDesktopText = ORB_TEXT("OrbCalender", "Start with the desktop");
constexpr const char* kRemindersText = ORB_TEXT("OrbCalender", "Reminders");
constexpr const char* kTaskReminderLabel = ORB_TEXT("OrbCalender", "tasks at");
constexpr const char* kTimeFormat = "HH:mm";
constexpr const char* kSyncMinutesLabel = ORB_TEXT("OrbCalender", "Synchronize every N minutes");
constexpr const char* kNeverText = ORB_TEXT("OrbCalender", "Never");
constexpr const char* kFromLabel = ORB_TEXT("OrbCalender", "from :");
constexpr const char* kToLabel = ORB_TEXT("OrbCalender", "to :");
constexpr const char* kDaysLabel = ORB_TEXT("OrbCalender", "days");
constexpr const char* kAllText = ORB_TEXT("OrbCalender", "All");
constexpr const char* kCompletedText = ORB_TEXT("OrbCalender", "Completed");
constexpr const char* kNeedsActionText = ORB_TEXT("OrbCalender", "NeedsAction");
constexpr const char* kSaveText = ORB_TEXT("OrbCalender", "Save");
constexpr const char* kCancelText = ORB_TEXT("OrbCalender", "Cancel");

// Pixel layout: three group boxes stacked, the buttons under them on the right.
constexpr int kWidth = 340;
constexpr int kHeight = 426;
constexpr int kGroupLeft = 10;
constexpr int kGroupWidth = 320;
constexpr int kGroupTitleHeight = 24; // the first row starts under the box's title
constexpr int kRowStep = 30;
constexpr int kLineHeight = 24;
constexpr int kInnerLeft = 22;

constexpr int kDefaultTop = 10;
constexpr int kDefaultHeight = 242;
constexpr int kLabelWidth = 70;
constexpr int kFieldLeft = 95;
constexpr int kFieldWidth = 160;
constexpr int kShowLeft = 262;
constexpr int kShowWidth = 60;
constexpr int kCheckWidth = 110;
constexpr int kStartWithDesktopWidth = 220;
constexpr int kDueHideLeft = kFieldLeft + 40;
constexpr int kTaskReminderLabelLeft = kDueHideLeft;
constexpr int kTaskReminderLabelWidth = 56;
constexpr int kTimeLeft = kTaskReminderLabelLeft + kTaskReminderLabelWidth;
constexpr int kTimeWidth = 70;
constexpr int kSyncLabelWidth = 180;
constexpr int kSyncBoxLeft = kInnerLeft + kSyncLabelWidth + 6;
constexpr int kSyncBoxWidth = 80;

constexpr int kCalendarTop = 260;
constexpr int kCalendarHeight = 60;
constexpr int kFromLabelWidth = 44;
constexpr int kDayBoxWidth = 50;
constexpr int kDaysWidth = 36;
constexpr int kToLeft = 182;
constexpr int kToLabelWidth = 30;
constexpr int kGap = 6;

constexpr int kTaskTop = 328;
constexpr int kTaskHeight = 56;
constexpr int kAllWidth = 60;
constexpr int kCompletedLeft = 100;
constexpr int kCompletedWidth = 100;
constexpr int kNeedsActionLeft = 205;
constexpr int kNeedsActionWidth = 115;

constexpr int kButtonTop = 392;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kSaveLeft = 160;
constexpr int kCancelLeft = 250;

int RowTop(int groupTop, int row)
{
    return groupTop + kGroupTitleHeight + row * kRowStep;
}

// The box only frames its rows: a press on it moves the window like one on the bare dialog.
void AddGroup(QWidget* dialog, const char* title, int top, int height)
{
    auto* group = new QGroupBox(UiText(title), dialog);
    group->setAttribute(Qt::WA_TransparentForMouseEvents);
    group->setGeometry(kGroupLeft, top, kGroupWidth, height);
}

} // namespace

COptionDlg::COptionDlg(QWidget* parent) : CEditDialog(parent)
{
    setObjectName(QString::number(kTemplateId));
    setFixedSize(kWidth, kHeight);

    // Created first so that they lie under the controls.
    AddGroup(this, kDefaultGroup, kDefaultTop, kDefaultHeight);
    AddGroup(this, kCalendarGroup, kCalendarTop, kCalendarHeight);
    AddGroup(this, kTaskGroup, kTaskTop, kTaskHeight);

    AddStatic(kUserLabel, {kInnerLeft, RowTop(kDefaultTop, 0), kLabelWidth, kLineHeight});
    user_ = new QLineEdit(this);
    Place(user_, kUserId, {kFieldLeft, RowTop(kDefaultTop, 0), kFieldWidth, kLineHeight});
    AddStatic(kPassLabel, {kInnerLeft, RowTop(kDefaultTop, 1), kLabelWidth, kLineHeight});
    pass_ = AddMaskedBox(kPassId, RowTop(kDefaultTop, 1));
    AddStatic(kKeyLabel, {kInnerLeft, RowTop(kDefaultTop, 2), kLabelWidth, kLineHeight});
    key_ = AddMaskedBox(kKeyId, RowTop(kDefaultTop, 2));
    allExpend_ = new QCheckBox(UiText(kAllExpendText), this);
    Place(allExpend_, kAllExpendId, {kInnerLeft, RowTop(kDefaultTop, 3), kCheckWidth, kLineHeight});
    dueHide_ = new QCheckBox(UiText(kDueHideText), this);
    Place(dueHide_, kDueHideId, {kDueHideLeft, RowTop(kDefaultTop, 3), kCheckWidth, kLineHeight});
    startWithDesktop_ = new QCheckBox(UiText(kStartWithDesktopText), this);
    Place(startWithDesktop_, kStartWithDesktopId,
          {kInnerLeft, RowTop(kDefaultTop, 4), kStartWithDesktopWidth, kLineHeight});
    reminders_ = new QCheckBox(UiText(kRemindersText), this);
    Place(reminders_, kRemindersId, {kInnerLeft, RowTop(kDefaultTop, 5), kCheckWidth, kLineHeight});
    AddStatic(kTaskReminderLabel,
              {kTaskReminderLabelLeft, RowTop(kDefaultTop, 5), kTaskReminderLabelWidth, kLineHeight});
    taskReminderTime_ = new QTimeEdit(this);
    taskReminderTime_->setDisplayFormat(QString::fromUtf8(kTimeFormat));
    Place(taskReminderTime_, kTaskReminderTimeId, {kTimeLeft, RowTop(kDefaultTop, 5), kTimeWidth, kLineHeight});
    QLabel* syncLabel =
        AddStatic(kSyncMinutesLabel, {kInnerLeft, RowTop(kDefaultTop, 6), kSyncLabelWidth, kLineHeight});
    syncMinutes_ = new QSpinBox(this);
    syncMinutes_->setRange(0, kMaxSyncMinutes);
    syncMinutes_->setSpecialValueText(UiText(kNeverText));
    syncLabel->setBuddy(syncMinutes_);
    Place(syncMinutes_, kSyncMinutesId, {kSyncBoxLeft, RowTop(kDefaultTop, 6), kSyncBoxWidth, kLineHeight});

    const int dayTop = RowTop(kCalendarTop, 0);
    int x = kInnerLeft;
    AddStatic(kFromLabel, {x, dayTop, kFromLabelWidth, kLineHeight});
    x += kFromLabelWidth;
    from_ = new QLineEdit(this);
    Place(from_, kFromId, {x, dayTop, kDayBoxWidth, kLineHeight});
    x += kDayBoxWidth + kGap;
    AddStatic(kDaysLabel, {x, dayTop, kDaysWidth, kLineHeight});
    x = kToLeft;
    AddStatic(kToLabel, {x, dayTop, kToLabelWidth, kLineHeight});
    x += kToLabelWidth;
    to_ = new QLineEdit(this);
    Place(to_, kToId, {x, dayTop, kDayBoxWidth, kLineHeight});
    x += kDayBoxWidth + kGap;
    AddStatic(kDaysLabel, {x, dayTop, kDaysWidth, kLineHeight});

    const int choiceTop = RowTop(kTaskTop, 0);
    viewChoice_ = new QButtonGroup(this);
    const struct
    {
        int id;
        const char* text;
        int choice;
        QRect rect;
    } radios[] = {
        {kAllId, kAllText, kViewChoiceAll, {kInnerLeft, choiceTop, kAllWidth, kLineHeight}},
        {kCompletedId, kCompletedText, kViewChoiceCompleted, {kCompletedLeft, choiceTop, kCompletedWidth, kLineHeight}},
        {kNeedsActionId,
         kNeedsActionText,
         kViewChoiceNeedsAction,
         {kNeedsActionLeft, choiceTop, kNeedsActionWidth, kLineHeight}},
    };
    for (const auto& radio : radios) {
        auto* button = new QRadioButton(UiText(radio.text), this);
        Place(button, radio.id, radio.rect);
        viewChoice_->addButton(button, radio.choice);
    }

    auto* save = AddButton(kSaveId, kSaveText, {kSaveLeft, kButtonTop, kButtonWidth, kButtonHeight});
    auto* cancel = AddButton(kCancelId, kCancelText, {kCancelLeft, kButtonTop, kButtonWidth, kButtonHeight});
    connect(save, &QPushButton::clicked, this, &COptionDlg::OnSave);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit* COptionDlg::AddMaskedBox(int id, int top)
{
    auto* box = new QLineEdit(this);
    box->setEchoMode(QLineEdit::Password);
    Place(box, id, {kFieldLeft, top, kFieldWidth, kLineHeight});

    auto* show = new QCheckBox(UiText(kShowText), this);
    show->setObjectName(QString::number(id) + QString::fromUtf8(kShowSuffix));
    show->setGeometry(kShowLeft, top, kShowWidth, kLineHeight);
    connect(show, &QCheckBox::toggled, box,
            [box](bool clear) { box->setEchoMode(clear ? QLineEdit::Normal : QLineEdit::Password); });
    return box;
}

void COptionDlg::InitDialog()
{
    const OptionFields fields = OpenOptions(values);
    user_->setText(QString::fromStdString(fields.user));
    pass_->setText(QString::fromStdString(fields.pass));
    key_->setText(QString::fromStdString(fields.key));
    from_->setText(QString::fromStdString(fields.from));
    to_->setText(QString::fromStdString(fields.to));
    allExpend_->setChecked(fields.allExpend);
    dueHide_->setChecked(fields.dueHide);
    startWithDesktop_->setChecked(fields.startWithDesktop);
    reminders_->setChecked(fields.reminders);
    taskReminderTime_->setTime(QTime(fields.taskReminderTime / 60, fields.taskReminderTime % 60));
    syncMinutes_->setValue(fields.syncMinutes);
    viewChoice_->button(fields.viewChoice)->setChecked(true);
}

OptionFields COptionDlg::ReadFields() const
{
    OptionFields fields;
    fields.user = user_->text().toStdString();
    fields.pass = pass_->text().toStdString();
    fields.key = key_->text().toStdString();
    fields.from = from_->text().toStdString();
    fields.to = to_->text().toStdString();
    fields.allExpend = allExpend_->isChecked();
    fields.dueHide = dueHide_->isChecked();
    fields.startWithDesktop = startWithDesktop_->isChecked();
    fields.syncMinutes = syncMinutes_->value();
    fields.viewChoice = viewChoice_->checkedId();
    fields.reminders = reminders_->isChecked();
    fields.taskReminderTime = taskReminderTime_->time().msecsSinceStartOfDay() / 60000;
    return fields;
}

void COptionDlg::OnSave()
{
    // An exclusive group opened with one choice checked always has one; no message is needed.
    const std::optional<OptionValues> saved = SaveOptions(ReadFields());
    if (!saved)
        return;
    values = *saved;
    accept();
}

QWidget* COptionDlg::FirstField() const
{
    return user_;
}

void COptionDlg::keyPressEvent(QKeyEvent* event)
{
    // Only Save or Cancel end this dialog.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        CEditDialog::keyPressEvent(event);
    }
}

} // namespace orb
