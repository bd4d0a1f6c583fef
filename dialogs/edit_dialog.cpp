#include "dialogs/edit_dialog.h"
#include "dialogs/edit_dialog_accessible.h"

#include "translations/qt_text.h"
#include "widgets/colour_popup.h"
#include "widgets/native_position.h"
#include "widgets/owned_dialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

namespace orb {

namespace {
constexpr int kCheckMarkWidth = 2;
} // namespace

CEditDialog::CEditDialog(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    InstallEditDialogAccessibility();
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText}) {
        colours.setColor(QPalette::Active, role, QColor(kTextColour));
        colours.setColor(QPalette::Inactive, role, QColor(kTextColour));
        colours.setColor(QPalette::Disabled, role, QColor(kDisabledTextColour));
    }
    setPalette(colours);
    OpenOverOwner(this);
}

void CEditDialog::Place(QWidget* control, int id, const QRect& rect)
{
    control->setObjectName(QString::number(id));
    control->setGeometry(rect);
}

QLabel* CEditDialog::AddStatic(const char* text, const QRect& rect)
{
    auto* label = new QLabel(UiText(text), this);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(rect);
    return label;
}

QPushButton* CEditDialog::AddButton(int id, const char* text, const QRect& rect)
{
    auto* button = new QPushButton(UiText(text), this);
    // A focused or default button would take Enter as a click.
    button->setAutoDefault(false);
    button->setDefault(false);
    Place(button, id, rect);
    return button;
}

QLabel* CEditDialog::AddNote(const char* text, const QRect& rect)
{
    QLabel* note = AddStatic(text, rect);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return note;
}

void CEditDialog::ShowReadOnly(const std::initializer_list<QWidget*>& controls)
{
    for (QWidget* control : controls) {
        if (auto* line = qobject_cast<QLineEdit*>(control))
            line->setReadOnly(true);
        else if (auto* text = qobject_cast<QPlainTextEdit*>(control))
            text->setReadOnly(true);
        else if (auto* picker = qobject_cast<QDateTimeEdit*>(control)) {
            picker->setReadOnly(true);
            picker->setButtonSymbols(QAbstractSpinBox::NoButtons);
            picker->setCalendarPopup(false);
        } else {
            control->setEnabled(false);
            continue;
        }
        QPalette colours = control->palette();
        colours.setColor(QPalette::Base, QColor(kReadOnlyFieldColour));
        control->setPalette(colours);
    }
}

bool CEditDialog::PressClient(const QPoint&)
{
    return false;
}

void CEditDialog::PaintClient(QPainter&) {}

void CEditDialog::PaintSwatches(QPainter& painter, const SwatchStrip& swatches, int selected,
                                const std::function<ColorRef(int)>& colourOf)
{
    for (int k = 0; k < swatches.Count(); ++k) {
        const PixelRect r = swatches.Rect(k);
        painter.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), QColorFromRef(colourOf(k)));
    }
    painter.setPen(QPen(Qt::black, 1));
    const int x = swatches.SeparatorX();
    painter.drawLine(x, swatches.SeparatorTop(), x, swatches.SeparatorBottom() - 1);

    if (selected < 0 || selected >= swatches.Count())
        return;
    painter.setPen(QPen(Qt::white, kCheckMarkWidth, Qt::SolidLine));
    QPolygon check;
    for (const PixelPoint& p : swatches.CheckMark(selected))
        check << QPoint(p.x, p.y);
    painter.drawPolyline(check);
}

void CEditDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CEditDialog::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && !PressClient(event->position().toPoint()))
        move_.Press(event->globalPosition());
    QDialog::mousePressEvent(event);
}

void CEditDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (move_.Move(*event, this))
        return;
    QDialog::mouseMoveEvent(event);
}

void CEditDialog::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        move_.Release();
    QDialog::mouseReleaseEvent(event);
}

void CEditDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    PaintClient(painter);
}

void CEditDialog::showEvent(QShowEvent* event)
{
    if (!initialized_) {
        initialized_ = true;
        KeepNativePosition(this);
        InitDialog();
        if (QWidget* first = FirstField())
            first->setFocus(Qt::OtherFocusReason);
    }
    QDialog::showEvent(event);
}

} // namespace orb
