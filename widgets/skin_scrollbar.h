#pragma once

#include "widgets/numbered_timers.h"
#include "widgets/skin_scroll_target.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace orb {

class Diagnostics;

// A bitmap-drawn scroll bar beside a SkinScrollTarget. It fades almost to nothing a moment
// after every update, and stays faint when the target's content fits.
class SkinScrollbar : public QWidget
{
public:
    static constexpr int kRepeatTimer = 1;
    static constexpr int kRepeatDelayTimer = 2;
    static constexpr int kFadeTimer = 3;
    static constexpr int kRepeatIntervalMs = 50;
    static constexpr int kRepeatDelayMs = 250;
    static constexpr int kFadeIntervalMs = 25;

    void SetTarget(SkinScrollTarget* target);
    SkinScrollTarget* Target() const { return target_; }
    void SetDiagnostics(Diagnostics* diagnostics);

    // Recomputes the thumb from the target and restarts the fade; the target calls this
    // after every relayout.
    void UpdateThumb();

    ScrollOrientation Orientation() const { return orientation_; }
    int ThumbPos() const { return thumbPos_; }
    double ThumbInterval() const { return thumbInterval_; }
    int BarAlpha() const { return barAlpha_; }
    bool DraggingThumb() const { return draggingThumb_; }
    NumberedTimers& Timers() { return timers_; }

    QImage RenderImage() const;

protected:
    SkinScrollbar(ScrollOrientation orientation, QWidget* parent);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool IsVertical() const { return orientation_ == ScrollOrientation::Vertical; }
    int Length() const;
    int Along(const QPoint& point) const;
    int Limit() const;
    ScrollBarHitRects HitRects() const;
    void Send(ScrollAction action);
    void OnTimer(int id);

    ScrollOrientation orientation_;
    SkinScrollTarget* target_ = nullptr;
    Diagnostics* diagnostics_;
    NumberedTimers timers_;
    int thumbPos_ = 0;
    double thumbInterval_ = 0.0;
    int barAlpha_ = 10;
    bool pressed_ = false;
    bool pressedLineBack_ = false;
    bool pressedLineForward_ = false;
    bool draggingThumb_ = false;
    QPixmap back_;
    QPixmap track_;
    QPixmap forward_;
    QPixmap thumb_;
    QPixmap corner_;
};

} // namespace orb
