#include "treelist/tree_list_ctrl.h"

#include "core/clock.h"
#include "treelist/tree_list_accessible.h"
#include "treelist/tree_list_combo_ctrl.h"
#include "treelist/tree_list_drag_windows.h"
#include "treelist/tree_list_edit_ctrl.h"
#include "treelist/tree_list_header_ctrl.h"
#include "treelist/tree_list_painter.h"
#include "treelist/tree_list_static_ctrl.h"
#include "treelist/tree_list_tip_ctrl.h"
#include "widgets/skin_horizontal_scrollbar.h"
#include "widgets/skin_verticle_scrollbar.h"

#include <QApplication>
#include <QCursor>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace orb {

namespace {
// The font the control starts with: 14-pixel "맑은 고딕".
constexpr const char* kDefaultFaceName = "맑은 고딕";
constexpr int kDefaultFontPixels = 14;
const QColor kDefaultRowColour(34, 34, 34);
constexpr int kWheelNotch = 120;
constexpr int kRowsPerNotch = 3;
constexpr int kHorizontalLineStep = 16;
constexpr const char* kTodayFormat = "%Y-%m-%d";
constexpr const char* kTodayMonthDayFormat = "%m-%d";
constexpr QPoint kDragWindowOffset(20, 4);
constexpr int kHoverExpandRefusedMs = 500;
constexpr int kHoverExpandOnItemMs = 1000;
constexpr int kAutoScrollRefusedMs = 100;
constexpr int kAutoScrollOnItemMs = 200;
constexpr std::size_t kDragFeedbackColour = 5; // textColours entry for lines and drag feedback

Qt::CursorShape DropCursor(TreeListDrop decision)
{
    switch (decision) {
    case TreeListDrop::Refused:
        return kDropRefusedCursor;
    case TreeListDrop::Neutral:
        break;
    case TreeListDrop::OnItem:
        return kDropOnItemCursor;
    case TreeListDrop::OnEmptySpace:
        return kDropOnEmptySpaceCursor;
    }
    return kDropNeutralCursor;
}

// Restarting on every mouse move would keep a timer from ever firing while the hand shakes.
void StartUnlessRunning(QTimer& timer, int intervalMs)
{
    if (!timer.isActive() || timer.interval() != intervalMs)
        timer.start(intervalMs);
}

const Clock& DefaultClock()
{
    static const SystemClock clock;
    return clock;
}

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

TreeListNotifyHandler::~TreeListNotifyHandler()
{
    for (CTreeListCtrl* sender : senders_)
        sender->handler_ = nullptr;
}

CTreeListCtrl::CTreeListCtrl(int controlId, QWidget* parent)
    : QWidget(parent), controlId_(controlId), rowHeight_(RowHeightForFontHeight(0)),
      headerHeight_(HeaderHeightForFontHeight(0)), clock_(&DefaultClock())
{
    InstallTreeListAccessibility();
    setObjectName(QString::number(controlId));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);

    colours.fill(kDefaultRowColour);
    textColours = {QColor(232, 232, 232), QColor(240, 240, 240), QColor(255, 255, 255), QColor(224, 224, 224),
                   QColor(0, 0, 0),       QColor(0, 255, 0),     QColor(208, 208, 208), QColor(128, 128, 128)};

    model_.SetNotifier(
        [this](TreeListCode code, CTreeListItem* item, int column) { return Notify(code, item, column); });
    model_.SetDeleteObserver([this](CTreeListItem* item) { ForgetItem(item); });

    header_ = new CTreeListHeaderCtrl(this);
    header_->SetFlags(HeaderFlags());
    tip_ = new CTreeListTipCtrl(this);
    tip_->setObjectName(QString::fromLatin1(kTreeListTipName));
    edit_ = new CTreeListEditCtrl(this);
    edit_->setObjectName(QString::fromLatin1(kTreeListEditName));
    combo_ = new CTreeListComboCtrl(this);
    combo_->setObjectName(QString::fromLatin1(kTreeListComboName));
    static_ = new CTreeListStaticCtrl(this);
    static_->setObjectName(QString::fromLatin1(kTreeListStaticName));
    const auto finish = [this](bool keep) { EndEdit(keep); };
    edit_->SetFinish(finish);
    combo_->SetFinish(finish);
    static_->SetFinish(finish);

    verticalBar_ = new CSkinVerticleScrollbar(parent);
    verticalBar_->setObjectName(QString::fromLatin1(kTreeListVerticalBarName));
    horizontalBar_ = new CSkinHorizontalScrollbar(parent);
    horizontalBar_->setObjectName(QString::fromLatin1(kTreeListHorizontalBarName));
    verticalBar_->SetTarget(this);
    horizontalBar_->SetTarget(this);

    editDelay_.setSingleShot(true);
    connect(&editDelay_, &QTimer::timeout, this, &CTreeListCtrl::BeginEdit);
    hoverTimer_.setSingleShot(true);
    connect(&hoverTimer_, &QTimer::timeout, this, &CTreeListCtrl::HoverExpand);
    connect(&scrollTimer_, &QTimer::timeout, this, &CTreeListCtrl::AutoScroll);

    QFont font(QString::fromUtf8(kDefaultFaceName));
    font.setPixelSize(kDefaultFontPixels);
    font.setWeight(QFont::Normal);
    SetFont(font, -kDefaultFontPixels);
    PlaceScrollBars();
}

CTreeListCtrl::~CTreeListCtrl()
{
    CancelDrag();
    ClearDropFeedback();
    editDelay_.stop();
    AbandonEdit();
    // Every item is reported with -401 as it goes, while a handler is still there to hear it.
    model_.DeleteItem(kTliRoot);
    SetNotifyHandler(nullptr);
    delete verticalBar_.data();
    delete horizontalBar_.data();
}

CSkinVerticleScrollbar* CTreeListCtrl::VerticalBar() const
{
    return verticalBar_.data();
}

CSkinHorizontalScrollbar* CTreeListCtrl::HorizontalBar() const
{
    return horizontalBar_.data();
}

void CTreeListCtrl::SetNotifyHandler(TreeListNotifyHandler* handler)
{
    if (handler_)
        std::erase(handler_->senders_, this);
    handler_ = handler;
    if (handler_)
        handler_->senders_.push_back(this);
}

int CTreeListCtrl::Notify(TreeListCode code, CTreeListItem* item, int column, CTreeListCtrl* dragSource)
{
    if (!handler_)
        return 0;
    return handler_->OnTreeListNotify({this, controlId_, code, item, column, dragSource});
}

void CTreeListCtrl::ForgetItem(CTreeListItem* item)
{
    ForgetTreeListAccessibleItem(this, item);
    if (editing_ && editing_->item == item)
        AbandonEdit();
    if (closingItem_ == item)
        closingItem_ = nullptr;
    if (dragCandidate_ == item)
        dragCandidate_ = nullptr;
    if (hoverItem_ == item)
        hoverItem_ = nullptr;
    if (watchedItem_ == item)
        watchedItem_ = nullptr;
    if (dropItem_ == item) {
        dropItem_ = nullptr;
        dropMarker_.reset();
    }
    // The model has already taken the item out of the selection, hence the copy.
    if (dragging_ && std::find(draggedItems_.begin(), draggedItems_.end(), item) != draggedItems_.end())
        CancelDrag();
}

std::uint32_t CTreeListCtrl::SetStyle(std::uint32_t style)
{
    const std::uint32_t previous = model_.SetStyle(style);
    header_->SetFlags(HeaderFlags());
    Relayout();
    return previous;
}

void CTreeListCtrl::SetFont(const QFont& font)
{
    const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    SetFont(font, -pixels);
}

void CTreeListCtrl::SetFont(const QFont& font, int lfHeight)
{
    listFont_ = font;
    boldFont_ = font;
    boldFont_.setWeight(QFont::ExtraBold);
    rowHeight_ = RowHeightForFontHeight(lfHeight);
    headerHeight_ = HeaderHeightForFontHeight(lfHeight);
    // The tip copies the owner's font, so the widget font follows the list font.
    setFont(font);
    header_->setFont(font);
    edit_->setFont(font);
    combo_->setFont(font);
    static_->setFont(font);
    tip_->CopyOwnerFont();
    Relayout();
}

bool CTreeListCtrl::InsertColumn(const std::string& text, std::uint32_t format)
{
    model_.InsertColumn(text, format);
    Relayout();
    return true;
}

void CTreeListCtrl::SetColumnWidth(int column, int width, int minWidth, int maxWidth)
{
    const CTreeListColumnInfo* info = model_.Column(column);
    if (!info)
        return;
    if (width < 0) {
        if (width < tlaw::kAllItems)
            return;
        const QFontMetrics rows(listFont_);
        const QFontMetrics header(header_->font());
        width = AutoColumnWidth(model_, column, width, minWidth, header.horizontalAdvance(FromUtf8(info->text)),
                                [&rows](std::string_view text) { return rows.horizontalAdvance(FromUtf8(text)); });
    }
    model_.SetColumnWidth(column, width, minWidth, maxWidth);
    Relayout();
}

bool CTreeListCtrl::SetColumnEditor(int column, TreeListEditor editor)
{
    return model_.SetColumnEditor(column, editor);
}

bool CTreeListCtrl::MoveShownColumn(int fromPosition, int toPosition)
{
    const bool moved = model_.MoveShownColumn(fromPosition, toPosition);
    Relayout();
    return moved;
}

CTreeListItem* CTreeListCtrl::InsertItem(const std::string& text, CTreeListItem* parent, CTreeListItem* after)
{
    CTreeListItem* item = model_.InsertItem(text, parent, after);
    Relayout();
    return item;
}

bool CTreeListCtrl::SetItemText(int column, CTreeListItem* item, const std::string& text)
{
    const bool done = model_.SetItemText(column, item, text);
    update();
    return done;
}

const std::string& CTreeListCtrl::GetItemText(const CTreeListItem* item, int column) const
{
    return model_.ItemText(item, column);
}

void CTreeListCtrl::SetItemCheck(CTreeListItem* item, bool checked)
{
    model_.SetCheck(item, checked);
    AnnounceTreeListCheck(this, model_.Resolve(item));
    update();
}

void CTreeListCtrl::SetItemLock(CTreeListItem* item, bool locked)
{
    model_.SetLock(item, locked);
    update();
}

bool CTreeListCtrl::Expand(TreeListExpand code, CTreeListItem* item, int column)
{
    const bool done = model_.Expand(code, item, column);
    Relayout();
    if (done) {
        AnnounceTreeListRows(this);
        AnnounceTreeListExpansion(this, model_.Resolve(item));
    }
    return done;
}

bool CTreeListCtrl::DeleteItem(CTreeListItem* item)
{
    const bool done = model_.DeleteItem(item);
    Relayout();
    return done;
}

bool CTreeListCtrl::DeleteAllItems()
{
    setUpdatesEnabled(false);
    model_.DeleteItem(kTliRoot);
    setUpdatesEnabled(true);
    Relayout();
    AnnounceTreeListRows(this);
    return true;
}

void CTreeListCtrl::SelectItem(CTreeListItem* item, int column, bool replace)
{
    const SelectOutcome outcome = model_.SelectItem(item, column, replace);
    if (outcome != SelectOutcome::Refused && item && item != kTliRoot)
        EnsureVisible(item);
    if (outcome == SelectOutcome::Changed)
        AnnounceTreeListFocus(this);
    update();
}

void CTreeListCtrl::EnsureVisible(const CTreeListItem* item)
{
    const int row = model_.RowOfItem(item);
    if (row < 0)
        return;
    if (row < topRow_)
        topRow_ = row;
    else if (row >= topRow_ + layout_.RowsPerPage())
        topRow_ = row - layout_.RowsPerPage() + 1;
    Relayout();
}

void CTreeListCtrl::RestorePlace(const TreeListPlace& place)
{
    topRow_ = RestoreTreeListPlace(model_, place);
    Relayout();
}

void CTreeListCtrl::SetClock(const Clock* clock)
{
    clock_ = clock ? clock : &DefaultClock();
    update();
}

void CTreeListCtrl::SetDueHide(bool hide)
{
    dueHide_ = hide;
    update();
}

void CTreeListCtrl::SetImageList(std::vector<QPixmap> images)
{
    images_ = std::move(images);
    update();
}

void CTreeListCtrl::SetBackgroundImage(const QPixmap& image)
{
    backgroundImage_ = image;
    update();
}

void CTreeListCtrl::Relayout()
{
    const int header = model_.HasStyle(tls::kHeader) ? headerHeight_ : 0;
    layout_.Compute(model_, {width(), height(), header, rowHeight_}, topRow_, scrollX_);
    topRow_ = layout_.TopRow();
    scrollX_ = layout_.ScrollX();
    header_->setGeometry(0, 0, width(), header);
    header_->setVisible(header > 0);
    header_->update();
    PlaceEditor();
    if (verticalBar_)
        verticalBar_->UpdateThumb();
    if (horizontalBar_)
        horizontalBar_->UpdateThumb();
    update();
}

void CTreeListCtrl::PlaceScrollBars()
{
    QWidget* host = parentWidget();
    const bool shown = host && !isHidden();
    for (SkinScrollbar* bar :
         {static_cast<SkinScrollbar*>(verticalBar_.data()), static_cast<SkinScrollbar*>(horizontalBar_.data())}) {
        if (!bar)
            continue;
        if (bar->parentWidget() != host)
            bar->setParent(host);
        bar->setVisible(shown);
    }
    if (!host)
        return;
    // Beside and below the control; the vertical bar also covers the corner between them.
    if (verticalBar_)
        verticalBar_->setGeometry(x() + width(), y(), skin::kThickness, height() + skin::kThickness);
    if (horizontalBar_)
        horizontalBar_->setGeometry(x(), y() + height(), width(), skin::kThickness);
    if (verticalBar_)
        verticalBar_->UpdateThumb();
    if (horizontalBar_)
        horizontalBar_->UpdateThumb();
}

TreeListHit CTreeListCtrl::HitTest(const QPoint& point) const
{
    return layout_.HitTest(model_, point.x(), point.y());
}

QRect CTreeListCtrl::CellRect(const CTreeListItem* item, int column) const
{
    const int row = model_.RowOfItem(item);
    const TreeListColumnSpan* span = layout_.ColumnSpan(column);
    if (row < 0 || !span)
        return {};
    const TreeListRect rect = layout_.CellRect(row, *span);
    return {rect.left, rect.top, rect.Width(), rect.Height()};
}

TreeListPaintContext CTreeListCtrl::PaintContext() const
{
    TreeListPaintContext context;
    context.model = &model_;
    context.layout = &layout_;
    context.colours = &colours;
    context.textColours = &textColours;
    context.font = listFont_;
    context.boldFont = boldFont_;
    const LocalDateTime now = clock_->Now();
    context.today = {FormatLocal(now, kTodayFormat), FormatLocal(now, kTodayMonthDayFormat)};
    context.dueHide = dueHide_;
    context.focused = hasFocus();
    context.enabled = isEnabled();
    context.images = &images_;
    context.background = &backgroundImage_;
    return context;
}

const QImage& CTreeListCtrl::RenderImage()
{
    if (image_.size() != size())
        image_ = QImage(size(), QImage::Format_RGB32);
    if (image_.isNull())
        return image_;
    const TreeListPaintContext context = PaintContext();
    TreeListPainter(context).Paint(image_);
    return image_;
}

void CTreeListCtrl::paintEvent(QPaintEvent*)
{
    QPainter(this).drawImage(0, 0, RenderImage());
}

bool CTreeListCtrl::event(QEvent* event)
{
    if (event->type() == QEvent::ParentChange)
        PlaceScrollBars();
    // The mouse goes to another application: the release will never come.
    if (event->type() == QEvent::WindowDeactivate)
        CancelDrag();
    return QWidget::event(event);
}

void CTreeListCtrl::resizeEvent(QResizeEvent*)
{
    Relayout();
    PlaceScrollBars();
}

void CTreeListCtrl::moveEvent(QMoveEvent*)
{
    PlaceScrollBars();
}

void CTreeListCtrl::showEvent(QShowEvent*)
{
    PlaceScrollBars();
}

void CTreeListCtrl::hideEvent(QHideEvent*)
{
    tip_->Hide();
    CancelDrag();
    PlaceScrollBars();
}

void CTreeListCtrl::focusInEvent(QFocusEvent*)
{
    AnnounceTreeListFocus(this);
    update();
}

void CTreeListCtrl::focusOutEvent(QFocusEvent*)
{
    CancelDrag();
    update();
}

void CTreeListCtrl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

// In-place editing.

QWidget* CTreeListCtrl::EditorWidget(TreeListEditor editor) const
{
    switch (editor) {
    case TreeListEditor::Edit:
        return edit_;
    case TreeListEditor::Combo:
        return combo_;
    case TreeListEditor::Static:
        break;
    }
    return static_;
}

void CTreeListCtrl::PlaceEditor()
{
    if (!editing_)
        return;
    const int row = model_.RowOfItem(editing_->item);
    const TreeListColumnSpan* span = layout_.ColumnSpan(editing_->column);
    if (row < 0 || !span)
        return;
    const TreeListRect rect = layout_.TextRect(*editing_->item, row, *span, model_.Style());
    EditorWidget(editing_->editor)->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
}

void CTreeListCtrl::BeginEdit()
{
    CTreeListItem* item = model_.FocusedItem();
    const int column = model_.FocusedColumn();
    const CTreeListColumnInfo* info = model_.Column(column);
    if (!item || !info || !model_.IsVisible(item))
        return;
    EndEdit(true);
    EnsureVisible(item);

    edit_->clear();
    combo_->clear();
    static_->clear();
    // Each editor starts from the cell's text; the parent may change that when it hears -410.
    const QString text = FromUtf8(GetItemText(item, column));
    edit_->setText(text);
    static_->setText(text);
    editing_ = EditState{item, column, info->editor};
    Notify(TreeListCode::BeginControl, item, column);
    if (!editing_)
        return; // the parent deleted the item
    if (editing_->editor == TreeListEditor::Combo) {
        const int index = combo_->findText(text);
        if (index >= 0)
            combo_->setCurrentIndex(index);
    }
    QWidget* editor = EditorWidget(editing_->editor);
    PlaceEditor();
    editor->setEnabled(true);
    editor->show();
    editor->setFocus(Qt::OtherFocusReason);
}

void CTreeListCtrl::EndEdit(bool keep)
{
    if (!editing_)
        return;
    const EditState edit = *editing_;
    editing_.reset();
    closingItem_ = edit.item;
    QWidget* editor = EditorWidget(edit.editor);
    const bool hadFocus = editor->hasFocus();

    Notify(TreeListCode::EditEnding, edit.item, edit.column);
    if (keep && closingItem_ && edit.editor != TreeListEditor::Static) {
        const QString value = edit.editor == TreeListEditor::Edit ? edit_->text() : combo_->currentText();
        const std::string text = value.toStdString();
        if (text != GetItemText(edit.item, edit.column) &&
            Notify(TreeListCode::EditTextChanging, edit.item, edit.column) != kTreeListRefuse && closingItem_)
            model_.SetItemText(edit.column, edit.item, text);
    }
    editor->hide();
    editor->setEnabled(false);
    // A deleted item is not reported as edited.
    if (closingItem_)
        Notify(TreeListCode::EndControl, edit.item, edit.column);
    if (closingItem_)
        Notify(TreeListCode::EditEnded, edit.item, edit.column);
    closingItem_ = nullptr;
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
    update();
}

void CTreeListCtrl::AbandonEdit()
{
    editing_.reset();
    for (QWidget* editor :
         {static_cast<QWidget*>(edit_), static_cast<QWidget*>(combo_), static_cast<QWidget*>(static_)}) {
        editor->hide();
        editor->setEnabled(false);
    }
}

// Mouse and keyboard.

void CTreeListCtrl::ClickBox(CTreeListItem* item, int column, std::uint32_t area)
{
    const bool check = area == tlht::kCheckBox;
    if (Notify(check ? TreeListCode::CheckChanging : TreeListCode::LockChanging, item, column) == kTreeListRefuse)
        return;
    const bool toggleOnly = model_.HasStyle(check ? tls::kCheckClickToggleOnly : tls::kLockClickToggleOnly);
    model_.ToggleBox(item, check ? kCheckBits : kLockBits, !toggleOnly);
    if (check)
        AnnounceTreeListCheck(this, item);
    if (toggleOnly)
        return;
    if (check)
        Notify(TreeListCode::CheckChanged, item, column);
    update();
}

void CTreeListCtrl::mousePressEvent(QMouseEvent* event)
{
    if (dragging_) {
        if (event->button() == Qt::RightButton)
            CancelDrag();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    tip_->Hide();
    if (event->button() != Qt::LeftButton)
        return;
    editDelay_.stop();
    const QPoint point = event->position().toPoint();
    const TreeListHit hit = HitTest(point);
    if (!hit.item) {
        if (point.y() >= layout_.Metrics().headerHeight) {
            EndEdit(true);
            SelectItem(nullptr, model_.FocusedColumn(), true);
        }
        return;
    }
    switch (hit.area) {
    case tlht::kButton:
        if (model_.HasStyle(tls::kLevelIndent))
            Expand(TreeListExpand::Toggle, hit.item, hit.column);
        break;
    case tlht::kCheckBox:
    case tlht::kLockBox:
        ClickBox(hit.item, hit.column, hit.area);
        break;
    case tlht::kImage:
    case tlht::kText: {
        const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
        const bool again = hit.item == model_.FirstSelected() && hit.column == model_.FocusedColumn();
        SelectItem(hit.item, hit.column, !ctrl);
        // A click on the selected cell of an editable column edits it, unless a double
        // click follows.
        if (again && !ctrl && model_.IsEditableColumn(hit.column))
            editDelay_.start(QApplication::doubleClickInterval());
        if (model_.HasStyle(tls::kDragItems)) {
            dragCandidate_ = hit.item;
            pressPoint_ = point;
        }
        break;
    }
    default:
        break;
    }
}

void CTreeListCtrl::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    const QPoint global = event->globalPosition().toPoint();
    if (dragging_) {
        // Without the button the release went to another application.
        if (event->buttons().testFlag(Qt::LeftButton))
            DragTo(global, false);
        else
            CancelDrag();
        return;
    }
    if (event->buttons().testFlag(Qt::LeftButton)) {
        if (dragCandidate_ && (point - pressPoint_).manhattanLength() >= QApplication::startDragDistance()) {
            BeginDrag();
            if (dragging_)
                DragTo(global, false);
        }
        return;
    }
    const TreeListHit hit = HitTest(point);
    const bool onBox = hit.area == tlht::kButton || hit.area == tlht::kCheckBox || hit.area == tlht::kLockBox;
    setCursor(onBox ? Qt::PointingHandCursor : Qt::ArrowCursor);
    UpdateTip(point);
}

void CTreeListCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragCandidate_ = nullptr;
    // The drop may delete this control's items or the control itself: nothing follows it.
    if (dragging_)
        Drop(event->globalPosition().toPoint());
}

void CTreeListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    editDelay_.stop();
    const TreeListHit hit = HitTest(event->position().toPoint());
    const bool left = event->button() == Qt::LeftButton;
    // Quick clicks on a button or a box count as clicks, not as a double click.
    if (left && (hit.area == tlht::kButton || hit.area == tlht::kCheckBox || hit.area == tlht::kLockBox)) {
        mousePressEvent(event);
        return;
    }
    if (!hit.item || !model_.HasStyle(tls::kLevelIndent))
        return;
    if (left && (hit.area == tlht::kImage || hit.area == tlht::kText))
        Notify(TreeListCode::DoubleClick, hit.item, hit.column);
    else if (event->button() == Qt::RightButton)
        Notify(TreeListCode::RightDoubleClick, hit.item, hit.column);
}

void CTreeListCtrl::wheelEvent(QWheelEvent* event)
{
    // Control with the wheel changes the font, which the parent window does.
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    const int notches = delta / kWheelNotch != 0 ? delta / kWheelNotch : (delta > 0 ? 1 : -1);
    SetScrollPosition(ScrollOrientation::Vertical, topRow_ - notches * kRowsPerNotch);
}

void CTreeListCtrl::leaveEvent(QEvent*)
{
    tip_->Hide();
}

CTreeListItem* CTreeListCtrl::KeyboardItem() const
{
    // A focused item inside a collapsed branch stands for the branch's visible top.
    CTreeListItem* item = model_.FocusedItem();
    while (item && item != model_.Root() && !model_.IsVisible(item))
        item = item->parent;
    return item == model_.Root() ? nullptr : item;
}

void CTreeListCtrl::MoveFocusTo(CTreeListItem* item)
{
    if (item)
        SelectItem(item, model_.FocusedColumn(), true);
}

void CTreeListCtrl::keyPressEvent(QKeyEvent* event)
{
    if (dragging_ && event->key() == Qt::Key_Escape) {
        CancelDrag();
        event->accept();
        return;
    }
    if (model_.VisibleRowCount() == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    CTreeListItem* item = KeyboardItem();
    const int column = model_.FocusedColumn();
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
    const int lastRow = model_.VisibleRowCount() - 1;
    const int row = item ? model_.RowOfItem(item) : 0;
    switch (event->key()) {
    case Qt::Key_Space:
        if (item)
            Expand(TreeListExpand::Toggle, item, column);
        break;
    case Qt::Key_Left:
        if (shift && item)
            Expand(TreeListExpand::Collapse, item, column);
        else if (!shift && item && item->parent != model_.Root())
            MoveFocusTo(item->parent);
        break;
    case Qt::Key_Right:
        if (shift && item)
            Expand(TreeListExpand::Expand, item, column);
        else if (!shift && item && item->IsExpanded() && item->firstChild)
            MoveFocusTo(item->firstChild);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Minus:
        if (!keypad) {
            QWidget::keyPressEvent(event);
            return;
        }
        if (item)
            Expand(event->key() == Qt::Key_Plus ? TreeListExpand::Expand : TreeListExpand::Collapse, item, column);
        break;
    case Qt::Key_Up:
        MoveFocusTo(item ? model_.PrevVisible(item) : model_.ItemAtRow(0));
        break;
    case Qt::Key_Down:
        MoveFocusTo(item ? model_.NextVisible(item) : model_.ItemAtRow(0));
        break;
    case Qt::Key_Home:
        MoveFocusTo(model_.ItemAtRow(0));
        break;
    case Qt::Key_End:
        MoveFocusTo(model_.ItemAtRow(lastRow));
        break;
    case Qt::Key_PageUp:
        MoveFocusTo(model_.ItemAtRow(std::max(0, row - layout_.RowsPerPage())));
        break;
    case Qt::Key_PageDown:
        MoveFocusTo(model_.ItemAtRow(std::min(lastRow, row + layout_.RowsPerPage())));
        break;
    case Qt::Key_Insert:
        Notify(TreeListCode::InsertKey, model_.FocusedItem(), column);
        break;
    case Qt::Key_Delete:
        Notify(TreeListCode::DeleteKey, model_.FocusedItem(), column);
        break;
    case Qt::Key_F2:
        BeginEdit();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CTreeListCtrl::UpdateTip(const QPoint& point)
{
    const TreeListHit hit = HitTest(point);
    const TreeListColumnSpan* span = hit.item ? layout_.ColumnSpan(hit.column) : nullptr;
    if (!span || hit.area != tlht::kText) {
        tip_->Hide();
        return;
    }
    const TreeListPaintContext context = PaintContext();
    const CellContent content = TreeListPainter(context).DescribeCell(*hit.item, hit.row, *span);
    const QFont& font = content.look == CellLook::Today ? boldFont_ : listFont_;
    const bool fits = QFontMetrics(font).horizontalAdvance(content.text) <= content.textRect.width();
    if (content.look == CellLook::Nothing || content.text.isEmpty() || fits) {
        tip_->Hide();
        return;
    }
    tip_->Show(content.text, content.textRect);
}

// Drag and drop: the control the items come from runs the gesture and asks the control
// under the pointer, which shows the feedback and talks to its own parent.

QWidget* CTreeListCtrl::DragWindow() const
{
    return dragWindow_.get();
}

QWidget* CTreeListCtrl::DropMarker() const
{
    return dropMarker_.get();
}

void CTreeListCtrl::BeginDrag()
{
    dragCandidate_ = nullptr;
    editDelay_.stop();
    tip_->Hide();
    CTreeListItem* first = model_.FirstSelected();
    if (!first || Notify(TreeListCode::BeginDrag, first, model_.FocusedColumn()) < 0 || !model_.FirstSelected())
        return;
    dragging_ = true;
    draggedItems_ = model_.Selection();
    dropDecision_ = TreeListDrop::Neutral;
    dragWindow_ = std::make_unique<CTLCDragWnd>(DragImage(), this);
    dragWindow_->setObjectName(QString::fromLatin1(kTreeListDragWindowName));
    QGuiApplication::setOverrideCursor(QCursor(DropCursor(dropDecision_)));
    grabMouse();
}

QImage CTreeListCtrl::DragImage()
{
    const int row = model_.RowOfItem(model_.FirstSelected());
    return RenderImage().copy(0, layout_.RowTop(row), width(), rowHeight_);
}

CTreeListCtrl* CTreeListCtrl::TreeListAt(const QPoint& global)
{
    for (QWidget* widget = QApplication::widgetAt(global); widget; widget = widget->parentWidget()) {
        if (auto* tree = qobject_cast<CTreeListCtrl*>(widget))
            return tree;
        // The skinned bars stand beside their control, as children of its parent.
        if (auto* bar = dynamic_cast<SkinScrollbar*>(widget))
            return dynamic_cast<CTreeListCtrl*>(bar->Target());
        if (widget->isWindow())
            break;
    }
    return nullptr;
}

void CTreeListCtrl::DragTo(const QPoint& global, bool releasing)
{
    if (dragWindow_ && !releasing) {
        dragWindow_->move(global + kDragWindowOffset);
        dragWindow_->show();
    }
    // Every notification below may end the drag or delete a control.
    const QPointer<CTreeListCtrl> over = TreeListAt(global);
    if (dropTarget_ && dropTarget_ != over) {
        const QPointer<CTreeListCtrl> left = dropTarget_;
        dropTarget_ = nullptr;
        left->EndDropFeedback(TreeListDrop::Neutral);
        if (!dragging_)
            return;
    }
    if (!dropTarget_ && over && over->model_.HasStyle(tls::kAcceptDrops) && over->EnterDrop(this))
        dropTarget_ = over;
    if (!dragging_)
        return;
    TreeListDrop decision = TreeListDrop::Refused;
    if (dropTarget_)
        decision = dropTarget_->TrackDrop(this, dropTarget_->mapFromGlobal(global), !releasing);
    else if (over == this)
        decision = TreeListDrop::Neutral; // a control that takes no drops of its own shows no refusal over itself
    if (!dragging_)
        return;
    dropDecision_ = decision;
    if (!releasing)
        QGuiApplication::changeOverrideCursor(QCursor(DropCursor(decision)));
}

void CTreeListCtrl::Drop(const QPoint& global)
{
    dragWindow_.reset();
    if (dropTarget_)
        dropTarget_->dropMarker_.reset();
    DragTo(global, true);
    if (!dragging_)
        return;
    const TreeListDrop decision = dropDecision_;
    const QPointer<CTreeListCtrl> target = dropTarget_;
    LeaveDragMode();
    if (target)
        target->EndDropFeedback(decision);
}

void CTreeListCtrl::CancelDrag()
{
    if (!dragging_)
        return;
    const QPointer<CTreeListCtrl> target = dropTarget_;
    LeaveDragMode();
    if (target)
        target->EndDropFeedback(TreeListDrop::Neutral);
}

void CTreeListCtrl::LeaveDragMode()
{
    dragging_ = false;
    dragCandidate_ = nullptr;
    draggedItems_.clear();
    dragWindow_.reset();
    dropTarget_ = nullptr;
    dropDecision_ = TreeListDrop::Neutral;
    if (mouseGrabber() == this)
        releaseMouse();
    QGuiApplication::restoreOverrideCursor();
}

bool CTreeListCtrl::EnterDrop(CTreeListCtrl* source)
{
    const QPointer<CTreeListCtrl> from = source;
    if (Notify(TreeListCode::DragEnter, nullptr, 0, source) < 0 || !from || !from->dragging_)
        return false;
    dropSource_ = source;
    return true;
}

TreeListDrop CTreeListCtrl::TrackDrop(CTreeListCtrl* source, const QPoint& point, bool feedback)
{
    const TreeListHit hit = HitTest(point);
    const int column = std::max(hit.column, 0); // the parent is never handed "no column"
    dropPoint_ = point;
    watchedItem_ = hit.item;
    const TreeListDropPoint where{model_.Style(), source == this, hit.item, source->GetFirstSelectedItem()};
    const TreeListDrop decision =
        DecideDrop(where, [&] { return Notify(TreeListCode::DropQuery, hit.item, column, source) >= 0; });
    const bool itemGone = hit.item && !watchedItem_;
    watchedItem_ = nullptr;
    if (dropSource_ != source)
        return TreeListDrop::Refused;
    if (itemGone) {
        dropItem_ = nullptr;
        dropMarker_.reset();
        return TreeListDrop::Refused;
    }
    dropItem_ = decision == TreeListDrop::OnItem ? hit.item : nullptr;
    dropColumn_ = column;
    if (!feedback)
        return decision;

    if (IsDrop(decision))
        PlaceDropMarker(point);
    else
        dropMarker_.reset();
    if (decision == TreeListDrop::Neutral || decision == TreeListDrop::OnEmptySpace) {
        hoverItem_ = nullptr;
        hoverTimer_.stop();
        scrollTimer_.stop();
    } else if (model_.HasStyle(tls::kLevelIndent)) {
        const bool onItem = decision == TreeListDrop::OnItem;
        if (onItem && hoverItem_ != hit.item) {
            hoverItem_ = hit.item;
            hoverTimer_.stop();
        }
        StartUnlessRunning(hoverTimer_, onItem ? kHoverExpandOnItemMs : kHoverExpandRefusedMs);
        StartUnlessRunning(scrollTimer_, onItem ? kAutoScrollOnItemMs : kAutoScrollRefusedMs);
    }
    return decision;
}

void CTreeListCtrl::PlaceDropMarker(const QPoint& point)
{
    const int row = layout_.RowAtY(point.y());
    if (row < 0 || !rect().contains(point)) {
        dropMarker_.reset();
        return;
    }
    if (!dropMarker_) {
        dropMarker_ = std::make_unique<CTLCDropWnd>(textColours[kDragFeedbackColour], this);
        dropMarker_->setObjectName(QString::fromLatin1(kTreeListDropMarkerName));
    }
    dropMarker_->PointAt(mapToGlobal(QPoint(0, layout_.RowTop(row) + rowHeight_ / 2)));
    dropMarker_->show();
}

void CTreeListCtrl::EndDropFeedback(TreeListDrop decision)
{
    CTreeListCtrl* source = dropSource_;
    CTreeListItem* item = decision == TreeListDrop::OnItem ? dropItem_ : nullptr;
    const int column = dropColumn_;
    ClearDropFeedback();
    const QPointer<CTreeListCtrl> self = this;
    watchedItem_ = item;
    Notify(TreeListCode::DragLeave, nullptr, 0, source);
    if (!self)
        return;
    const bool itemGone = item && !watchedItem_;
    watchedItem_ = nullptr;
    if (!IsDrop(decision) || itemGone || (decision == TreeListDrop::OnItem && !item))
        return;
    // The parent may wait modally and rebuild the whole tree here, so this is the last step.
    Notify(TreeListCode::Dropped, item, column, source);
}

void CTreeListCtrl::ClearDropFeedback()
{
    hoverTimer_.stop();
    scrollTimer_.stop();
    dropMarker_.reset();
    dropSource_ = nullptr;
    dropItem_ = nullptr;
    hoverItem_ = nullptr;
}

void CTreeListCtrl::HoverExpand()
{
    CTreeListItem* item = hoverItem_;
    if (!dropSource_ || !item || HitTest(dropPoint_).item != item || item->IsExpanded() || !item->CanExpandOrCollapse())
        return;
    Expand(TreeListExpand::Expand, item, dropColumn_);
}

void CTreeListCtrl::AutoScroll()
{
    const int row = layout_.RowAtY(dropPoint_.y());
    const int lastRow = topRow_ + layout_.RowsPerPage() - 1;
    if (!dropSource_)
        scrollTimer_.stop();
    else if (row <= topRow_)
        Scroll(ScrollOrientation::Vertical, ScrollAction::LineBack);
    else if (row >= lastRow)
        Scroll(ScrollOrientation::Vertical, ScrollAction::LineForward);
    else
        scrollTimer_.stop();
}

// Scrolling, for the skinned bars, the wheel and the keyboard.

int CTreeListCtrl::ScrollLimit(ScrollOrientation orientation) const
{
    return orientation == ScrollOrientation::Vertical ? layout_.RowLimit() : layout_.ScrollXLimit();
}

int CTreeListCtrl::ScrollPosition(ScrollOrientation orientation) const
{
    return orientation == ScrollOrientation::Vertical ? topRow_ : scrollX_;
}

void CTreeListCtrl::SetScrollPosition(ScrollOrientation orientation, int position)
{
    if (orientation == ScrollOrientation::Vertical)
        topRow_ = position;
    else
        scrollX_ = position;
    tip_->Hide();
    Relayout();
}

void CTreeListCtrl::Scroll(ScrollOrientation orientation, ScrollAction action)
{
    const bool vertical = orientation == ScrollOrientation::Vertical;
    const int line = vertical ? 1 : kHorizontalLineStep;
    const int page = vertical ? layout_.RowsPerPage() : std::max(1, width());
    int delta = 0;
    switch (action) {
    case ScrollAction::LineBack:
        delta = -line;
        break;
    case ScrollAction::LineForward:
        delta = line;
        break;
    case ScrollAction::PageBack:
        delta = -page;
        break;
    case ScrollAction::PageForward:
        delta = page;
        break;
    }
    SetScrollPosition(orientation, ScrollPosition(orientation) + delta);
}

int CTreeListCtrl::ContentExtent(ScrollOrientation orientation) const
{
    if (orientation == ScrollOrientation::Horizontal)
        return layout_.ContentWidth();
    return layout_.Metrics().headerHeight + rowHeight_ * model_.VisibleRowCount();
}

} // namespace orb
