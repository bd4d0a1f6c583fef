#include "widgets/bitmap_slider.h"
#include "widgets/skin_accessible.h"

#include "resources/resources.h"
#include "widgets/skin_bitmaps.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTransform>

namespace orb {

namespace {
constexpr int kDefaultPageSize = 10;
constexpr int kQuarterTurn = 90;
const QColor kThumbTransparent(255, 0, 255);

QPixmap MaskedThumb(const char* path)
{
    QPixmap pixmap(path);
    pixmap.setMask(pixmap.createMaskFromColor(kThumbTransparent));
    return pixmap;
}
} // namespace

CBitmapSlider::CBitmapSlider(int controlId, QWidget* parent)
    : QWidget(parent), controlId_(controlId), pageSize_(kDefaultPageSize)
{
    EnsureResources();
    InstallSkinAccessibility();
    setObjectName(QString::number(controlId));
    setFocusPolicy(Qt::StrongFocus);
    channel_.load(skin::kSliderChannel);
    channelDisabled_.load(skin::kSliderChannelDisabled);
    thumb_ = MaskedThumb(skin::kSliderThumb);
    thumbDisabled_ = MaskedThumb(skin::kSliderThumbDisabled);
    resize(sizeHint());
}

void CBitmapSlider::SetRange(int minPos, int maxPos)
{
    minPos_ = minPos;
    maxPos_ = maxPos;
    pos_ = SliderClampPos(Axis(), pos_);
    update();
}

void CBitmapSlider::SetPos(int pos)
{
    pos_ = SliderClampPos(Axis(), pos);
    update();
}

void CBitmapSlider::SetVertical(bool vertical)
{
    vertical_ = vertical;
    resize(sizeHint());
    update();
}

void CBitmapSlider::SetMargins(int left, int top, int right, int bottom)
{
    marginLeft_ = left;
    marginTop_ = top;
    marginRight_ = right;
    marginBottom_ = bottom;
    update();
}

SliderAxis CBitmapSlider::Axis() const
{
    SliderAxis axis;
    axis.channelLength = channel_.width();
    axis.thumbLength = thumb_.width();
    axis.marginStart = vertical_ ? marginTop_ : marginLeft_;
    axis.marginEnd = vertical_ ? marginBottom_ : marginRight_;
    axis.minPos = minPos_;
    axis.maxPos = maxPos_;
    return axis;
}

QSize CBitmapSlider::sizeHint() const
{
    return vertical_ ? channel_.size().transposed() : channel_.size();
}

QPixmap CBitmapSlider::Oriented(const QPixmap& pixmap) const
{
    return vertical_ ? pixmap.transformed(QTransform().rotate(kQuarterTurn)) : pixmap;
}

QImage CBitmapSlider::RenderImage() const
{
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // The second pair of bitmaps is the disabled look.
    const QPixmap channel = Oriented(isEnabled() ? channel_ : channelDisabled_);
    const QPixmap thumb = Oriented(isEnabled() ? thumb_ : thumbDisabled_);
    painter.drawPixmap(0, 0, channel);
    const int start = ThumbCentre() - Axis().thumbLength / 2;
    if (vertical_)
        painter.drawPixmap((channel.width() - thumb.width()) / 2, start, thumb);
    else
        painter.drawPixmap(start, (channel.height() - thumb.height()) / 2, thumb);
    return image;
}

void CBitmapSlider::paintEvent(QPaintEvent*)
{
    QPainter(this).drawImage(0, 0, RenderImage());
}

int CBitmapSlider::Along(const QPointF& point) const
{
    return static_cast<int>(vertical_ ? point.y() : point.x());
}

void CBitmapSlider::DragTo(int mouse)
{
    const SliderAxis axis = Axis();
    const int pixel = SliderClampPixel(axis, mouse - grabOffset_);
    const int pos = SliderClampPos(axis, SliderPosOfPixel(axis, pixel));
    if (pos == pos_)
        return;
    pos_ = pos;
    update();
    AnnounceSliderValue(this);
    emit positionChanging(controlId_, pos_);
}

void CBitmapSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    setFocus(Qt::MouseFocusReason);
    dragging_ = true;
    const int mouse = Along(event->position());
    grabOffset_ = SliderGrabOffset(Axis(), mouse, ThumbCentre());
    DragTo(mouse);
}

void CBitmapSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_)
        DragTo(Along(event->position()));
}

void CBitmapSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !dragging_)
        return;
    dragging_ = false;
    update();
    emit positionChanged(controlId_, pos_);
}

void CBitmapSlider::keyPressEvent(QKeyEvent* event)
{
    int pos = pos_;
    switch (event->key()) {
    case Qt::Key_PageUp:
        pos -= pageSize_;
        break;
    case Qt::Key_PageDown:
        pos += pageSize_;
        break;
    case Qt::Key_End:
        pos = maxPos_;
        break;
    case Qt::Key_Home:
        pos = minPos_;
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        pos += 1;
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        pos -= 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    SetPos(pos);
    AnnounceSliderValue(this);
    emit positionChanged(controlId_, pos_);
}

} // namespace orb
