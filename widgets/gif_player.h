#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

#include <mutex>
#include <vector>

class QPainter;

namespace orb {

struct GifFile;

// The frames of a loaded picture and the off-screen canvas they are composed on. The
// animation thread steps it (ShowCurrent, Advance) while the user-interface thread paints
// the canvas; the canvas is guarded by one lock.
class GifPlayer
{
public:
    struct Frame
    {
        QImage picture; // null when this frame could not be decoded
        QRect area;     // on the logical screen
        int delay = 0;  // hundredths of a second
        int disposal = 0;
    };

    // A GIF with several frames is cut into frames; anything else (a one-frame GIF, PNG,
    // JPEG, ...) becomes one still picture. False when nothing could be decoded.
    bool Load(const QByteArray& bytes);
    void Clear();

    bool IsLoaded() const { return !screen_.isEmpty(); }
    bool IsAnimated() const { return frames_.size() > 1; }
    int FrameCount() const { return static_cast<int>(frames_.size()); }
    const Frame& FrameAt(int index) const { return frames_[index]; }
    int CurrentFrame() const { return current_; }
    QSize ScreenSize() const { return screen_; }
    QColor Background() const { return background_; }

    // Draws the current frame (or the still picture) onto the canvas and returns how long
    // it stays, in milliseconds.
    int ShowCurrent();
    // Disposes of the current frame as it asks and moves to the next one; after the last
    // frame the canvas starts again from the background.
    void Advance();

    QImage Canvas() const;
    void Paint(QPainter& painter) const;

private:
    bool LoadFrames(const GifFile& gif);
    void FillCanvas(const QRect& area);

    QSize screen_;
    QColor background_ = Qt::transparent;
    QImage still_;
    std::vector<Frame> frames_;
    int current_ = 0;
    QImage saved_; // what a restore-previous frame covered

    mutable std::mutex canvasMutex_;
    QImage canvas_;
};

} // namespace orb
