#pragma once

#include "treelist/tree_list_drag_decision.h"
#include "treelist/tree_list_layout.h"
#include "treelist/tree_list_model.h"
#include "treelist/tree_list_notify.h"
#include "treelist/tree_list_place.h"
#include "treelist/tree_list_style.h"
#include "widgets/skin_scroll_target.h"

#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace orb {

class Clock;
class CSkinHorizontalScrollbar;
class CSkinVerticleScrollbar;
class CTLCDragWnd;
class CTLCDropWnd;
class CTreeListComboCtrl;
class CTreeListEditCtrl;
class CTreeListHeaderCtrl;
class CTreeListStaticCtrl;
class CTreeListTipCtrl;
struct TreeListPaintContext;

constexpr int kTreeListColourCount = 12;
constexpr int kTreeListTextColourCount = 8;

// Object names of the control's own parts, so tests and parents can find them.
inline constexpr const char* kTreeListHeaderName = "treeListHeader";
inline constexpr const char* kTreeListEditName = "treeListEdit";
inline constexpr const char* kTreeListComboName = "treeListCombo";
inline constexpr const char* kTreeListStaticName = "treeListStatic";
inline constexpr const char* kTreeListTipName = "treeListTip";
inline constexpr const char* kTreeListVerticalBarName = "treeListVerticalBar";
inline constexpr const char* kTreeListHorizontalBarName = "treeListHorizontalBar";
inline constexpr const char* kTreeListDragWindowName = "treeListDragWindow";
inline constexpr const char* kTreeListDropMarkerName = "treeListDropMarker";

// The cursor of each drop decision while items are dragged.
inline constexpr Qt::CursorShape kDropRefusedCursor = Qt::ForbiddenCursor;
// Over the dragged rows themselves (or below them) nothing can be dropped either, and the
// user should see so just as plainly.
inline constexpr Qt::CursorShape kDropNeutralCursor = Qt::ForbiddenCursor;
inline constexpr Qt::CursorShape kDropOnItemCursor = Qt::DragMoveCursor;
inline constexpr Qt::CursorShape kDropOnEmptySpaceCursor = Qt::DragMoveCursor;

// The owner-drawn multi-column tree. It reports everything to its parent's
// TreeListNotifyHandler and changes no application data itself. Its skinned scroll bars
// stand beside and below it, as children of its parent widget.
class CTreeListCtrl : public QWidget, public SkinScrollTarget
{
    Q_OBJECT

public:
    explicit CTreeListCtrl(int controlId, QWidget* parent = nullptr);
    ~CTreeListCtrl() override;

    int ControlId() const { return controlId_; }
    void SetNotifyHandler(TreeListNotifyHandler* handler);

    // Returns the previous style; the header's flags follow the new one.
    std::uint32_t SetStyle(std::uint32_t style);
    std::uint32_t Style() const { return model_.Style(); }
    std::uint32_t HeaderFlags() const { return HeaderFlagsForStyle(model_.Style()); }

    // The LOGFONTA height is taken as minus the pixel size.
    void SetFont(const QFont& font);
    void SetFont(const QFont& font, int lfHeight);
    const QFont& ListFont() const { return listFont_; }
    const QFont& BoldFont() const { return boldFont_; }
    int RowHeight() const { return rowHeight_; }
    int HeaderHeight() const { return headerHeight_; }

    bool InsertColumn(const std::string& text, std::uint32_t format);
    // Widths -1 to -4 size the column from its content (see tlaw).
    void SetColumnWidth(int column, int width, int minWidth = 0, int maxWidth = 0);
    bool SetColumnEditor(int column, TreeListEditor editor);
    bool MoveShownColumn(int fromPosition, int toPosition);

    CTreeListItem* InsertItem(const std::string& text, CTreeListItem* parent = kTliRoot,
                              CTreeListItem* after = kTliLast);
    bool SetItemText(int column, CTreeListItem* item, const std::string& text);
    const std::string& GetItemText(const CTreeListItem* item, int column) const;
    void SetItemCheck(CTreeListItem* item, bool checked);
    int GetCheck(const CTreeListItem* item) const { return model_.GetCheck(item); }
    void SetItemLock(CTreeListItem* item, bool locked);
    int GetLock(const CTreeListItem* item) const { return model_.GetLock(item); }
    bool Expand(TreeListExpand code, CTreeListItem* item, int column = 0);
    bool DeleteItem(CTreeListItem* item = kTliRoot);
    bool DeleteAllItems();
    CTreeListItem* GetRootItem() const { return model_.Root(); }
    CTreeListItem* GetFirstSelectedItem() const { return model_.FirstSelected(); }
    CTreeListItem* GetNextSelectedItem(const CTreeListItem* item) const { return model_.NextSelected(item); }
    CTreeListItem* GetLastChild(CTreeListItem* item) const { return model_.LastChild(item); }
    void SelectItem(CTreeListItem* item, int column = 0, bool replace = true);
    void EnsureVisible(const CTreeListItem* item);
    // Expansion, selection and scroll position by item keys, to be restored once the items
    // have been built anew.
    TreeListPlace SavePlace(int keyColumn) const { return CaptureTreeListPlace(model_, keyColumn, topRow_); }
    void RestorePlace(const TreeListPlace& place);

    // In-place editing of the focused cell with its column's editor.
    void BeginEdit();
    void EndEdit(bool keep);
    bool IsEditing() const { return editing_.has_value(); }

    void SetClock(const Clock* clock);
    void SetDueHide(bool hide);
    void SetImageList(std::vector<QPixmap> images);
    void SetBackgroundImage(const QPixmap& image);

    TreeListHit HitTest(const QPoint& point) const;
    QRect CellRect(const CTreeListItem* item, int column) const;
    const TreeListLayout& Layout() const { return layout_; }
    const TreeListModel& Model() const { return model_; }
    // Draws the rows area into an image the size of the control (the header draws itself).
    const QImage& RenderImage();

    CTreeListHeaderCtrl* Header() const { return header_; }
    CTreeListTipCtrl* Tip() const { return tip_; }
    CTreeListEditCtrl* EditCtrl() const { return edit_; }
    CTreeListComboCtrl* ComboCtrl() const { return combo_; }
    CTreeListStaticCtrl* StaticCtrl() const { return static_; }
    CSkinVerticleScrollbar* VerticalBar() const;
    CSkinHorizontalScrollbar* HorizontalBar() const;

    // Dragging the selected items to this or another tree list.
    bool IsDragging() const { return dragging_; }
    // Ends a drag without a drop; the current target hears -424.
    void CancelDrag();
    QWidget* DragWindow() const;
    // The marker this control shows as a drop target, or null.
    QWidget* DropMarker() const;
    // The decision at the pointer's last position while this control drags.
    TreeListDrop DropDecision() const { return dropDecision_; }

    int ScrollLimit(ScrollOrientation orientation) const override;
    int ScrollPosition(ScrollOrientation orientation) const override;
    void SetScrollPosition(ScrollOrientation orientation, int position) override;
    void Scroll(ScrollOrientation orientation, ScrollAction action) override;
    int ContentExtent(ScrollOrientation orientation) const override;

    // Overwritten by the application as it likes; see the drawing rules.
    std::array<QColor, kTreeListColourCount> colours;
    std::array<QColor, kTreeListTextColourCount> textColours;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    friend class TreeListNotifyHandler;

    struct EditState
    {
        CTreeListItem* item;
        int column;
        TreeListEditor editor;
    };

    int Notify(TreeListCode code, CTreeListItem* item, int column, CTreeListCtrl* dragSource = nullptr);
    void ForgetItem(CTreeListItem* item);
    TreeListPaintContext PaintContext() const;
    void Relayout();
    void PlaceScrollBars();
    void PlaceEditor();
    QWidget* EditorWidget(TreeListEditor editor) const;
    void AbandonEdit();
    void ClickBox(CTreeListItem* item, int column, std::uint32_t area);
    void MoveFocusTo(CTreeListItem* item);
    CTreeListItem* KeyboardItem() const;
    void UpdateTip(const QPoint& point);

    // The control the items are dragged from runs the gesture.
    void BeginDrag();
    void DragTo(const QPoint& global, bool releasing);
    void Drop(const QPoint& global);
    void LeaveDragMode();
    QImage DragImage();
    static CTreeListCtrl* TreeListAt(const QPoint& global);
    // The control under the pointer shows the feedback and talks to its parent.
    bool EnterDrop(CTreeListCtrl* source);
    TreeListDrop TrackDrop(CTreeListCtrl* source, const QPoint& point, bool feedback);
    void EndDropFeedback(TreeListDrop decision);
    void ClearDropFeedback();
    void PlaceDropMarker(const QPoint& point);
    void HoverExpand();
    void AutoScroll();

    int controlId_;
    TreeListModel model_;
    TreeListLayout layout_;
    TreeListNotifyHandler* handler_ = nullptr;
    QFont listFont_;
    QFont boldFont_;
    int rowHeight_;
    int headerHeight_;
    int topRow_ = 0;
    int scrollX_ = 0;
    const Clock* clock_;
    bool dueHide_ = false;
    std::vector<QPixmap> images_;
    QPixmap backgroundImage_;
    QImage image_;

    CTreeListHeaderCtrl* header_;
    CTreeListTipCtrl* tip_;
    CTreeListEditCtrl* edit_;
    CTreeListComboCtrl* combo_;
    CTreeListStaticCtrl* static_;
    QPointer<CSkinVerticleScrollbar> verticalBar_;
    QPointer<CSkinHorizontalScrollbar> horizontalBar_;

    std::optional<EditState> editing_;
    CTreeListItem* closingItem_ = nullptr; // the item of an edit being closed, while it exists
    QTimer editDelay_;
    CTreeListItem* dragCandidate_ = nullptr;
    QPoint pressPoint_;

    bool dragging_ = false;
    std::vector<CTreeListItem*> draggedItems_; // the selection the drag began with
    std::unique_ptr<CTLCDragWnd> dragWindow_;
    QPointer<CTreeListCtrl> dropTarget_;
    TreeListDrop dropDecision_ = TreeListDrop::Neutral;

    // While this control is the drop target.
    QPointer<CTreeListCtrl> dropSource_;
    QPoint dropPoint_;
    CTreeListItem* dropItem_ = nullptr;
    int dropColumn_ = 0;
    CTreeListItem* hoverItem_ = nullptr;
    CTreeListItem* watchedItem_ = nullptr; // cleared when a notification's handler deletes it
    std::unique_ptr<CTLCDropWnd> dropMarker_;
    QTimer hoverTimer_;
    QTimer scrollTimer_;
};

} // namespace orb
