#include "dialogs/insert_cal_dlg.h"

#include "translations/qt_text.h"
#include "widgets/colour_button.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace orb {

namespace {

constexpr const char* kSummaryLabel = ORB_TEXT("OrbCalender", "Summary :");
constexpr const char* kDescriptionLabel = ORB_TEXT("OrbCalender", "Description :");
constexpr const char* kUpdateText = ORB_TEXT("OrbCalender", "Update");
constexpr const char* kCancelText = ORB_TEXT("OrbCalender", "Cancel");

// Pixel layout; the colour squares sit below the description box, starting left of it.
constexpr int kWidth = 400;
constexpr int kHeight = 296;
constexpr int kLabelLeft = 15;
constexpr int kLabelWidth = 90;
constexpr int kFieldLeft = 110;
constexpr int kFieldWidth = 270;
constexpr int kLineHeight = 24;
constexpr int kSummaryTop = 15;
constexpr int kDescriptionTop = 47;
constexpr int kDescriptionHeight = 80;
constexpr int kForegroundTop = 180;
constexpr int kBackgroundTop = 212;
constexpr int kColourButtonWidth = 60;
constexpr int kButtonTop = 255;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kUpdateLeft = 210;
constexpr int kCancelLeft = 300;
constexpr int kNoteTop = 246;
constexpr int kNoteHeight = 44;

QRect LabelRect(int top)
{
    return {kLabelLeft, top, kLabelWidth, kLineHeight};
}

} // namespace

CInsertCalDlg::CInsertCalDlg(QWidget* parent)
    : CEditDialog(parent), model_(calendar),
      swatches_(CalendarColourSwatches(kFieldLeft, kDescriptionTop + kDescriptionHeight))
{
    setObjectName(QString::number(kTemplateId));
    ShareSwatches(swatches_, model_);
    setFixedSize(kWidth, kHeight);

    AddStatic(kSummaryLabel, LabelRect(kSummaryTop));
    summary_ = new QLineEdit(this);
    Place(summary_, kSummaryId, {kFieldLeft, kSummaryTop, kFieldWidth, kLineHeight});

    AddStatic(kDescriptionLabel, LabelRect(kDescriptionTop));
    description_ = new QPlainTextEdit(this);
    description_->setTabChangesFocus(true);
    Place(description_, kDescriptionId, {kFieldLeft, kDescriptionTop, kFieldWidth, kDescriptionHeight});

    // Each button stands on the row named after the colour it edits.
    AddStatic(kForegroundLabel, LabelRect(kForegroundTop));
    foreground_ = new CColorButton(kForegroundId, this);
    Place(foreground_, kForegroundId, {kFieldLeft, kForegroundTop, kColourButtonWidth, kLineHeight});
    AddStatic(kBackgroundLabel, LabelRect(kBackgroundTop));
    background_ = new CColorButton(kBackgroundId, this);
    Place(background_, kBackgroundId, {kFieldLeft, kBackgroundTop, kColourButtonWidth, kLineHeight});
    for (CColorButton* button : {foreground_, background_}) {
        // A calendar colour is always a real colour; the pop-up offers no "automatic" one.
        button->SetDefaultText(QString());
        connect(button, &CColorButton::colourSelected, this, &CInsertCalDlg::OnColourSelected);
    }

    update_ = AddButton(kUpdateId, kUpdateText, {kUpdateLeft, kButtonTop, kButtonWidth, kButtonHeight});
    cancel_ = AddButton(kCancelId, kCancelText, {kCancelLeft, kButtonTop, kButtonWidth, kButtonHeight});
    note_ = AddNote("", {kLabelLeft, kNoteTop, kUpdateLeft - 2 * kLabelLeft, kNoteHeight});
    note_->hide();
    connect(update_, &QPushButton::clicked, this, &CInsertCalDlg::OnUpdate);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void CInsertCalDlg::InitDialog()
{
    const CalendarEditorFields fields = model_.Fields();
    summary_->setText(QString::fromStdString(fields.summary));
    description_->setPlainText(QString::fromStdString(fields.description));
    foreground_->SetColour(model_.ButtonColour(CalendarColourField::Foreground));
    background_->SetColour(model_.ButtonColour(CalendarColourField::Background));
    if (!OwnsCalendar(calendar)) {
        ShowReadOnly({summary_, description_});
        note_->setText(UiText(IsReadOnlyRole(calendar.accessRole) ? kReadOnlyNote : kNotOwnerNote));
        note_->show();
    }
}

void CInsertCalDlg::OnColourSelected(ColorRef colour, int controlId)
{
    if (controlId == kForegroundId)
        model_.ConfirmColour(CalendarColourField::Foreground, colour);
    else if (controlId == kBackgroundId)
        model_.ConfirmColour(CalendarColourField::Background, colour);
    else
        return;
    foregroundChanged = model_.foregroundChanged();
    backgroundChanged = model_.backgroundChanged();
    // Square 0 shows the background colour.
    update();
}

bool CInsertCalDlg::PressClient(const QPoint& point)
{
    return SelectSwatchAt(swatches_, model_, point);
}

void CInsertCalDlg::PaintClient(QPainter& painter)
{
    PaintModelSwatches(painter, swatches_, model_);
}

void CInsertCalDlg::OnUpdate()
{
    model_.Save({summary_->text().toStdString(), description_->toPlainText().toStdString()});
    accept();
}

QWidget* CInsertCalDlg::FirstField() const
{
    return summary_;
}

} // namespace orb
