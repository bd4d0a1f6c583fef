#include "widgets/skin_scrollbar.h"
#include "widgets/skin_accessible.h"

#include "core/diagnostics.h"
#include "resources/resources.h"
#include "widgets/skin_bitmaps.h"

#include <QMouseEvent>
#include <QPainter>

#include <string>

namespace orb {

namespace {
const QColor kBarBackground(34, 34, 34);
constexpr double kOpaque = 255.0;

Diagnostics& DefaultDiagnostics()
{
    static StdoutDiagnostics diagnostics;
    return diagnostics;
}

bool Hits(const PixelRect& rect, const QPoint& point)
{
    return rect.Contains(point.x(), point.y());
}
} // namespace

SkinScrollbar::SkinScrollbar(ScrollOrientation orientation, QWidget* parent)
    : QWidget(parent), orientation_(orientation), diagnostics_(&DefaultDiagnostics()),
      timers_([this](int id) { OnTimer(id); })
{
    EnsureResources();
    InstallSkinAccessibility();
    // Every pixel is painted, so the background is never erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (IsVertical()) {
        back_.load(skin::kVerticalUp);
        track_.load(skin::kVerticalTrack);
        forward_.load(skin::kVerticalDown);
        thumb_.load(skin::kVerticalThumb);
        corner_.load(skin::kCorner);
        setFixedWidth(skin::kThickness);
    } else {
        back_.load(skin::kHorizontalLeft);
        track_.load(skin::kHorizontalTrack);
        forward_.load(skin::kHorizontalRight);
        thumb_.load(skin::kHorizontalThumb);
        setFixedHeight(skin::kThickness);
    }
}

void SkinScrollbar::SetTarget(SkinScrollTarget* target)
{
    target_ = target;
    UpdateThumb();
}

void SkinScrollbar::SetDiagnostics(Diagnostics* diagnostics)
{
    diagnostics_ = diagnostics ? diagnostics : &DefaultDiagnostics();
}

int SkinScrollbar::Length() const
{
    return IsVertical() ? height() : width();
}

int SkinScrollbar::Along(const QPoint& point) const
{
    return IsVertical() ? point.y() : point.x();
}

int SkinScrollbar::Limit() const
{
    return target_ ? target_->ScrollLimit(orientation_) : 0;
}

ScrollBarHitRects SkinScrollbar::HitRects() const
{
    return IsVertical() ? VerticalHitRects(height(), thumbPos_) : HorizontalHitRects(width(), thumbPos_);
}

void SkinScrollbar::UpdateThumb()
{
    const int limit = Limit();
    const int position = target_ ? target_->ScrollPosition(orientation_) : 0;
    const ScrollThumb thumb =
        IsVertical() ? VerticalThumb(height(), limit, position) : HorizontalThumb(width(), limit, position);
    thumbPos_ = thumb.pos;
    thumbInterval_ = thumb.interval;

    const int extent = target_ ? target_->ContentExtent(orientation_) : 0;
    const bool overflows =
        IsVertical() ? VerticalContentOverflows(height(), extent) : HorizontalContentOverflows(width(), extent);
    if (overflows) {
        barAlpha_ = skin::kVisibleAlpha;
        timers_.Start(kFadeTimer, kFadeIntervalMs);
    } else {
        barAlpha_ = skin::kFadedAlpha;
        timers_.Stop(kFadeTimer);
    }
    update();
}

void SkinScrollbar::Send(ScrollAction action)
{
    if (target_)
        target_->Scroll(orientation_, action);
}

void SkinScrollbar::OnTimer(int id)
{
    switch (id) {
    case kRepeatDelayTimer:
        timers_.Stop(kRepeatDelayTimer);
        timers_.Start(kRepeatTimer, kRepeatIntervalMs);
        break;
    case kRepeatTimer:
        if (pressedLineBack_)
            Send(ScrollAction::LineBack);
        else if (pressedLineForward_)
            Send(ScrollAction::LineForward);
        UpdateThumb();
        break;
    case kFadeTimer:
        barAlpha_ = NextFadeAlpha(barAlpha_);
        if (barAlpha_ <= skin::kFadedAlpha)
            timers_.Stop(kFadeTimer);
        update();
        break;
    default:
        break;
    }
}

QImage SkinScrollbar::RenderImage() const
{
    QImage image(size(), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    QPainter painter(&image);
    painter.fillRect(image.rect(), kBarBackground);
    painter.setOpacity(barAlpha_ / kOpaque);
    const int length = Length();
    const int trackStart = skin::kArrowLength;
    if (IsVertical()) {
        const int forwardTop = VerticalHitRects(length, 0).forward.top;
        painter.drawPixmap(QRect(0, 0, skin::kThickness, skin::kArrowLength), back_);
        if (forwardTop > trackStart)
            painter.drawPixmap(QRect(0, trackStart, skin::kThickness, forwardTop - trackStart), track_);
        painter.drawPixmap(QRect(0, forwardTop, skin::kThickness, skin::kArrowLength), forward_);
        painter.drawPixmap(QRect(1, length - skin::kCornerSize, skin::kCornerSize, skin::kCornerSize), corner_);
        if (Limit() > 0)
            painter.drawPixmap(QRect(0, thumbPos_, skin::kThickness, skin::kThumbLength), thumb_);
    } else {
        const int forwardLeft = length - skin::kArrowLength;
        painter.drawPixmap(QRect(0, 0, skin::kArrowLength, skin::kThickness), back_);
        if (forwardLeft > trackStart)
            painter.drawPixmap(QRect(trackStart, 0, forwardLeft - trackStart, skin::kThickness), track_);
        painter.drawPixmap(QRect(forwardLeft, 0, skin::kArrowLength, skin::kThickness), forward_);
        if (Limit() > 0)
            painter.drawPixmap(QRect(thumbPos_, 0, skin::kThumbLength, skin::kThickness), thumb_);
    }
    return image;
}

void SkinScrollbar::paintEvent(QPaintEvent*)
{
    QPainter(this).drawImage(0, 0, RenderImage());
}

void SkinScrollbar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint point = event->position().toPoint();
    const ScrollBarHitRects rects = HitRects();
    pressed_ = true;
    // An invisible thumb (nothing to scroll) cannot be grabbed.
    if (Hits(rects.thumb, point) && Limit() > 0) {
        draggingThumb_ = true;
    } else if (Hits(rects.forward, point)) {
        pressedLineForward_ = true;
        timers_.Start(kRepeatDelayTimer, kRepeatDelayMs);
    } else if (Hits(rects.back, point)) {
        pressedLineBack_ = true;
        timers_.Start(kRepeatDelayTimer, kRepeatDelayMs);
    }
}

void SkinScrollbar::mouseMoveEvent(QMouseEvent* event)
{
    if (!draggingThumb_ || !target_)
        return;
    const int along = Along(event->position().toPoint());
    const int limit = Limit();
    const int position =
        IsVertical() ? VerticalDragPosition(along, height(), limit) : HorizontalDragPosition(along, width(), limit);
    target_->SetScrollPosition(orientation_, position);
    diagnostics_->WriteLine("size.cy " + std::to_string(position) + " nMax : " + std::to_string(limit));
    UpdateThumb();
    barAlpha_ = skin::kVisibleAlpha;
    update();
}

void SkinScrollbar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !pressed_)
        return;
    UpdateThumb();
    timers_.Stop(kRepeatTimer);
    timers_.Stop(kRepeatDelayTimer);
    const QPoint point = event->position().toPoint();
    const ScrollBarHitRects rects = HitRects();
    if (pressedLineBack_) {
        if (Hits(rects.back, point))
            Send(ScrollAction::LineBack);
    } else if (pressedLineForward_) {
        if (Hits(rects.forward, point))
            Send(ScrollAction::LineForward);
    } else if (!draggingThumb_ && rect().contains(point) && !Hits(rects.thumb, point)) {
        Send(Along(point) < thumbPos_ ? ScrollAction::PageBack : ScrollAction::PageForward);
    }
    pressed_ = pressedLineBack_ = pressedLineForward_ = draggingThumb_ = false;
}

} // namespace orb
