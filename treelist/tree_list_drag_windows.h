#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace orb {

// The picture of the dragged rows that follows the pointer. Like the drop marker it is a
// top-level window that never takes focus or mouse input, so it is never "under" the
// pointer and never ends the drag by stealing focus.
class CTLCDragWnd : public QWidget
{
public:
    CTLCDragWnd(const QImage& rows, QWidget* owner);

    const QImage& Image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

// The arrow at the left end of the row a drop would land on.
class CTLCDropWnd : public QWidget
{
public:
    CTLCDropWnd(const QColor& colour, QWidget* owner);

    // Centres the arrow vertically on a point given in global coordinates.
    void PointAt(const QPoint& rowLeftMiddle);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
};

} // namespace orb
