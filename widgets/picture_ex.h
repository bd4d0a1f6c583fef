#pragma once

#include "widgets/gif_player.h"

#include <QByteArray>
#include <QWidget>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace orb {

// A picture control that plays an animated GIF. Its animation thread composes frames on
// an off-screen canvas and asks the user-interface thread to repaint; it never touches
// the widget itself. Other pictures (a one-frame GIF, PNG, JPEG, ...) are shown still.
class CPictureEx : public QWidget
{
    Q_OBJECT

public:
    // The loading animation's resource id and type.
    static constexpr int kLoadingGifId = 150;
    static constexpr const char* kGifResourceType = "GIF";

    explicit CPictureEx(QWidget* parent = nullptr);
    ~CPictureEx() override;
    CPictureEx(const CPictureEx&) = delete;
    CPictureEx& operator=(const CPictureEx&) = delete;

    // Stops any animation first. False when nothing in the data could be decoded.
    bool Load(const QByteArray& bytes);
    bool LoadFromResource(int id = kLoadingGifId, const char* type = kGifResourceType);
    // Starts the animation thread for an animated GIF; draws a still picture once.
    // False when nothing is loaded.
    bool Draw();
    // Ends the animation thread; returns once it has ended.
    void Stop();

    bool IsAnimated() const { return player_.IsAnimated(); }
    bool IsPlaying() const { return thread_.joinable(); }
    int FrameCount() const { return player_.FrameCount(); }
    QSize PictureSize() const { return player_.ScreenSize(); }
    // A copy of the off-screen canvas as the next paint will show it.
    QImage Canvas() const { return player_.Canvas(); }

    QSize sizeHint() const override;

signals:
    // A frame is on the canvas and stays for `intervalMs`.
    void frameShown(int index, int intervalMs);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Animate();
    // True when Stop asked the thread to end within `timeout`.
    bool WaitForStop(std::chrono::milliseconds timeout);

    GifPlayer player_;
    std::thread thread_;
    std::mutex stopMutex_;
    std::condition_variable stopChanged_;
    bool stopRequested_ = false;
};

} // namespace orb
