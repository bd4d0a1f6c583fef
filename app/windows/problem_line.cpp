#include "app/windows/problem_line.h"

#include "core/prompter.h"

#include <QMouseEvent>

namespace orb {

namespace {

// A warning colour on the main window's dark grey, in either window.
constexpr QColor kProblemLineColour(0xF0, 0xA0, 0x50);
constexpr QColor kBackground(0x22, 0x22, 0x22);

// Qt shows a tool tip as markup whenever it looks like markup; escaped inside a paragraph
// that keeps its spaces and line breaks, a calendar name reads exactly as it was written.
QString PlainToolTip(const std::string& text)
{
    return "<p style='white-space:pre-wrap'>" + QString::fromStdString(text).toHtmlEscaped() + "</p>";
}

} // namespace

ProblemLine::ProblemLine(Prompter& prompter, QWidget* parent) : QLabel(parent), prompter_(prompter)
{
    setObjectName("problemLine");
    setTextFormat(Qt::PlainText); // names and reasons come from the service
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, kProblemLineColour);
    colours.setColor(QPalette::Window, kBackground);
    setPalette(colours);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
    hide();
}

void ProblemLine::SetProblem(const PassProblem& problem)
{
    problem_ = problem;
    setToolTip(HasProblem() ? PlainToolTip(problem_.details) : QString());
    ShowShortForm();
}

int ProblemLine::LineHeight() const
{
    return HasProblem() ? fontMetrics().height() + kPadding : 0;
}

void ProblemLine::ShowShortForm()
{
    setText(fontMetrics().elidedText(QString::fromStdString(problem_.line), Qt::ElideRight, width()));
}

void ProblemLine::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    ShowShortForm();
}

void ProblemLine::mousePressEvent(QMouseEvent* event)
{
    // Taken here, so the window under the line does not start a move.
    if (event->button() == Qt::LeftButton && HasProblem())
        return;
    QLabel::mousePressEvent(event);
}

void ProblemLine::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && HasProblem() && rect().contains(event->position().toPoint())) {
        prompter_.ShowMessage(problem_.details);
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

} // namespace orb
