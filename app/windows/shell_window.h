#pragma once

#include "widgets/deferred_move.h"

#include <QWidget>
#include <atomic>

namespace orb {

class SizingBorder;

// A top-level window of the program. Closing puts it away: hidden when the tray can bring
// it back, minimised when only the taskbar can. Whether it is shown can be asked from the
// load worker. In the Resizing mode it has a visible sizing border around its client area.
class ShellWindow : public QWidget
{
public:
    ShellWindow(QWidget* parent, Qt::WindowFlags flags);

    bool IsShownNow() const { return shown_; } // any thread

    // Without a notification area the window keeps a taskbar entry and Esc, Enter and
    // close minimise it instead of hiding it.
    void SetTrayAvailable(bool available);
    bool TrayAvailable() const { return trayAvailable_; }
    void PutAway();

    void SetSizingBorder(bool on);
    SizingBorder* Border() const { return border_; }
    // The client area: the window less its sizing border.
    QRect ClientRect() const;

protected:
    // The client area changed size or place; lay the controls out in ClientRect().
    virtual void LayoutClient() {}
    // Tab is a command in these windows, never focus navigation.
    bool focusNextPrevChild(bool) override { return false; }
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    DeferredMove move_;

private:
    SizingBorder* border_;
    bool trayAvailable_ = true;
    std::atomic<bool> shown_ = false;
};

} // namespace orb
