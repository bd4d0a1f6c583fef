#pragma once

#include "core/color_ref.h"
#include "widgets/colour_table.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

namespace orb {

QColor QColorFromRef(ColorRef colour);
ColorRef ColorRefFromQColor(const QColor& colour);

// Asks the user for any colour, starting from `initial`; nothing on Cancel.
using CustomColourChooser = std::function<std::optional<ColorRef>(ColorRef initial, QWidget* parent)>;

// The drop-down grid of 40 named colours with optional "default" and "custom" text rows.
// It ends itself once: selectionEnded or selectionCancelled, then it deletes itself later.
class CColourPopup : public QWidget
{
    Q_OBJECT

public:
    // `anchor` is the owner's rectangle in global coordinates; the pop-up opens below it.
    CColourPopup(const QRect& anchor, ColorRef colour, const QString& defaultText, const QString& customText,
                 QWidget* parent);

    const ColourPopupLayout& Layout() const { return layout_; }
    int Highlight() const { return highlight_; }
    ColorRef InitialColour() const { return initial_; }
    ColorRef CurrentColour() const { return current_; }
    const QString& DefaultText() const { return defaultText_; }
    const QString& CustomText() const { return customText_; }
    QString ToolTipAt(const QPoint& point) const;
    QImage RenderImage() const;

    CustomColourChooser chooseCustomColour;

signals:
    void selectionChanged(orb::ColorRef colour);   // the highlight moved
    void selectionEnded(orb::ColorRef colour);     // OK
    void selectionCancelled(orb::ColorRef colour); // the colour it opened with

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    ColorRef ColourOfHighlight(int highlight) const;
    void SetHighlight(int highlight);
    void End(bool ok);
    void DrawTextRow(QPainter& painter, const PixelRect& row, const QString& text, int item) const;
    void DrawCell(QPainter& painter, int index) const;

    ColorRef initial_;
    ColorRef current_;
    QString defaultText_;
    QString customText_;
    ColourPopupLayout layout_;
    int highlight_ = kNoColourCell;
    bool ended_ = false;
};

} // namespace orb
