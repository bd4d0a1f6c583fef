#include "tests/support/core_doubles.h"
#include "tests/support/qt_input.h"
#include "tests/treelist/recording_handler.h"
#include "treelist/tree_list_ctrl.h"
#include "treelist/tree_list_edit_ctrl.h"
#include "treelist/tree_list_header_ctrl.h"
#include "treelist/tree_list_tip_ctrl.h"
#include "widgets/skin_horizontal_scrollbar.h"
#include "widgets/skin_verticle_scrollbar.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace orb {
namespace {

using test::Click;
using test::RecordingHandler;
using test::SendMouse;

constexpr int kTreeId = 1002;
constexpr int kRow = 20;    // row height of a 14-pixel font
constexpr int kHeader = 20; // header height of a 14-pixel font
const QRgb kBackground = qRgb(34, 34, 34);
const QRgb kText = qRgb(200, 200, 200);
const QRgb kDimmed = qRgb(117, 117, 117);
const QRgb kYellow = qRgb(255, 255, 0);

int CountColour(const QImage& image, const QRect& rect, QRgb colour)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x)
            count += (image.pixel(x, y) & RGB_MASK) == (colour & RGB_MASK) ? 1 : 0;
    }
    return count;
}

int CountOtherThan(const QImage& image, const QRect& rect, QRgb colour)
{
    return rect.width() * rect.height() - CountColour(image, rect, colour);
}

// The main window's set-up: its style, columns and colours, a fixed "today" of 2026-12-08
// and a font drawn without smoothing, so text pixels have exactly the text colour.
//
// Rows: 0 "Calendar's", 1 past (checked, due yesterday), 2 today, 3 later, 4 "Task's",
// 5 a list whose task is collapsed inside it.
class TreeListCtrlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        host.resize(420, 320);
        tree = new CTreeListCtrl(kTreeId, &host);
        tree->setGeometry(0, 20, 300, 200);
        tree->SetNotifyHandler(&handler);
        tree->SetStyle(tls::kApplicationStyle);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(14);
        font.setStyleStrategy(QFont::NoAntialias);
        tree->SetFont(font);
        tree->InsertColumn("Name", 0x504144);
        tree->InsertColumn("Due", 0x104444);
        tree->InsertColumn("Memo", 0x104144);
        tree->InsertColumn("ID", 0x104144);
        tree->SetColumnWidth(0, 200);
        tree->SetColumnWidth(1, 90);
        tree->SetClock(&clock);
        tree->colours[1] = QColor(34, 34, 34);
        tree->textColours[4] = QColor(200, 200, 200);

        calendars = tree->InsertItem("Calendar's");
        past = AddEvent("0xFF0000Past", "2026-12-07");
        today = AddEvent("0x00FF00Today", "2026-12-08");
        later = AddEvent("0x0000FFLater", "2026-12-09");
        tree->SetItemCheck(past, true);
        tasks = tree->InsertItem("Task's");
        list = tree->InsertItem("0xEF0000List", tasks);
        task = tree->InsertItem("0xEF0000Task", list);
        tree->Expand(TreeListExpand::Expand, calendars);
        tree->Expand(TreeListExpand::Expand, tasks);
        host.show();
        handler.notes.clear();
    }

    CTreeListItem* AddEvent(const std::string& name, const std::string& due)
    {
        CTreeListItem* item = tree->InsertItem(name, calendars);
        tree->SetItemText(1, item, due);
        return item;
    }

    static int RowY(int row) { return kHeader + row * kRow + kRow / 2; }
    static QRect RowRect(int row, int left, int right) { return {left, kHeader + row * kRow, right - left, kRow}; }

    RecordingHandler handler;
    test::FixedClock clock{{2026, 12, 8, 9, 30, 0}};
    QWidget host;
    CTreeListCtrl* tree = nullptr;
    CTreeListItem* calendars = nullptr;
    CTreeListItem* past = nullptr;
    CTreeListItem* today = nullptr;
    CTreeListItem* later = nullptr;
    CTreeListItem* tasks = nullptr;
    CTreeListItem* list = nullptr;
    CTreeListItem* task = nullptr;
};

using Codes = std::vector<TreeListCode>;

// Level 1: button cell 2..18, check box 18..34, text from 34. Level 2: 34..50, text from 50.
using TreeListClicks = TreeListCtrlTest;

TEST_F(TreeListClicks, ButtonExpandsWithItsNotifications)
{
    Click(tree, {25, RowY(5)});
    EXPECT_EQ(handler.Codes(), (Codes{TreeListCode::Expanding, TreeListCode::Expanded}));
    EXPECT_EQ(handler.notes[0].item, list);
    EXPECT_EQ(handler.notes[0].source, tree);
    EXPECT_EQ(handler.notes[0].sourceId, kTreeId);
    EXPECT_TRUE(list->IsExpanded());
    EXPECT_EQ(tree->Model().VisibleRowCount(), 7);
    EXPECT_EQ(tree->GetFirstSelectedItem(), nullptr); // a button click selects nothing
}

TEST_F(TreeListClicks, CheckBoxOfMixedParentUnchecksItsBranch)
{
    ASSERT_EQ(tree->GetCheck(calendars), 2);
    Click(tree, {25, RowY(0)});
    EXPECT_EQ(handler.Codes(), (Codes{TreeListCode::CheckChanging, TreeListCode::CheckChanged}));
    for (CTreeListItem* item : {calendars, past, today, later})
        EXPECT_EQ(tree->GetCheck(item), 0);
}

TEST_F(TreeListClicks, RefusedCheckBoxKeepsItsState)
{
    handler.replies[TreeListCode::CheckChanging] = kTreeListRefuse;
    Click(tree, {40, RowY(2)});
    EXPECT_EQ(handler.Codes(), Codes{TreeListCode::CheckChanging});
    EXPECT_EQ(tree->GetCheck(today), 0);
}

TEST_F(TreeListClicks, ToggleOnlyStyleNeitherSpreadsNorReports)
{
    tree->SetStyle(tls::kApplicationStyle | tls::kCheckClickToggleOnly);
    Click(tree, {40, RowY(2)});
    EXPECT_EQ(handler.Codes(), Codes{TreeListCode::CheckChanging});
    EXPECT_EQ(tree->GetCheck(today), 1);
    EXPECT_EQ(tree->GetCheck(calendars), 2); // not recomputed
}

TEST_F(TreeListClicks, LockBoxAsksAndSpreads)
{
    tree->SetStyle(tls::kApplicationStyle | tls::kLockBoxes);
    // With the lock boxes comes the 2-pixel gap; the lock box of a level-1 item is 34..42.
    Click(tree, {38, RowY(4)});
    EXPECT_EQ(handler.Codes(), Codes{TreeListCode::LockChanging});
    EXPECT_EQ(tree->GetLock(tasks), 1);
    EXPECT_EQ(tree->GetLock(task), 1);

    handler.replies[TreeListCode::LockChanging] = kTreeListRefuse;
    Click(tree, {38, RowY(4)});
    EXPECT_EQ(tree->GetLock(tasks), 1);
}

TEST_F(TreeListClicks, TextSelectsAndControlAddsToTheSelection)
{
    Click(tree, {100, RowY(3)});
    EXPECT_EQ(handler.Codes(), (Codes{TreeListCode::SelectChanging, TreeListCode::SelectChanged}));
    EXPECT_EQ(handler.notes[0].item, later);
    EXPECT_EQ(tree->GetFirstSelectedItem(), later);

    Click(tree, {100, RowY(2)}, Qt::ControlModifier);
    EXPECT_EQ(tree->GetFirstSelectedItem(), today);
    EXPECT_EQ(tree->GetNextSelectedItem(today), later);

    Click(tree, {250, RowY(1)}); // the due column selects too, replacing
    EXPECT_EQ(tree->GetFirstSelectedItem(), past);
    EXPECT_EQ(tree->GetNextSelectedItem(past), nullptr);
    EXPECT_EQ(tree->Model().FocusedColumn(), 1);
}

TEST_F(TreeListClicks, EmptySpaceClearsTheSelection)
{
    tree->SelectItem(later);
    handler.notes.clear();
    Click(tree, {100, RowY(8)});
    EXPECT_EQ(handler.Codes(), (Codes{TreeListCode::SelectChanging, TreeListCode::SelectChanged}));
    EXPECT_EQ(handler.notes[0].item, nullptr);
    EXPECT_EQ(handler.notes[1].item, nullptr);
    EXPECT_EQ(tree->GetFirstSelectedItem(), nullptr);
}

TEST_F(TreeListClicks, DoubleClicksAreReportedWithTheLevelStyle)
{
    SendMouse(tree, QEvent::MouseButtonDblClick, {100, RowY(2)}, Qt::LeftButton);
    SendMouse(tree, QEvent::MouseButtonDblClick, {20, RowY(3)}, Qt::RightButton);
    ASSERT_EQ(handler.Codes(), (Codes{TreeListCode::DoubleClick, TreeListCode::RightDoubleClick}));
    EXPECT_EQ(handler.notes[0].item, today);
    EXPECT_EQ(handler.notes[1].item, later);

    handler.notes.clear();
    tree->SetStyle(tls::kApplicationStyle & ~tls::kLevelIndent);
    SendMouse(tree, QEvent::MouseButtonDblClick, {100, RowY(2)}, Qt::LeftButton);
    SendMouse(tree, QEvent::MouseButtonDblClick, {100, RowY(2)}, Qt::RightButton);
    EXPECT_TRUE(handler.notes.empty());
}

using TreeListKeys = TreeListCtrlTest;

TEST_F(TreeListKeys, MovementKeysMoveFocusAndSelection)
{
    tree->SelectItem(calendars);
    const auto press = [&](Qt::Key key) {
        QTest::keyClick(tree, key);
        return tree->GetFirstSelectedItem();
    };
    EXPECT_EQ(press(Qt::Key_Down), past);
    EXPECT_EQ(press(Qt::Key_Left), calendars); // to the parent
    EXPECT_EQ(press(Qt::Key_Right), past);     // to the first child
    EXPECT_EQ(press(Qt::Key_Up), calendars);
    EXPECT_EQ(press(Qt::Key_End), list);
    EXPECT_EQ(press(Qt::Key_Home), calendars);
    EXPECT_EQ(press(Qt::Key_PageDown), list); // a page is nine rows, the list is the last
    EXPECT_EQ(press(Qt::Key_PageUp), calendars);
    EXPECT_EQ(press(Qt::Key_Up), calendars);
}

TEST_F(TreeListKeys, ExpansionKeys)
{
    tree->SelectItem(tasks);
    handler.notes.clear();
    QTest::keyClick(tree, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_FALSE(tasks->IsExpanded());
    QTest::keyClick(tree, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_TRUE(tasks->IsExpanded());
    QTest::keyClick(tree, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_FALSE(tasks->IsExpanded());
    QTest::keyClick(tree, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_TRUE(tasks->IsExpanded());
    QTest::keyClick(tree, Qt::Key_Space);
    EXPECT_FALSE(tasks->IsExpanded());
    EXPECT_EQ(handler.notes.size(), 10u);
    // The plus key of the main keyboard is not the numpad's.
    QTest::keyClick(tree, Qt::Key_Plus);
    EXPECT_FALSE(tasks->IsExpanded());
}

TEST_F(TreeListKeys, InsertAndDeleteReportTheFocusedItem)
{
    tree->SelectItem(today);
    handler.notes.clear();
    QTest::keyClick(tree, Qt::Key_Insert);
    QTest::keyClick(tree, Qt::Key_Delete);
    ASSERT_EQ(handler.Codes(), (Codes{TreeListCode::InsertKey, TreeListCode::DeleteKey}));
    EXPECT_EQ(handler.notes[0].item, today);
    EXPECT_EQ(handler.notes[1].item, today);
    EXPECT_EQ(tree->Model().VisibleRowCount(), 6); // the tree itself deletes nothing
}

using TreeListDrawing = TreeListCtrlTest;

TEST_F(TreeListDrawing, ColourBarAndLabelColours)
{
    const QImage& image = tree->RenderImage();
    // Level-2 text starts at 50: the bar covers 51..54 from 3 below the row top to 3 above its bottom.
    const int top = kHeader + 1 * kRow;
    EXPECT_EQ(image.pixel(51, top + 3) & RGB_MASK, qRgb(255, 0, 0) & RGB_MASK);
    EXPECT_EQ(image.pixel(54, top + kRow - 4) & RGB_MASK, qRgb(255, 0, 0) & RGB_MASK);
    EXPECT_EQ(image.pixel(51, top + 2) & RGB_MASK, kBackground & RGB_MASK);
    EXPECT_EQ(image.pixel(55, top + 10) & RGB_MASK, kBackground & RGB_MASK);
    EXPECT_EQ(image.pixel(52, kHeader + 2 * kRow + 10) & RGB_MASK, qRgb(0, 255, 0) & RGB_MASK);

    const QRect pastLabel = RowRect(1, 57, 200);
    EXPECT_GT(CountColour(image, pastLabel, kDimmed), 0); // checked
    EXPECT_EQ(CountColour(image, pastLabel, kText), 0);
    const QRect todayLabel = RowRect(2, 57, 200);
    EXPECT_GT(CountColour(image, todayLabel, kYellow), 0); // due today
    EXPECT_EQ(CountColour(image, todayLabel, kText), 0);
    const QRect laterLabel = RowRect(3, 57, 200);
    EXPECT_GT(CountColour(image, laterLabel, kText), 0);
    EXPECT_EQ(CountColour(image, laterLabel, kYellow) + CountColour(image, laterLabel, kDimmed), 0);
    // A text without the prefix is drawn whole.
    EXPECT_GT(CountColour(image, RowRect(0, 34, 200), kText), 0);
}

TEST_F(TreeListDrawing, DueColumnColours)
{
    const QImage& image = tree->RenderImage();
    EXPECT_GT(CountColour(image, RowRect(1, 200, 290), kDimmed), 0);
    EXPECT_EQ(CountColour(image, RowRect(1, 200, 290), kText), 0);
    EXPECT_GT(CountColour(image, RowRect(2, 200, 290), kYellow), 0);
    EXPECT_GT(CountColour(image, RowRect(3, 200, 290), kText), 0);
    EXPECT_EQ(CountOtherThan(image, RowRect(4, 200, 290), kBackground), 0); // empty

    tree->SetDueHide(true);
    const QImage& hidden = tree->RenderImage();
    EXPECT_EQ(CountOtherThan(hidden, RowRect(1, 200, 290), kBackground), 0);
    EXPECT_EQ(CountOtherThan(hidden, RowRect(3, 200, 290), kBackground), 0);
    EXPECT_GT(CountColour(hidden, RowRect(2, 200, 290), kYellow), 0);
}

TEST_F(TreeListDrawing, DimmedColourFollowsTheTables)
{
    tree->colours[0] = QColor(100, 0, 20);
    tree->textColours[4] = QColor(50, 200, 21);
    const QImage& image = tree->RenderImage();
    EXPECT_GT(CountColour(image, RowRect(1, 57, 200), qRgb(75, 100, 20)), 0);
}

TEST_F(TreeListCtrlTest, FontSetsRowAndHeaderHeights)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(17);
    tree->SetFont(font);
    EXPECT_EQ(tree->RowHeight(), 22);
    EXPECT_EQ(tree->HeaderHeight(), 23);
    EXPECT_EQ(tree->BoldFont().weight(), QFont::ExtraBold);
    EXPECT_EQ(tree->Header()->height(), 23);
    EXPECT_EQ(tree->HitTest({100, 23 + 22 + 5}).item, past);

    tree->SetFont(font, 0);
    EXPECT_EQ(tree->RowHeight(), 20);
    EXPECT_EQ(tree->HeaderHeight(), 20);

    const std::uint32_t previous = tree->SetStyle(tls::kApplicationStyle & ~tls::kHeader);
    EXPECT_EQ(previous, tls::kApplicationStyle);
    EXPECT_TRUE(tree->Header()->isHidden());
    EXPECT_EQ(tree->Header()->Flags() & tlh::kShown, 0u);
    EXPECT_EQ(tree->HitTest({100, 5}).item, calendars);
}

using TreeListHeader = TreeListCtrlTest;

TEST_F(TreeListHeader, BoundaryDragResizesAndDoubleClickFits)
{
    CTreeListHeaderCtrl* header = tree->Header();
    SendMouse(header, QEvent::MouseButtonPress, {201, 10}, Qt::LeftButton);
    SendMouse(header, QEvent::MouseMove, {150, 10}, Qt::LeftButton);
    SendMouse(header, QEvent::MouseButtonRelease, {150, 10}, Qt::LeftButton);
    EXPECT_EQ(tree->Model().Column(0)->width, 150);
    EXPECT_EQ(tree->Layout().Columns()[1].left, 150);

    // Fitted to the widest shown row: level-2 labels start 57 pixels in.
    SendMouse(header, QEvent::MouseButtonDblClick, {149, 10}, Qt::LeftButton);
    const QFontMetrics metrics(tree->ListFont());
    int widest = 34 + metrics.horizontalAdvance(QStringLiteral("Calendar's"));
    for (const char* label : {"Past", "Today", "Later", "List"})
        widest = std::max(widest, 57 + metrics.horizontalAdvance(QString::fromLatin1(label)));
    EXPECT_EQ(tree->Model().Column(0)->width, widest);
}

TEST_F(TreeListHeader, DraggingAHeaderMovesItsColumn)
{
    CTreeListHeaderCtrl* header = tree->Header();
    SendMouse(header, QEvent::MouseButtonPress, {50, 10}, Qt::LeftButton);
    SendMouse(header, QEvent::MouseMove, {240, 10}, Qt::LeftButton);
    EXPECT_EQ(header->DropPosition(), 1);
    SendMouse(header, QEvent::MouseButtonRelease, {240, 10}, Qt::LeftButton);
    EXPECT_EQ(tree->Model().ShownOrder(), (std::vector<int>{1, 0, 2, 3}));
    // The due column is now first: a click at its left edge hits the due text of the row.
    EXPECT_EQ(tree->HitTest({5, RowY(2)}).column, 1);
    EXPECT_EQ(tree->HitTest({100, RowY(2)}).column, 0);
}

using TreeListEditing = TreeListCtrlTest;

TEST_F(TreeListEditing, EditBoxStoresItsTextAndReports)
{
    tree->SetColumnEditor(1, TreeListEditor::Edit);
    Click(tree, {250, RowY(3)});
    handler.notes.clear();
    QTest::keyClick(tree, Qt::Key_F2);
    ASSERT_TRUE(tree->IsEditing());
    EXPECT_EQ(handler.Codes(), Codes{TreeListCode::BeginControl});
    CTreeListEditCtrl* edit = tree->EditCtrl();
    EXPECT_TRUE(edit->isVisible());
    EXPECT_EQ(edit->text(), QStringLiteral("2026-12-09"));
    EXPECT_EQ(edit->geometry(), QRect(202, kHeader + 3 * kRow, 88, kRow));

    edit->setText(QStringLiteral("2027-01-01"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(handler.Codes(),
              (Codes{TreeListCode::BeginControl, TreeListCode::EditEnding, TreeListCode::EditTextChanging,
                     TreeListCode::EndControl, TreeListCode::EditEnded}));
    EXPECT_EQ(tree->GetItemText(later, 1), "2027-01-01");
    EXPECT_FALSE(edit->isVisible());
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_FALSE(tree->IsEditing());
}

TEST_F(TreeListEditing, EscapeRefusalAndStaticEditorsKeepTheText)
{
    tree->SetColumnEditor(1, TreeListEditor::Edit);
    tree->SelectItem(later, 1);
    tree->BeginEdit();
    tree->EditCtrl()->setText(QStringLiteral("changed"));
    QTest::keyClick(tree->EditCtrl(), Qt::Key_Escape);
    EXPECT_EQ(tree->GetItemText(later, 1), "2026-12-09");

    handler.replies[TreeListCode::EditTextChanging] = kTreeListRefuse;
    tree->BeginEdit();
    tree->EditCtrl()->setText(QStringLiteral("changed"));
    tree->EndEdit(true);
    EXPECT_EQ(tree->GetItemText(later, 1), "2026-12-09");

    handler.notes.clear();
    tree->SetColumnEditor(1, TreeListEditor::Static);
    tree->BeginEdit();
    tree->EndEdit(true);
    EXPECT_EQ(handler.Codes(), (Codes{TreeListCode::BeginControl, TreeListCode::EditEnding, TreeListCode::EndControl,
                                      TreeListCode::EditEnded}));
}

TEST_F(TreeListEditing, DeletingTheEditedItemClosesTheEditor)
{
    tree->SetColumnEditor(0, TreeListEditor::Edit);
    tree->SelectItem(today, 0);
    tree->BeginEdit();
    ASSERT_TRUE(tree->EditCtrl()->isVisible());
    tree->DeleteItem(today);
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_FALSE(tree->EditCtrl()->isVisible());
    tree->EndEdit(true); // nothing left to end
    EXPECT_EQ(tree->Model().VisibleRowCount(), 5);
}

using TreeListScrollBars = TreeListCtrlTest;

TEST_F(TreeListScrollBars, StandBesideAndBelowAndFadeWhenRowsFit)
{
    CSkinVerticleScrollbar* vertical = tree->VerticalBar();
    CSkinHorizontalScrollbar* horizontal = tree->HorizontalBar();
    ASSERT_EQ(vertical->parentWidget(), &host);
    EXPECT_EQ(vertical->geometry(), QRect(300, 20, 12, 212));
    EXPECT_EQ(horizontal->geometry(), QRect(0, 220, 300, 12));
    EXPECT_EQ(tree->ScrollLimit(ScrollOrientation::Vertical), 0);
    EXPECT_EQ(vertical->BarAlpha(), 10);
    EXPECT_FALSE(vertical->Timers().IsActive(SkinScrollbar::kFadeTimer));

    for (int i = 0; i < 20; ++i)
        tree->InsertItem("more");
    EXPECT_EQ(tree->ScrollLimit(ScrollOrientation::Vertical), 26 - 9);
    EXPECT_EQ(vertical->BarAlpha(), 254);
    EXPECT_TRUE(vertical->Timers().IsActive(SkinScrollbar::kFadeTimer));

    // The down arrow at the bar's bottom scrolls the tree by a row.
    const QPoint downArrow(6, vertical->height() - 20);
    SendMouse(vertical, QEvent::MouseButtonPress, downArrow, Qt::LeftButton);
    SendMouse(vertical, QEvent::MouseButtonRelease, downArrow, Qt::LeftButton);
    EXPECT_EQ(tree->ScrollPosition(ScrollOrientation::Vertical), 1);
    EXPECT_EQ(tree->HitTest({100, kHeader + 5}).item, past);
}

TEST_F(TreeListScrollBars, WheelScrollsThreeRowsAndLeavesControlWheelToTheParent)
{
    for (int i = 0; i < 20; ++i)
        tree->InsertItem("more");
    QWheelEvent down(QPointF(100, 100), tree->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(tree, &down);
    EXPECT_EQ(tree->ScrollPosition(ScrollOrientation::Vertical), 3);

    QWheelEvent zoom(QPointF(100, 100), tree->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(tree, &zoom);
    EXPECT_FALSE(zoom.isAccepted());
    EXPECT_EQ(tree->ScrollPosition(ScrollOrientation::Vertical), 3);
}

TEST_F(TreeListCtrlTest, TipShowsTextsThatDoNotFit)
{
    tree->Tip()->SetLayered(false);
    tree->SetColumnWidth(0, 60);
    SendMouse(tree, QEvent::MouseMove, {40, RowY(0)}, Qt::NoButton);
    EXPECT_TRUE(tree->Tip()->isVisible());
    EXPECT_EQ(tree->Tip()->Text(), QStringLiteral("Calendar's"));

    SendMouse(tree, QEvent::MouseMove, {250, RowY(3)}, Qt::NoButton); // "2026-12-09" fits in 90
    EXPECT_FALSE(tree->Tip()->isVisible());
}

TEST(TreeListLifetime, DestroyingTheControlReportsEveryItem)
{
    RecordingHandler handler;
    auto* tree = new CTreeListCtrl(kTreeId);
    tree->InsertColumn("Name", 0);
    tree->SetNotifyHandler(&handler);
    CTreeListItem* top = tree->InsertItem("top");
    tree->InsertItem("child", top);
    tree->InsertItem("other");
    delete tree;
    EXPECT_EQ(handler.Codes(), Codes(3, kItemDeleting));
}

TEST(TreeListLifetime, HandlerThatGoesFirstIsNotCalled)
{
    QWidget host;
    auto* tree = new CTreeListCtrl(kTreeId, &host);
    tree->InsertColumn("Name", 0);
    tree->InsertItem("top");
    std::vector<TreeListCode> heard;
    {
        RecordingHandler handler;
        tree->SetNotifyHandler(&handler);
        tree->SelectItem(tree->GetLastChild(kTliRoot));
        heard = handler.Codes();
    }
    delete tree; // would report to the handler that is gone
    EXPECT_EQ(heard.size(), 2u);
}

} // namespace
} // namespace orb
