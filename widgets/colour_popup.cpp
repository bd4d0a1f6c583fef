#include "widgets/colour_popup.h"
#include "widgets/skin_accessible.h"

#include "widgets/pixel_rect_qt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QToolTip>
#include <qdrawutil.h>

namespace orb {

namespace {
constexpr int kHotFillAlpha = 64;
constexpr int kFrameWidth = 1;

} // namespace

QColor QColorFromRef(ColorRef colour)
{
    return {RedOf(colour), GreenOf(colour), BlueOf(colour)};
}

ColorRef ColorRefFromQColor(const QColor& colour)
{
    return MakeColorRef(colour.red(), colour.green(), colour.blue());
}

CColourPopup::CColourPopup(const QRect& anchor, ColorRef colour, const QString& defaultText, const QString& customText,
                           QWidget* parent)
    : QWidget(parent, Qt::Popup), initial_(colour), current_(colour), defaultText_(defaultText), customText_(customText)
{
    InstallSkinAccessibility();
    setFont(QApplication::font("QMessageBox"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    layout_ =
        LayOutColourPopup(kColourEdge, QFontMetrics(font()).height(), !defaultText.isEmpty(), !customText.isEmpty());
    highlight_ = colour == kDefaultColorRef && layout_.HasDefaultRow() ? kDefaultColourRow : ColourTableIndex(colour);

    QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const PixelRect placed = PlaceColourPopup(ToPixelRect(anchor), layout_.window.Width(), layout_.window.Height(),
                                              ToPixelRect(screen->availableGeometry()));
    setFixedSize(placed.Width(), placed.Height());
    // The client rectangle, so that a platform's window frame does not shift it.
    setGeometry(ToQRect(placed));
}

QString CColourPopup::ToolTipAt(const QPoint& point) const
{
    const int hit = layout_.HitTest(point.x(), point.y());
    return hit >= 0 ? QString::fromUtf8(ColourTable()[hit].name) : QString();
}

ColorRef CColourPopup::ColourOfHighlight(int highlight) const
{
    if (highlight >= 0)
        return ColourTable()[highlight].colour;
    if (highlight == kDefaultColourRow)
        return kDefaultColorRef;
    // The custom row and empty space keep the colour the pop-up opened with until chosen.
    return initial_;
}

void CColourPopup::SetHighlight(int highlight)
{
    if (highlight == highlight_)
        return;
    highlight_ = highlight;
    current_ = ColourOfHighlight(highlight);
    update();
    AnnounceColourHighlight(this);
    emit selectionChanged(current_);
}

void CColourPopup::End(bool ok)
{
    if (ended_)
        return;
    ended_ = true;
    QPointer<CColourPopup> self(this);
    ColorRef chosen = current_;
    if (ok && highlight_ == kCustomColourRow) {
        // The dialog is modal; the pop-up lets go of the mouse and keyboard first.
        hide();
        const std::optional<ColorRef> custom =
            chooseCustomColour ? chooseCustomColour(current_, parentWidget()) : std::nullopt;
        if (!self)
            return;
        ok = custom.has_value();
        chosen = custom.value_or(initial_);
    }
    close();
    if (ok)
        emit selectionEnded(chosen);
    else
        emit selectionCancelled(initial_);
    if (self)
        deleteLater();
}

bool CColourPopup::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = ToolTipAt(help->pos());
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        const int hit = layout_.HitTest(help->pos().x(), help->pos().y());
        QToolTip::showText(help->globalPos(), tip, this, ToQRect(layout_.CellRect(hit)));
    }
    return true;
}

void CColourPopup::DrawTextRow(QPainter& painter, const PixelRect& row, const QString& text, int item) const
{
    const QRect box = ToQRect(layout_.TextBox(row));
    if (highlight_ == item) {
        QColor hot = palette().color(QPalette::Highlight);
        painter.setPen(hot);
        hot.setAlpha(kHotFillAlpha);
        painter.setBrush(hot);
        painter.drawRect(box.adjusted(0, 0, -kFrameWidth, -kFrameWidth));
    } else {
        const bool chosen = item == kDefaultColourRow && initial_ == kDefaultColorRef;
        qDrawShadePanel(&painter, box, palette(), chosen, kFrameWidth);
    }
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(box, Qt::AlignCenter, text);
}

void CColourPopup::DrawCell(QPainter& painter, int index) const
{
    const QRect cell = ToQRect(layout_.CellRect(index));
    const ColorRef colour = ColourTable()[index].colour;
    if (highlight_ == index) {
        QColor hot = palette().color(QPalette::Highlight);
        painter.setPen(hot);
        hot.setAlpha(kHotFillAlpha);
        painter.setBrush(hot);
        painter.drawRect(cell.adjusted(0, 0, -kFrameWidth, -kFrameWidth));
    } else if (colour == initial_) {
        qDrawShadePanel(&painter, cell, palette(), true, kFrameWidth);
    }
    const int edge = layout_.edge;
    const QRect swatch = cell.adjusted(edge, edge, -edge, -edge);
    painter.setPen(palette().color(QPalette::Shadow));
    painter.setBrush(QColorFromRef(colour));
    painter.drawRect(swatch.adjusted(0, 0, -kFrameWidth, -kFrameWidth));
}

QImage CColourPopup::RenderImage() const
{
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(palette().color(QPalette::Button));
    QPainter painter(&image);
    painter.setFont(font());
    if (layout_.HasDefaultRow())
        DrawTextRow(painter, layout_.defaultRow, defaultText_, kDefaultColourRow);
    for (int index = 0; index < kColourCount; ++index)
        DrawCell(painter, index);
    if (layout_.HasCustomRow())
        DrawTextRow(painter, layout_.customRow, customText_, kCustomColourRow);
    qDrawWinPanel(&painter, ToQRect(layout_.window), palette(), false);
    return image;
}

void CColourPopup::paintEvent(QPaintEvent*)
{
    QPainter(this).drawImage(0, 0, RenderImage());
}

void CColourPopup::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    SetHighlight(layout_.HitTest(point.x(), point.y()));
}

void CColourPopup::mousePressEvent(QMouseEvent* event)
{
    // Swallowed: Qt would close the pop-up on a press outside, but only the release decides.
    event->accept();
}

void CColourPopup::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint point = event->position().toPoint();
    if (!rect().contains(point)) {
        End(false);
        return;
    }
    SetHighlight(layout_.HitTest(point.x(), point.y()));
    End(true);
}

void CColourPopup::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        SetHighlight(MoveColourHighlight(layout_, highlight_, ColourArrow::Left));
        break;
    case Qt::Key_Right:
        SetHighlight(MoveColourHighlight(layout_, highlight_, ColourArrow::Right));
        break;
    case Qt::Key_Up:
        SetHighlight(MoveColourHighlight(layout_, highlight_, ColourArrow::Up));
        break;
    case Qt::Key_Down:
        SetHighlight(MoveColourHighlight(layout_, highlight_, ColourArrow::Down));
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        End(true);
        break;
    case Qt::Key_Escape:
        End(false);
        break;
    default:
        event->ignore();
        break;
    }
}

void CColourPopup::closeEvent(QCloseEvent* event)
{
    // Closed from outside (another window took over): that is a cancel.
    End(false);
    event->accept();
}

} // namespace orb
