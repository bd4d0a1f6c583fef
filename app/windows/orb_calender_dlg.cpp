#include "app/windows/orb_calender_dlg.h"

#include "app/qt_helpers/window_mode.h"
#include "app/wait_window/wait_dlg.h"
#include "app/windows/about_dlg.h"
#include "app/windows/branch_update.h"
#include "app/windows/problem_line.h"
#include "core/diagnostics.h"
#include "core/prompter.h"
#include "translations/qt_text.h"
#include "treelist/tree_list_ctrl.h"
#include "treelist/tree_list_item.h"
#include "treelist/tree_list_style.h"
#include "widgets/bitmap_slider.h"
#include "widgets/dialog_units.h"
#include "widgets/log_font_qt.h"
#include "widgets/owned_dialog.h"

#include <QApplication>
#include <QFontDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QWindow>
#include <algorithm>

namespace orb {

namespace {

constexpr const char* kAboutMenuText = ORB_TEXT("OrbCalender", "OrbCalender 정보(&A)...");
constexpr QColor kBackground(0x22, 0x22, 0x22);
constexpr QColor kRowText(0xC8, 0xC8, 0xC8);
constexpr int kRowsBackgroundColour = 1;
constexpr int kDefaultTextColour = 4;
// The selected rows must stand out from the background, and every text drawn on them stay
// readable: the near-white row text, today's yellow and the grey of finished items.
constexpr QColor kSelectionFill(0x26, 0x4F, 0x78);
constexpr int kSelectionFills[] = {8, 9, 10}; // further selected rows, the selected row, its focused cell

constexpr const char* kInsertButtonText = "+";
constexpr const char* kF5Line = "OnControlSynchronizing 2";
constexpr const char* kErrorDeleteItem = ORB_TEXT("OrbCalender", "error DeleteItem");
constexpr const char* kNoOpacityMessage = ORB_TEXT("OrbCalender", "Your OS does not support this feature");

struct ColumnSpec
{
    const char* title;
    std::uint32_t format;
};
constexpr ColumnSpec kColumns[kTreeColumnCount] = {{ORB_TEXT("OrbCalender", "Name"), 0x504144},
                                                   {ORB_TEXT("OrbCalender", "Due"), 0x104444},
                                                   {ORB_TEXT("OrbCalender", "Memo"), 0x104144},
                                                   {ORB_TEXT("OrbCalender", "ID"), 0x104144}};

// At creation the first two columns leave a little more room than after a resize.
constexpr int kCreationExtra = -5;
constexpr int kNameColumnSlack = -15;

struct MenuItem
{
    const char* label;
    Command command;
};

bool PlatformHasWindowOpacity()
{
    return !QGuiApplication::platformName().startsWith("wayland");
}

} // namespace

COrbCalenderDlg::COrbCalenderDlg(AppSettings& settings, const Clock& clock, Diagnostics& diagnostics,
                                 Prompter& prompter, QWidget* parent)
    : ShellWindow(parent, Qt::Window | Qt::FramelessWindowHint), settings_(settings), clock_(clock),
      diagnostics_(diagnostics), prompter_(prompter)
{
    setObjectName("mainWindow");
    setWindowRole("mainWindow"); // lets desktop tools tell the two windows apart
    setWindowTitle(kAppTitle);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    setFocusPolicy(Qt::StrongFocus);

    tree_ = new CTreeListCtrl(kTreeControlId, this);
    tree_->setObjectName(QString::number(kTreeControlId));
    tree_->SetClock(&clock_);
    tree_->SetNotifyHandler(this);
    tree_->installEventFilter(this);

    slider_ = new CBitmapSlider(kOpacitySliderId, this);
    slider_->setObjectName(QString::number(kOpacitySliderId));
    // Placed by the template, sized by its bitmaps: narrower, the channel's end is cut off.
    slider_->move(DluRect(3, 2, 44, 5).topLeft());
    slider_->installEventFilter(this);
    connect(slider_, &CBitmapSlider::positionChanging, this, &COrbCalenderDlg::OnSliderMoved);
    connect(slider_, &CBitmapSlider::positionChanged, this, &COrbCalenderDlg::OnSliderMoved);

    insertButton_ = new QPushButton(kInsertButtonText, this);
    insertButton_->setObjectName(QString::number(kInsertButtonId));
    insertButton_->setGeometry(DluRect(186, 2, 12, 9));
    insertButton_->setFocusPolicy(Qt::NoFocus);
    insertButton_->installEventFilter(this);
    connect(insertButton_, &QPushButton::clicked, this, [this] { Dispatch(Command::InsertButton); });

    problemLine_ = new ProblemLine(prompter_, this);

    showAbout = [this] { CAboutDlg(this).exec(); };
    chooseFont = [this](const QFont& initial) -> std::optional<QFont> {
        QFontDialog dialog(initial, this);
        OpenOverOwner(&dialog);
        return dialog.exec() == QDialog::Accepted ? std::optional<QFont>(dialog.selectedFont()) : std::nullopt;
    };
    LayoutControls();
}

COrbCalenderDlg::~COrbCalenderDlg() = default;

void COrbCalenderDlg::PrepareControls()
{
    tree_->SetStyle(tls::kApplicationStyle);
    tree_->SetFont(FontFromLogFont(settings_.defaultFont), settings_.defaultFont.lfHeight);
    tree_->SetDueHide(settings_.bDueHide != 0);
    for (const ColumnSpec& column : kColumns)
        tree_->InsertColumn(Translated(column.title), column.format);
    tree_->colours[kRowsBackgroundColour] = kBackground;
    tree_->textColours[kDefaultTextColour] = kRowText;
    for (const int entry : kSelectionFills)
        tree_->colours[entry] = kSelectionFill;
    columnsReady_ = true;
    LayoutControls();
    SetColumnWidths(kCreationExtra);

    slider_->SetRange(0, kSliderMax);
    slider_->SetPos(std::clamp(settings_.Alpha - kAlphaOffset, 0, kSliderMax));
    ApplyOpacity();
}

void COrbCalenderDlg::SetColumnWidths(int extra)
{
    const int h = settings_.defaultFont.lfHeight;
    const int width = tree_->width();
    tree_->SetColumnWidth(kNameColumn, width + 7 * h + (extra == kCreationExtra ? extra : kNameColumnSlack));
    tree_->SetColumnWidth(kDueColumn, -7 * h + (extra == kCreationExtra ? extra : 0));
    tree_->SetColumnWidth(kMemoColumn, 0);
    tree_->SetColumnWidth(kIdColumn, 0);
}

void COrbCalenderDlg::LayoutControls()
{
    const QRect client = ClientRect();
    const int problemHeight = problemLine_->LineHeight();
    tree_->setGeometry(client.left(), client.top() + kTreeTopMargin, std::max(0, client.width() - kTreeSideMargin),
                       std::max(0, client.height() - kTreeTopMargin - kTreeSideMargin - problemHeight));
    if (problemHeight > 0)
        problemLine_->setGeometry(client.left() + ProblemLine::kPadding, tree_->geometry().bottom() + 1,
                                  std::max(0, client.width() - 2 * ProblemLine::kPadding), problemHeight);
    const QPoint origin = client.topLeft();
    slider_->move(origin + DluRect(3, 2, 44, 5).topLeft());
    // Its template place lies past the right edge of a narrow window: it then keeps to the
    // tree's right end instead.
    const QRect button = DluRect(186, 2, 12, 9).translated(origin);
    insertButton_->move(std::min(button.left(), tree_->geometry().right() + 1 - button.width()), button.top());
    if (columnsReady_)
        SetColumnWidths(0);
}

void COrbCalenderDlg::SetPassProblem(const PassProblem& problem)
{
    problemLine_->SetProblem(problem);
    problemLine_->setVisible(problemLine_->HasProblem());
    LayoutControls();
}

void COrbCalenderDlg::ApplyOpacity()
{
    if (!PlatformHasWindowOpacity()) {
        prompter_.ShowMessage(Translated(kNoOpacityMessage));
        return;
    }
    setWindowOpacity(settings_.Alpha / 255.0);
}

void COrbCalenderDlg::OnSliderMoved(int controlId, int position)
{
    if (controlId != kOpacitySliderId)
        return;
    settings_.Alpha = position + kAlphaOffset;
    ApplyOpacity();
}

void COrbCalenderDlg::SetWindowMode(int mode)
{
    windowMode_ = NormalizedWindowMode(mode);
    ApplyWindowMode(this, windowMode_);
    SetSizingBorder(windowMode_ == kWindowModeResizing);
    settings_.Zorder = windowMode_;
}

void COrbCalenderDlg::SetEditing(EditTools tools)
{
    editing_.emplace(tools);
}

void COrbCalenderDlg::SetListFont(const LogFont& font)
{
    settings_.defaultFont = font;
    tree_->SetFont(FontFromLogFont(font), font.lfHeight);
    LayoutControls();
}

void COrbCalenderDlg::SetTaskViewMode(int mode)
{
    // The running pass is still adding "Task's"; a rebuild now would put it in twice.
    if (editing_ && editing_->pass.IsBusy()) {
        diagnostics_.WriteLine(kRebuildRefusedLine);
        return;
    }
    settings_.nTaskViewMode = mode;
    RebuildTaskBranch();
}

bool COrbCalenderDlg::RunCommand(Command command)
{
    switch (command) {
    case Command::Synchronizing:
        if (editing_)
            editing_->pass.Synchronize();
        return true;
    case Command::ModeNormal:
        SetWindowMode(kWindowModeNormal);
        return true;
    case Command::ModeTop:
        SetWindowMode(kWindowModeTop);
        return true;
    case Command::ModeBottom:
        SetWindowMode(kWindowModeBottom);
        return true;
    case Command::ModeResizing:
        SetWindowMode(kWindowModeResizing);
        return true;
    case Command::ViewAll:
        SetTaskViewMode(kTaskViewAll);
        return true;
    case Command::ViewCompleted:
        SetTaskViewMode(kTaskViewCompleted);
        return true;
    case Command::ViewNeedsAction:
        SetTaskViewMode(kTaskViewNeedsAction);
        return true;
    case Command::ListFont:
        ChooseListFont();
        return true;
    case Command::InsertTask:
        return RunCommand(Command::InsertButton);
    case Command::InsertButton:
        routes_.InsertForSelection();
        return true;
    case Command::DeleteTask:
        routes_.DeleteSelection();
        return true;
    case Command::About:
        if (showAbout)
            showAbout();
        return true;
    default:
        return false;
    }
}

void COrbCalenderDlg::Dispatch(Command command)
{
    if (!RunCommand(command))
        emit commandRequested(command);
}

void COrbCalenderDlg::ChooseListFont()
{
    if (!chooseFont)
        return;
    const std::optional<QFont> chosen = chooseFont(FontFromLogFont(settings_.defaultFont));
    if (chosen)
        SetListFont(LogFontFromFont(*chosen));
}

void COrbCalenderDlg::ShowControlMenu(const QPoint& globalPos)
{
    QMenu menu(this);
    menu.setObjectName("Control");
    const auto add = [this](QMenu& into, const MenuItem& item, bool checked = false, bool checkable = false) {
        QAction* action = into.addAction(UiText(item.label));
        action->setData(static_cast<int>(item.command));
        action->setCheckable(checkable);
        action->setChecked(checked);
        return action;
    };
    add(menu, {ORB_TEXT("OrbCalender", "Synchronizing"), Command::Synchronizing});
    add(menu, {ORB_TEXT("OrbCalender", "Search Calendar"), Command::SearchCalendar});
    add(menu, {ORB_TEXT("OrbCalender", "Calendar View"), Command::CalendarView});
    menu.addSeparator();
    add(menu, {ORB_TEXT("OrbCalender", "Insert Task"), Command::InsertTask});
    add(menu, {ORB_TEXT("OrbCalender", "Delete Task"), Command::DeleteTask});
    menu.addSeparator();
    QMenu* modes = menu.addMenu(UiText(ORB_TEXT("OrbCalender", "Window Mode")));
    add(*modes, {ORB_TEXT("OrbCalender", "Normal"), Command::ModeNormal}, windowMode_ == kWindowModeNormal, true);
    add(*modes, {ORB_TEXT("OrbCalender", "Top"), Command::ModeTop}, windowMode_ == kWindowModeTop, true);
    add(*modes, {ORB_TEXT("OrbCalender", "Bottom"), Command::ModeBottom}, windowMode_ == kWindowModeBottom, true);
    add(*modes, {ORB_TEXT("OrbCalender", "Resizing"), Command::ModeResizing}, windowMode_ == kWindowModeResizing, true);
    QMenu* views = menu.addMenu(UiText(ORB_TEXT("OrbCalender", "Task View Mode")));
    add(*views, {ORB_TEXT("OrbCalender", "All"), Command::ViewAll}, settings_.nTaskViewMode == kTaskViewAll, true);
    add(*views, {ORB_TEXT("OrbCalender", "Completed"), Command::ViewCompleted},
        settings_.nTaskViewMode == kTaskViewCompleted, true);
    add(*views, {ORB_TEXT("OrbCalender", "NeedsAction"), Command::ViewNeedsAction},
        settings_.nTaskViewMode == kTaskViewNeedsAction, true);
    QMenu* preferences = menu.addMenu(UiText(ORB_TEXT("OrbCalender", "Preferences")));
    add(*preferences, {ORB_TEXT("OrbCalender", "Font"), Command::ListFont});
    // A borderless window has no system menu: the about item closes this menu instead.
    menu.addSeparator();
    add(menu, {kAboutMenuText, Command::About});
    // Without a tray its menu would be out of reach: its items come here.
    if (!TrayAvailable()) {
        menu.addSeparator();
        add(menu, {kOptionLabel, Command::Option});
        add(menu, {kLogoutLabel, Command::Logout});
        add(menu, {kExitLabel, Command::Exit});
    }

    if (QAction* chosen = menu.exec(globalPos))
        Dispatch(static_cast<Command>(chosen->data().toInt()));
}

void COrbCalenderDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
}

void COrbCalenderDlg::showEvent(QShowEvent* event)
{
    ShellWindow::showEvent(event);
    emit shown();
}

void COrbCalenderDlg::hideEvent(QHideEvent* event)
{
    ShellWindow::hideEvent(event);
    emit hidden();
}

void COrbCalenderDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        ShowControlMenu(event->globalPosition().toPoint());
        return;
    }
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && at.y() < ClientRect().top() + kMoveBandHeight) {
        move_.Press(event->globalPosition());
        return;
    }
    QWidget::mousePressEvent(event);
}

void COrbCalenderDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (!move_.Move(*event, this))
        QWidget::mouseMoveEvent(event);
}

void COrbCalenderDlg::mouseReleaseEvent(QMouseEvent* event)
{
    move_.Release();
    QWidget::mouseReleaseEvent(event);
}

bool COrbCalenderDlg::HandleKey(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_F5:
        diagnostics_.WriteLine(kF5Line);
        QMetaObject::invokeMethod(
            this, [this] { Dispatch(Command::Synchronizing); }, Qt::QueuedConnection);
        return true;
    case Qt::Key_Space:
        return true;
    case Qt::Key_Tab:
        QMetaObject::invokeMethod(
            this, [this] { Dispatch(Command::CalendarView); }, Qt::QueuedConnection);
        return true; // Tab is this command here, never focus navigation
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        if (tree_->IsEditing() || tree_->IsDragging())
            return false; // the edit box takes them, and Esc ends a drag
        PutAway();
        return true;
    default:
        return false;
    }
}

void COrbCalenderDlg::keyPressEvent(QKeyEvent* event)
{
    if (!HandleKey(event))
        QWidget::keyPressEvent(event);
}

bool COrbCalenderDlg::HandleCtrlWheel(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier) || event->angleDelta().y() == 0)
        return false;
    LogFont font = settings_.defaultFont;
    if (event->angleDelta().y() < 0) {
        // Toward the user: smaller, but never below twelve pixels.
        font.lfHeight += 1;
        if (font.lfHeight > kSmallestListFont)
            font.lfHeight = kSmallestListFont;
    } else {
        font.lfHeight -= 1;
    }
    SetListFont(font);
    return true;
}

void COrbCalenderDlg::wheelEvent(QWheelEvent* event)
{
    HandleCtrlWheel(event);
    QWidget::wheelEvent(event);
}

bool COrbCalenderDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress)
        return HandleKey(static_cast<QKeyEvent*>(event));
    // Taken here, so the notch the tree ignores does not reach this window a second time.
    if (event->type() == QEvent::Wheel && watched == tree_ && HandleCtrlWheel(static_cast<QWheelEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

CTreeListItem* COrbCalenderDlg::FindBranchRoot(const std::string& text, bool reportOthers) const
{
    for (CTreeListItem* item = tree_->GetRootItem()->firstChild; item; item = item->nextSibling) {
        if (item->texts[kNameColumn] == text)
            return item;
        if (reportOthers)
            diagnostics_.WriteLine(item->texts[kNameColumn]);
    }
    return nullptr;
}

void COrbCalenderDlg::UpdateRows(CTreeListItem* root, const std::vector<TreeRow>& rows)
{
    filling_ = true;
    UpdateBranch(*tree_, root, rows);
    filling_ = false;
}

void COrbCalenderDlg::UpdateBranchRows(const std::string& branch, std::vector<TreeRow> rows)
{
    QMetaObject::invokeMethod(
        this,
        [this, branch, rows = std::move(rows)] {
            CTreeListItem* root = FindBranchRoot(branch, false);
            if (!root) {
                filling_ = true;
                root = tree_->InsertItem(branch, kTliRoot, branch == kCalendarBranch ? kTliFirst : kTliLast);
                tree_->Expand(TreeListExpand::Expand, root);
                filling_ = false;
            }
            UpdateRows(root, rows);
        },
        Qt::QueuedConnection);
}

void COrbCalenderDlg::RemoveAllRows()
{
    // Queued behind any rows still on their way, so nothing of the old pass survives.
    QMetaObject::invokeMethod(
        this,
        [this] {
            filling_ = true;
            tree_->DeleteAllItems();
            filling_ = false;
        },
        Qt::QueuedConnection);
}

void COrbCalenderDlg::RebuildCalendarBranch()
{
    const TreeListPlace place = tree_->SavePlace(kIdColumn);
    if (CTreeListItem* old = FindBranchRoot(kCalendarBranch, false))
        tree_->DeleteItem(old);
    filling_ = true;
    CTreeListItem* root = tree_->InsertItem(kCalendarBranch, kTliRoot, kTliFirst);
    filling_ = false;
    const std::string today = TodayIsoDate(clock_);
    std::vector<TreeRow> rows;
    store_.Write([&](LocalStore::Data& data) {
        for (CalendarRecord& calendar : data.calendars) {
            std::vector<TreeRow> more = CalendarRows(calendar, today, FillMode::Rebuild, false);
            rows.insert(rows.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
        }
    });
    UpdateRows(root, rows);
    tree_->RestorePlace(place);
}

void COrbCalenderDlg::RebuildTaskBranch()
{
    const TreeListPlace place = tree_->SavePlace(kIdColumn);
    if (CTreeListItem* old = FindBranchRoot(kTaskBranch, true))
        tree_->DeleteItem(old);
    else
        prompter_.ShowMessage(Translated(kErrorDeleteItem));
    filling_ = true;
    CTreeListItem* root = tree_->InsertItem(kTaskBranch, kTliRoot, kTliLast);
    filling_ = false;
    std::vector<TreeRow> rows;
    const int viewMode = settings_.nTaskViewMode;
    store_.Write([&](LocalStore::Data& data) {
        for (TaskListInfo& list : data.taskLists) {
            std::vector<TreeRow> more = TaskListRows(list, viewMode, FillMode::Rebuild, false);
            rows.insert(rows.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
        }
    });
    UpdateRows(root, rows);
    tree_->RestorePlace(place);
}

CTreeListItem* COrbCalenderDlg::FindRow(CTreeListItem* under, const std::string& id)
{
    for (CTreeListItem* item = under ? under->firstChild : nullptr; item; item = item->nextSibling) {
        if (item->texts[kIdColumn] == id)
            return item;
        if (CTreeListItem* found = FindRow(item, id))
            return found;
    }
    return nullptr;
}

void COrbCalenderDlg::RevealTask(const std::string& taskId)
{
    RevealRow(FindBranchRoot(kTaskBranch, false), taskId);
}

void COrbCalenderDlg::RevealRow(CTreeListItem* under, const std::string& id)
{
    CTreeListItem* row = id.empty() ? nullptr : FindRow(under, id);
    if (!row)
        return;
    std::vector<CTreeListItem*> ancestors;
    for (CTreeListItem* item = row->parent; item && item != tree_->GetRootItem(); item = item->parent)
        ancestors.push_back(item);
    // Top down, each remembered as the user's own expansion.
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it)
        tree_->Expand(TreeListExpand::Expand, *it);
    tree_->SelectItem(row);
}

void COrbCalenderDlg::RememberExpansion(CTreeListItem* item)
{
    if (!item || item->level < kBranchChildLevel)
        return;
    const std::string branch = BranchOf(item);
    const std::string id = item->texts[kIdColumn];
    const int expanded = item->IsExpanded() ? 1 : 0;
    store_.Write([&](LocalStore::Data& data) {
        if (branch == kCalendarBranch) {
            for (CalendarRecord& calendar : data.calendars) {
                if (calendar.id == id) {
                    calendar.tag = expanded;
                    return;
                }
            }
            return;
        }
        for (TaskListInfo& list : data.taskLists) {
            if (TaskNode* node = list.tree->FindNode(id)) {
                node->expanded = expanded;
                return;
            }
        }
        for (TaskListInfo& list : data.taskLists) {
            if (list.id == id) {
                list.expanded = expanded;
                return;
            }
        }
    });
}

int COrbCalenderDlg::OnTreeListNotify(const TreeListNotify& notify)
{
    if (notify.code != TreeListCode::Expanded)
        return routes_.OnTreeListNotify(notify);
    if (!filling_)
        RememberExpansion(notify.item);
    return 0;
}

} // namespace orb
