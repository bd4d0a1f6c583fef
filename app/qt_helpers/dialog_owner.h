#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

class QWidget;

namespace orb {

// The window the user acted in, for the question, message or editor that follows: the open
// modal dialog, else the active window, else the watched window that last had input from the
// user, else a watched window on the screen; none when nothing of the program is shown (the
// tray), and the dialog then opens on the screen.
class DialogOwner : public QObject
{
public:
    DialogOwner();
    ~DialogOwner() override;

    // The program's top-level windows; input to any of their widgets counts as acting in them.
    void Watch(QWidget* window);
    QWidget* Choose() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<QPointer<QWidget>> windows_;
    QPointer<QWidget> lastInput_;
};

} // namespace orb
