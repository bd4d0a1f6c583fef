#pragma once

#include <QCloseEvent>
#include <QWidget>
#include <atomic>

namespace orb {

// A top-level window of the program: closing only hides it (it comes back from the tray),
// and whether it is shown can be asked from the load worker.
class ShellWindow : public QWidget
{
public:
    using QWidget::QWidget;

    bool IsShownNow() const { return shown_; } // any thread

protected:
    void showEvent(QShowEvent* event) override
    {
        shown_ = true;
        QWidget::showEvent(event);
    }

    void hideEvent(QHideEvent* event) override
    {
        shown_ = false;
        QWidget::hideEvent(event);
    }

    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        hide();
    }

private:
    std::atomic<bool> shown_ = false;
};

} // namespace orb
