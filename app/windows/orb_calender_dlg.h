#pragma once

#include "app/shell_core/load_pass.h"
#include "app/shell_core/settings.h"
#include "app/shell_core/store.h"
#include "app/windows/shell_window.h"
#include "app/windows/tree_edit_routes.h"
#include "core/commands.h"
#include "treelist/tree_list_notify.h"

#include <functional>
#include <optional>

class QPushButton;

namespace orb {

class CBitmapSlider;
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
    // Selects the task's row, its parents expanded, and scrolls it into view.
    void RevealTask(const std::string& taskId);

    // The about box (tests replace it).
    std::function<void()> showAbout;
    // Where the list font dialog comes from (tests replace it).
    std::function<std::optional<QFont>(const QFont&)> chooseFont;
    // The frame hands these over once they exist; until then Synchronizing does nothing
    // and the tree's rows are not edited. The wait follows this window's mode from here on.
    void SetEditing(EditTools tools);

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
    // The routes show what an edit made or moved through the sink's row lookups.
    friend class TreeEditRoutes;

    AppSettings& settings_;
    const Clock& clock_;
    Diagnostics& diagnostics_;
    Prompter& prompter_;
    LocalStore store_;
    CTreeListCtrl* tree_ = nullptr;
    CBitmapSlider* slider_ = nullptr;
    QPushButton* insertButton_ = nullptr;
    ProblemLine* problemLine_ = nullptr;
    std::optional<EditTools> editing_;
    TreeEditRoutes routes_{*this, clock_, editing_};
    int windowMode_ = kWindowModeTop;
    bool columnsReady_ = false;
    bool filling_ = false; // rows added by the program, not expanded by the user
};

} // namespace orb
