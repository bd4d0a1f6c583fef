#pragma once

#include "core/ui_text.h"

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>

namespace orb {

class CPictureEx;

// Where the picture, "Loading" and the message line go in a client area of `size`.
struct WaitLayout
{
    QRect picture;
    QRect title;
    QRect message;
};
WaitLayout ComputeWaitLayout(QSize size);

// "Loading" in red above a message line, beside the loading animation, covering the
// owner's client area. It takes no input at all: everything but painting is swallowed.
class CWaitDlg : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kTemplateId = 133;
    static constexpr int kPictureId = 1003;
    static constexpr int kOpacity = 100; // of 255
    static constexpr const char* kTitleText = ORB_TEXT("OrbCalender", "Loading");

    // A child of `owner`, laid over it while a load pass or an edit runs. Not a window of
    // its own: a window manager that maps, activates and withdraws it late would leave the
    // owner unfocused, deaf to every key.
    explicit CWaitDlg(QWidget* owner);
    ~CWaitDlg() override;

    // Stored, and repainted when shown.
    void SetWaitMessage(const std::string& text);
    std::string WaitMessage() const { return message_.toStdString(); }

    // Covers the owner again, shows and starts the animation. Non-blocking.
    void ShowWait();
    // Hides and stops the animation.
    void EndWait();
    // Between ShowWait and EndWait, even while the owner is hidden.
    bool IsWaiting() const { return !isHidden(); }
    // Runs a blocking `call` on a worker thread while this window shows and the
    // user-interface thread keeps painting; ends the wait when the call returns.
    void RunWhileWaiting(const std::function<void()>& call);

    CPictureEx* Picture() const { return picture_; }
    const WaitLayout& Layout() const { return layout_; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CoverOwner();

    QWidget* owner_;
    QString message_;
    CPictureEx* picture_;
    WaitLayout layout_;
    QPointer<QWidget> focusBefore_;
};

} // namespace orb
