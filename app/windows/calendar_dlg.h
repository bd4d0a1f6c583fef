#pragma once

#include "app/shell_core/settings.h"
#include "app/shell_core/store.h"
#include "app/windows/shell_window.h"
#include "calendarview/calendar_source.h"
#include "calendarview/month_view_settings.h"
#include "core/commands.h"

namespace orb {

class Clock;
class COrbCalendarCtrl;
class EventFlows;
class CWaitDlg;
class ProblemLine;
class Prompter;
struct PassProblem;

// The month view reads the store under its lock whenever the store's revision moved.
class StoreCalendarSource : public CalendarSource
{
public:
    explicit StoreCalendarSource(const LocalStore& store) : store_(store) {}
    void ReadCalendars(const std::function<void(const std::vector<CalendarRecord>&)>& reader) const override;
    std::uint64_t Revision() const override { return store_.Revision(); }

private:
    const LocalStore& store_;
};

// The calendar window: a borderless window filled by the month view, with its own
// stacking mode and loading overlay. While it is shown alone it also says what the last
// load could not read, on a line under the month view.
class CCalendarDlg : public ShellWindow
{
    Q_OBJECT

public:
    CCalendarDlg(AppSettings& settings, const Clock& clock, const LocalStore& store, Prompter& prompter,
                 QWidget* owner = nullptr);
    ~CCalendarDlg() override;

    COrbCalendarCtrl* MonthView() const { return view_; }
    CWaitDlg* Overlay() const { return overlay_; }
    int WindowMode() const { return windowMode_; }
    // Values above Normal are taken as Bottom.
    void SetWindowMode(int mode);
    void NextWindowMode();
    // The outer rectangle and mode, recorded when the window goes away.
    void RecordState();
    // Runs a command by id; false when it is not this window's.
    bool RunCommand(Command command);
    // The month view's edits go through these, behind this window's own wait.
    void SetEventFlows(EventFlows* flows);
    void SetPassProblem(const PassProblem& problem);
    // Whether the main window is off the screen, leaving this window the only one to tell.
    void SetShownAlone(bool alone);

    static constexpr int kMinimumWidth = 500;
    static constexpr int kMinimumHeight = 200;

signals:
    void synchronizeRequested();
    void treeViewRequested();
    void shown();

protected:
    void LayoutClient() override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool HandleKey(QKeyEvent* event);
    void ShowProblemLine();

    AppSettings& settings_;
    MonthViewSettings viewSettings_; // mirrored into settings_ on every change
    StoreCalendarSource source_;
    COrbCalendarCtrl* view_ = nullptr;
    CWaitDlg* overlay_ = nullptr;
    ProblemLine* problemLine_ = nullptr;
    bool shownAlone_ = false;
    int windowMode_;
};

} // namespace orb
