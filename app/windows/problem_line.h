#pragma once

#include "app/shell_core/load_pass.h"

#include <QLabel>

namespace orb {

class Prompter;

// The warning line under a window's content saying what the last load could not read. It
// shows the short form, cut to its width; its tool tip and a click show every failure.
class ProblemLine : public QLabel
{
    Q_OBJECT

public:
    // Kept between the line and the window's edges.
    static constexpr int kPadding = 3;

    ProblemLine(Prompter& prompter, QWidget* parent);

    void SetProblem(const PassProblem& problem);
    bool HasProblem() const { return !problem_.line.empty(); }
    // The height it takes under the content while it has something to say.
    int LineHeight() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ShowShortForm();

    Prompter& prompter_;
    PassProblem problem_;
};

} // namespace orb
