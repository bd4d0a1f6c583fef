#include "widgets/gif_player.h"

#include "widgets/gif_frames.h"

#include <QPainter>

namespace orb {

namespace {

constexpr const char* kGifFormat = "GIF";

std::span<const std::uint8_t> Bytes(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

QColor ColorFromRgb(std::uint32_t rgb)
{
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The decoder may hand back the whole logical screen with the frame placed on it; only
// the frame's own rectangle is drawn.
QImage FramePicture(const QImage& decoded, const QRect& area)
{
    if (decoded.isNull() || decoded.size() == area.size())
        return decoded;
    if (QRect(QPoint(0, 0), decoded.size()).contains(area))
        return decoded.copy(area);
    return decoded;
}

} // namespace

void GifPlayer::Clear()
{
    screen_ = {};
    background_ = Qt::transparent;
    still_ = {};
    frames_.clear();
    current_ = 0;
    saved_ = {};
    std::lock_guard lock(canvasMutex_);
    canvas_ = {};
}

bool GifPlayer::Load(const QByteArray& bytes)
{
    Clear();
    const auto data = Bytes(bytes);
    if (HasGifSignature(data)) {
        GifFile gif;
        if (!ParseGif(data, gif))
            return false;
        if (gif.frames.size() > 1) {
            if (!LoadFrames(gif)) {
                Clear();
                return false;
            }
            return true;
        }
    }
    if (!still_.loadFromData(bytes))
        return false;
    screen_ = still_.size();
    std::lock_guard lock(canvasMutex_);
    canvas_ = QImage(screen_, QImage::Format_ARGB32_Premultiplied);
    canvas_.fill(Qt::transparent);
    return true;
}

bool GifPlayer::LoadFrames(const GifFile& gif)
{
    QRect bounds;
    bool decodedAny = false;
    for (const GifFrame& cut : gif.frames) {
        Frame frame;
        frame.area = QRect(cut.left, cut.top, cut.width, cut.height);
        frame.delay = cut.delay;
        frame.disposal = cut.disposal;
        QImage decoded;
        if (decoded.loadFromData(cut.gif.data(), static_cast<int>(cut.gif.size()), kGifFormat)) {
            frame.picture = FramePicture(decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied), frame.area);
            decodedAny = true;
        }
        bounds |= frame.area;
        frames_.push_back(std::move(frame));
    }
    screen_ = QSize(gif.width, gif.height);
    // Some writers leave the logical screen at zero; the frames then say how big it is.
    if (screen_.isEmpty())
        screen_ = QSize(bounds.right() + 1, bounds.bottom() + 1);
    if (!decodedAny || screen_.isEmpty())
        return false;
    if (gif.background)
        background_ = ColorFromRgb(*gif.background);
    {
        std::lock_guard lock(canvasMutex_);
        canvas_ = QImage(screen_, QImage::Format_ARGB32_Premultiplied);
    }
    FillCanvas(QRect(QPoint(0, 0), screen_));
    return true;
}

void GifPlayer::FillCanvas(const QRect& area)
{
    std::lock_guard lock(canvasMutex_);
    QPainter painter(&canvas_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(area, background_);
}

int GifPlayer::ShowCurrent()
{
    if (frames_.empty()) {
        std::lock_guard lock(canvasMutex_);
        if (!still_.isNull()) {
            QPainter painter(&canvas_);
            painter.drawImage(QPoint(0, 0), still_);
        }
        return 0;
    }
    const Frame& frame = frames_[current_];
    if (!frame.picture.isNull()) {
        std::lock_guard lock(canvasMutex_);
        if (frame.disposal == kGifDisposePrevious)
            saved_ = canvas_.copy(frame.area);
        QPainter painter(&canvas_);
        painter.drawImage(frame.area, frame.picture);
    }
    return GifFrameIntervalMs(frame.delay);
}

void GifPlayer::Advance()
{
    if (frames_.empty())
        return;
    const Frame& frame = frames_[current_];
    if (!frame.picture.isNull()) {
        if (frame.disposal == kGifDisposeBackground) {
            FillCanvas(frame.area);
        } else if (frame.disposal == kGifDisposePrevious && !saved_.isNull()) {
            std::lock_guard lock(canvasMutex_);
            QPainter painter(&canvas_);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(frame.area.topLeft(), saved_);
        }
    }
    saved_ = {};
    if (++current_ == FrameCount()) {
        current_ = 0;
        FillCanvas(QRect(QPoint(0, 0), screen_));
    }
}

QImage GifPlayer::Canvas() const
{
    std::lock_guard lock(canvasMutex_);
    return canvas_.copy();
}

void GifPlayer::Paint(QPainter& painter) const
{
    std::lock_guard lock(canvasMutex_);
    if (!canvas_.isNull())
        painter.drawImage(QPoint(0, 0), canvas_);
}

} // namespace orb
