#include "app/windows/shell_window.h"

#include "app/windows/taskbar_entry.h"
#include "widgets/sizing_border.h"

#include <QCloseEvent>

namespace orb {

ShellWindow::ShellWindow(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), border_(new SizingBorder(this))
{}

void ShellWindow::SetTrayAvailable(bool available)
{
    trayAvailable_ = available;
}

void ShellWindow::PutAway()
{
    if (trayAvailable_)
        hide();
    else
        showMinimized();
}

void ShellWindow::SetSizingBorder(bool on)
{
    if (on == border_->IsEnabled())
        return;
    border_->SetEnabled(on);
    LayoutClient();
    update();
}

QRect ShellWindow::ClientRect() const
{
    return border_->Inner();
}

void ShellWindow::showEvent(QShowEvent* event)
{
    shown_ = true;
    // With a tray the tray is the windows' handle, as on the original platform.
    SetTaskbarEntry(this, !trayAvailable_);
    QWidget::showEvent(event);
}

void ShellWindow::hideEvent(QHideEvent* event)
{
    shown_ = false;
    QWidget::hideEvent(event);
}

void ShellWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    PutAway();
}

void ShellWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutClient();
}

} // namespace orb
