#pragma once

#include "app/shell_core/load_pass.h"
#include "app/shell_core/settings.h"
#include "app/shell_core/store.h"
#include "app/windows/shell_window.h"
#include "core/commands.h"
#include "treelist/tree_list_notify.h"

#include <functional>
#include <optional>

class QPushButton;

namespace orb {

class CBitmapSlider;
class CWaitDlg;
class EventFlows;
class TaskFlows;
class CTreeListCtrl;
class CTreeListItem;
class Clock;
class Diagnostics;
class ProblemLine;
class Prompter;

// The main window: a borderless window with the tree of calendars and tasks, the opacity
// slider and the "+" button. It owns the local store and shows its rows. Commands the user
// gives here that it does not own (windows, sign-in, exit, the editors) go out through
// `commandRequested`; commands coming in through RunCommand never go back out.
class COrbCalenderDlg : public ShellWindow, public TreeListNotifyHandler, public TreeSink
{
    Q_OBJECT

public:
    COrbCalenderDlg(AppSettings& settings, const Clock& clock, Diagnostics& diagnostics, Prompter& prompter,
                    QWidget* parent = nullptr);
    ~COrbCalenderDlg() override;

    LocalStore& Store() { return store_; }
    CTreeListCtrl* Tree() const { return tree_; }
    CBitmapSlider* Slider() const { return slider_; }
    QPushButton* InsertButton() const { return insertButton_; }

    // Creation steps of the tree, the slider and the opacity.
    void PrepareControls();
    void SetWindowMode(int mode);

    void SetListFont(const LogFont& font);
    // The line under the tree that says what the last load could not read; empty hides it.
    void SetPassProblem(const PassProblem& problem);
    void ApplyOpacity();
    void LayoutControls();

    // Runs a command by id; false when it is not this window's.
    bool RunCommand(Command command);
    // A command the user gave in this window: run here, or handed to the frame.
    void Dispatch(Command command);

    void RebuildCalendarBranch();
    void RebuildTaskBranch();
    // The column-0 text of the row's level-1 ancestor.
    static std::string BranchOf(const CTreeListItem* item);

    // The about box (tests replace it).
    std::function<void()> showAbout;
    // Where the list font dialog comes from (tests replace it).
    std::function<std::optional<QFont>(const QFont&)> chooseFont;
    // The load pass behind Synchronizing; set by the frame.
    LoadPass* loadPass = nullptr;
    // The calendar branch's edits and the wait they show; set by the frame.
    EventFlows* eventFlows = nullptr;
    CWaitDlg* editWait = nullptr;
    // The task branch's edits; set by the frame.
    TaskFlows* taskFlows = nullptr;

    // TreeSink: the load worker's rows arrive in order on this window's thread.
    void UpdateBranchRows(const std::string& branch, std::vector<TreeRow> rows) override;
    void RemoveAllRows() override;

    int OnTreeListNotify(const TreeListNotify& notify) override;

    static constexpr int kMinimumWidth = 242;
    static constexpr int kMinimumHeight = 300;
    static constexpr int kMoveBandHeight = 30;
    static constexpr int kTreeTopMargin = 20;
    static constexpr int kTreeSideMargin = 12;
    static constexpr int kSliderMax = 155;
    static constexpr int kAlphaOffset = 100;
    static constexpr int kSmallestListFont = -12;

    static constexpr const char* kRebuildRefusedLine = "Task view mode ignored: a pass is running";

signals:
    void commandRequested(orb::Command command);
    void shown();
    void hidden();

protected:
    void LayoutClient() override { LayoutControls(); }
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the key was handled here and goes no further.
    bool HandleKey(QKeyEvent* event);
    // True when the wheel turned the list font.
    bool HandleCtrlWheel(QWheelEvent* event);
    void ShowControlMenu(const QPoint& globalPos);
    void ChooseListFont();
    void SetTaskViewMode(int mode);
    void SetColumnWidths(int extra);
    CTreeListItem* FindBranchRoot(const std::string& text, bool reportOthers) const;
    // Makes the rows below a branch root `rows`, in place (see UpdateBranch).
    void UpdateRows(CTreeListItem* root, const std::vector<TreeRow>& rows);
    // The row with the id at any depth below `under`, or nullptr.
    static CTreeListItem* FindRow(CTreeListItem* under, const std::string& id);
    // Expands the rows above it, selects it and scrolls it into view.
    void RevealRow(CTreeListItem* under, const std::string& id);
    void RememberExpansion(CTreeListItem* item);
    void OnSliderMoved(int controlId, int position);
    // The edits of the selected row, by its branch and level.
    void InsertForSelection();
    void DeleteSelection();
    void EditRow(CTreeListItem* item);
    void InsertTaskFor(const CTreeListItem* row);
    int OnCheckChanging(const CTreeListItem* item);
    int OnDropQuery(const CTreeListItem* target) const;
    int OnDropped(const CTreeListItem* target);
    // Rows of the task branch below its root: lists at level 2, tasks below.
    static bool IsTaskRow(const CTreeListItem* item);
    // The calendar row at or above `item`, or nullptr.
    static CTreeListItem* CalendarRowOf(CTreeListItem* item);

    AppSettings& settings_;
    const Clock& clock_;
    Diagnostics& diagnostics_;
    Prompter& prompter_;
    LocalStore store_;
    CTreeListCtrl* tree_ = nullptr;
    CBitmapSlider* slider_ = nullptr;
    QPushButton* insertButton_ = nullptr;
    ProblemLine* problemLine_ = nullptr;
    int windowMode_ = kWindowModeTop;
    bool columnsReady_ = false;
    bool filling_ = false; // rows added by the program, not expanded by the user
};

} // namespace orb
