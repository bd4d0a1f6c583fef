#include "dialogs/insert_task_dlg.h"

#include "dialogs/local_date_qt.h"
#include "translations/qt_text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace orb {

namespace {

constexpr const char* kTitleLabel = ORB_TEXT("OrbCalender", "Title :");
constexpr const char* kDueLabel = ORB_TEXT("OrbCalender", "due :");
constexpr const char* kDueCheckText = ORB_TEXT("OrbCalender", "Due Check");
constexpr const char* kNoteLabel = ORB_TEXT("OrbCalender", "Note : ");
constexpr const char* kNeedsActionText = ORB_TEXT("OrbCalender", "NeedsAction");
constexpr const char* kCompleteText = ORB_TEXT("OrbCalender", "Complete");
constexpr const char* kCancelText = ORB_TEXT("OrbCalender", "Cancel");
constexpr const char* kDateFormat = "yyyy-MM-dd";

// Pixel layout; in list mode the buttons move up to just under the title.
constexpr int kWidth = 360;
constexpr int kHeight = 290;
constexpr int kLabelLeft = 15;
constexpr int kLabelWidth = 60;
constexpr int kFieldLeft = 80;
constexpr int kFieldWidth = 265;
constexpr int kLineHeight = 24;
constexpr int kTitleTop = 15;
constexpr int kDueTop = 47;
constexpr int kDueWidth = 140;
constexpr int kDueCheckLeft = 230;
constexpr int kDueCheckWidth = 115;
constexpr int kNoteTop = 79;
constexpr int kNoteHeight = 110;
constexpr int kStatusTop = 199;
constexpr int kRadioWidth = 120;
constexpr int kCompleteLeft = 210;
constexpr int kButtonTop = 250;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kInsertLeft = 175;
constexpr int kCancelLeft = 265;

} // namespace

CInsertTaskDlg::CInsertTaskDlg(QWidget* parent) : CEditDialog(parent)
{
    setObjectName(QString::number(kTemplateId));
    setFixedSize(kWidth, kHeight);

    Place(AddStatic(kTitleLabel, {}), kTitleLabelId, {kLabelLeft, kTitleTop, kLabelWidth, kLineHeight});
    title_ = new QLineEdit(this);
    Place(title_, kTitleId, {kFieldLeft, kTitleTop, kFieldWidth, kLineHeight});

    dueLabel_ = AddStatic(kDueLabel, {});
    Place(dueLabel_, kDueLabelId, {kLabelLeft, kDueTop, kLabelWidth, kLineHeight});
    due_ = new QDateEdit(this);
    due_->setDisplayFormat(kDateFormat);
    due_->setCalendarPopup(true);
    Place(due_, kDueDateId, {kFieldLeft, kDueTop, kDueWidth, kLineHeight});
    dueCheck_ = new QCheckBox(UiText(kDueCheckText), this);
    Place(dueCheck_, kDueCheckId, {kDueCheckLeft, kDueTop, kDueCheckWidth, kLineHeight});

    noteLabel_ = AddStatic(kNoteLabel, {});
    Place(noteLabel_, kNoteLabelId, {kLabelLeft, kNoteTop, kLabelWidth, kLineHeight});
    note_ = new QPlainTextEdit(this);
    note_->setTabChangesFocus(true);
    Place(note_, kNoteId, {kFieldLeft, kNoteTop, kFieldWidth, kNoteHeight});

    needsAction_ = new QRadioButton(UiText(kNeedsActionText), this);
    Place(needsAction_, kNeedsActionId, {kFieldLeft, kStatusTop, kRadioWidth, kLineHeight});
    complete_ = new QRadioButton(UiText(kCompleteText), this);
    Place(complete_, kCompleteId, {kCompleteLeft, kStatusTop, kRadioWidth, kLineHeight});
    status_ = new QButtonGroup(this);
    status_->addButton(needsAction_, TaskEditorModel::kNeedsActionChoice);
    status_->addButton(complete_, TaskEditorModel::kCompleteChoice);

    insert_ = AddButton(kInsertId, kInsertText, {kInsertLeft, kButtonTop, kButtonWidth, kButtonHeight});
    cancel_ = AddButton(kCancelId, kCancelText, {kCancelLeft, kButtonTop, kButtonWidth, kButtonHeight});

    connect(dueCheck_, &QCheckBox::toggled, due_, &QWidget::setEnabled);
    // Only a list's lone title box takes Enter as Insert/Update.
    connect(title_, &QLineEdit::returnPressed, this, [this] {
        if (listMode)
            OnInsert();
    });
    connect(insert_, &QPushButton::clicked, this, &CInsertTaskDlg::OnInsert);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void CInsertTaskDlg::InitDialog()
{
    model_.Start(task, listMode, updateMode, clock_->Now());
    const TaskEditorFields& fields = model_.initialFields();

    if (updateMode)
        insert_->setText(UiText(kUpdateText));
    title_->setText(QString::fromStdString(fields.title));
    note_->setPlainText(QString::fromStdString(fields.notes));
    due_->setDate(ToQDate(fields.due));
    dueCheck_->setChecked(fields.hasDue);
    due_->setEnabled(fields.hasDue);
    status_->button(fields.statusChoice)->setChecked(true);

    if (!listMode)
        return;
    for (QWidget* control :
         std::initializer_list<QWidget*>{noteLabel_, note_, needsAction_, complete_, dueLabel_, dueCheck_, due_})
        control->hide();
    for (QPushButton* button : {insert_, cancel_})
        button->move(button->x(), button->y() - kListModeShrink);
    setFixedSize(width(), height() - kListModeShrink);
}

TaskEditorFields CInsertTaskDlg::ReadFields() const
{
    TaskEditorFields fields;
    fields.title = title_->text().toStdString();
    fields.notes = note_->toPlainText().toStdString();
    fields.hasDue = dueCheck_->isChecked();
    const QDate day = due_->date();
    fields.due = {day.year(), day.month(), day.day(), 0, 0, 0};
    fields.statusChoice = status_->checkedId();
    return fields;
}

void CInsertTaskDlg::OnInsert()
{
    model_.Save(ReadFields());
    task = model_.task();
    accept();
}

QWidget* CInsertTaskDlg::FirstField() const
{
    return title_;
}

} // namespace orb
