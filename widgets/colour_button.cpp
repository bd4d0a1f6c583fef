#include "widgets/colour_button.h"
#include "widgets/skin_accessible.h"

#include "translations/qt_text.h"
#include "widgets/pixel_rect_qt.h"

#include <QColorDialog>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>

namespace orb {

namespace {
const char* const kAutomaticText = ORB_TEXT("OrbCalender", "Automatic");
const char* const kMoreColoursText = ORB_TEXT("OrbCalender", "More Colors...");
// The application-workspace colour of a standard desktop theme, the usual "automatic" colour.
constexpr ColorRef kAppWorkspaceColour = MakeColorRef(171, 171, 171);
constexpr int kPreferredWidth = 60;
constexpr int kPreferredHeight = 23;

std::optional<ColorRef> AskColourDialog(ColorRef initial, QWidget* parent)
{
    // On the heap and watched: the parent may go away while the dialog's own loop runs.
    QPointer<QColorDialog> dialog = new QColorDialog(QColorFromRef(initial), parent);
    const int result = dialog->exec();
    if (!dialog)
        return std::nullopt;
    const QColor chosen = dialog->selectedColor();
    delete dialog;
    if (result != QDialog::Accepted || !chosen.isValid())
        return std::nullopt;
    return ColorRefFromQColor(chosen);
}
} // namespace

CColorButton::CColorButton(int controlId, QWidget* parent)
    : QAbstractButton(parent), controlId_(controlId), defaultColour_(kAppWorkspaceColour),
      defaultText_(UiText(kAutomaticText)), customText_(UiText(kMoreColoursText))
{
    InstallSkinAccessibility();
    setObjectName(QString::number(controlId));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    chooseCustomColour = [this](ColorRef initial, QWidget* dialogParent) {
        return AskColourDialog(initial == kDefaultColorRef ? defaultColour_ : initial, dialogParent);
    };
    connect(this, &QAbstractButton::clicked, this, &CColorButton::OpenPopup);
}

void CColorButton::SetColour(ColorRef colour)
{
    colour_ = colour;
    update();
}

void CColorButton::SetDefaultColour(ColorRef colour)
{
    defaultColour_ = colour;
    update();
}

QSize CColorButton::sizeHint() const
{
    return {kPreferredWidth, kPreferredHeight};
}

void CColorButton::OpenPopup()
{
    if (active_)
        return;
    active_ = true;
    colourAtOpen_ = colour_;
    popup_ = new CColourPopup(QRect(mapToGlobal(QPoint(0, 0)), size()), colour_, defaultText_, customText_, this);
    // Asked at the moment of choosing, so a chooser replaced meanwhile still counts.
    popup_->chooseCustomColour = [this](ColorRef initial, QWidget* dialogParent) {
        return chooseCustomColour ? chooseCustomColour(initial, dialogParent) : std::nullopt;
    };
    connect(popup_, &CColourPopup::selectionChanged, this, &CColorButton::OnSelectionChanged);
    connect(popup_, &CColourPopup::selectionEnded, this, &CColorButton::OnSelectionEnded);
    connect(popup_, &CColourPopup::selectionCancelled, this, &CColorButton::OnSelectionCancelled);
    update();
    popup_->show();
    emit dropDown(colour_, controlId_);
}

void CColorButton::OnSelectionChanged(ColorRef colour)
{
    if (trackSelection_) {
        colour_ = colour;
        update();
    }
    emit colourChanged(colour, controlId_);
}

void CColorButton::OnSelectionEnded(ColorRef colour)
{
    active_ = false;
    popup_ = nullptr;
    const bool changed = colour != colourAtOpen_;
    colour_ = colour;
    update();
    // The parent may close its dialog, and this button with it, on any of these.
    QPointer<CColorButton> self(this);
    emit closeUp(colour, controlId_);
    if (self)
        emit colourSelected(colour, controlId_);
    if (self && changed)
        emit colourChanged(colour, controlId_);
}

void CColorButton::OnSelectionCancelled(ColorRef colour)
{
    active_ = false;
    popup_ = nullptr;
    colour_ = colour;
    update();
    QPointer<CColorButton> self(this);
    emit closeUp(colour, controlId_);
    if (self)
        emit selectionCancelled(colour, controlId_);
}

QImage CColorButton::RenderImage() const
{
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(palette().color(QPalette::Button));
    QPainter painter(&image);

    QStyleOptionButton bevel;
    bevel.initFrom(this);
    bevel.state &= ~QStyle::State_HasFocus; // shown by the focus rectangle instead
    bevel.state |= active_ || isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawControl(QStyle::CE_PushButtonBevel, &bevel, &painter, this);

    const ColourButtonLayout layout = LayOutColourButton(width(), height(), kColourEdge);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = ToQRect(layout.focus);
        focus.backgroundColor = palette().color(QPalette::Button);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }

    painter.setPen(isEnabled() ? QColor(Qt::black) : palette().color(QPalette::Disabled, QPalette::WindowText));
    const PixelRect& arrow = layout.arrow;
    for (int row = 0; row < arrow.Height(); ++row)
        painter.drawLine(arrow.left + row, arrow.top + row, arrow.right - 1 - row, arrow.top + row);

    const PixelRect& separator = layout.separator;
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(separator.left, separator.top, separator.left, separator.bottom - 1);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(separator.left + 1, separator.top, separator.left + 1, separator.bottom - 1);

    if (isEnabled() && !layout.swatch.IsEmpty()) {
        painter.setPen(Qt::black);
        painter.setBrush(QColorFromRef(colour_ == kDefaultColorRef ? defaultColour_ : colour_));
        painter.drawRect(ToQRect(layout.swatch).adjusted(0, 0, -1, -1));
    }
    return image;
}

void CColorButton::paintEvent(QPaintEvent*)
{
    QPainter(this).drawImage(0, 0, RenderImage());
}

} // namespace orb
