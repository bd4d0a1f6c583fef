#pragma once

#include "widgets/slider_math.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace orb {

// The application messages the slider stands for.
constexpr int kSliderMovingMessage = 10449; // thumb dragged, position changed
constexpr int kSliderMovedMessage = 10450;  // drag ended, or a key moved the position

// A slider drawn from a channel bitmap and a thumb bitmap with a transparent colour.
class CBitmapSlider : public QWidget
{
    Q_OBJECT

public:
    explicit CBitmapSlider(int controlId, QWidget* parent = nullptr);

    int ControlId() const { return controlId_; }
    void SetRange(int minPos, int maxPos);
    void SetPos(int pos); // clamped to the range; no signal
    void SetPageSize(int pageSize) { pageSize_ = pageSize; }
    void SetVertical(bool vertical);
    void SetMargins(int left, int top, int right, int bottom);

    int MinPos() const { return minPos_; }
    int MaxPos() const { return maxPos_; }
    int Pos() const { return pos_; }
    int PageSize() const { return pageSize_; }
    bool IsVertical() const { return vertical_; }
    bool IsDragging() const { return dragging_; }
    int GrabOffset() const { return grabOffset_; }
    // The thumb centre, along the slider's direction.
    int ThumbCentre() const { return SliderPixelOfPos(Axis(), pos_); }
    SliderAxis Axis() const;

    QSize sizeHint() const override;
    QImage RenderImage() const;

signals:
    void positionChanging(int controlId, int position); // kSliderMovingMessage
    void positionChanged(int controlId, int position);  // kSliderMovedMessage

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int Along(const QPointF& point) const;
    void DragTo(int mouse);
    QPixmap Oriented(const QPixmap& pixmap) const;

    int controlId_;
    int minPos_ = 0;
    int maxPos_ = 100;
    int pos_ = 0;
    int pageSize_;
    bool vertical_ = false;
    int marginLeft_ = 0;
    int marginTop_ = 0;
    int marginRight_ = 0;
    int marginBottom_ = 0;
    bool dragging_ = false;
    int grabOffset_ = 0;
    QPixmap channel_;
    QPixmap channelDisabled_;
    QPixmap thumb_;
    QPixmap thumbDisabled_;
};

} // namespace orb
