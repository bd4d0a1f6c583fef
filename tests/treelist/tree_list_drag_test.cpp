#include "tests/treelist/recording_handler.h"
#include "treelist/tree_list_ctrl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace orb {
namespace {

using Codes = std::vector<TreeListCode>;
using enum TreeListCode;

// Two trees side by side with the application's style, 20-pixel rows and header, three
// top-level rows each; the right tree's middle row is collapsed with a child. The left
// tree gets every mouse event, as under the mouse grab.
class TreeListDrag : public ::testing::Test
{
protected:
    void SetUp() override
    {
        host.resize(700, 240);
        for (int i = 0; i < 2; ++i) {
            trees[i] = new CTreeListCtrl(i + 1, &host);
            trees[i]->setGeometry(i * 350, 0, 300, 200);
            trees[i]->SetNotifyHandler(i == 0 ? &leftHandler : &rightHandler);
            trees[i]->SetStyle(tls::kApplicationStyle);
            trees[i]->InsertColumn("Name", 0);
            trees[i]->SetColumnWidth(0, 200);
            for (CTreeListItem*& item : items[i])
                item = trees[i]->InsertItem("row");
        }
        right->InsertItem("child", items[1][1]);
        host.show();
    }

    static QPoint At(CTreeListCtrl* tree, int row) { return tree->mapToGlobal(QPoint(100, 30 + row * 20)); }
    void Mouse(QEvent::Type type, QPoint global, Qt::MouseButton button = Qt::LeftButton)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, left->mapFromGlobal(QPointF(global)), QPointF(global), button, held, Qt::NoModifier);
        QApplication::sendEvent(left, &event);
    }
    void Drag(QPoint to, bool release = false) // the left tree's middle row onto `to`
    {
        Mouse(QEvent::MouseButtonPress, At(left, 1));
        Mouse(QEvent::MouseMove, to);
        if (release)
            Mouse(QEvent::MouseButtonRelease, to);
    }

    test::RecordingHandler leftHandler, rightHandler;
    QWidget host;
    CTreeListCtrl* trees[2] = {};
    CTreeListCtrl*& left = trees[0];
    CTreeListCtrl*& right = trees[1];
    CTreeListItem* items[2][3] = {};
};

TEST_F(TreeListDrag, SameControlDropIsAskedThenReportedAfterDragModeIsGone)
{
    bool dragModeGone = false;
    leftHandler.actions[Dropped] = [&](const TreeListNotify&) {
        dragModeGone = !left->IsDragging() && !left->DragWindow() && !left->DropMarker() && !QWidget::mouseGrabber() &&
                       !QGuiApplication::overrideCursor();
        QTest::qWait(300); // a modal wait window's loop, longer than an auto-scroll tick
        left->DeleteAllItems();
    };
    Drag(At(left, 2));
    EXPECT_EQ(leftHandler.Codes(), (Codes{SelectChanging, SelectChanged, BeginDrag, DragEnter, DropQuery}));
    EXPECT_EQ(leftHandler.notes[2].item, items[0][1]);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), kDropOnItemCursor);
    EXPECT_EQ(left->DragWindow()->pos(), At(left, 2) + QPoint(20, 4));
    EXPECT_EQ(left->DropMarker()->geometry().center().y() + 1, At(left, 2).y()); // the middle of the row

    leftHandler.notes.clear();
    Mouse(QEvent::MouseButtonRelease, At(left, 2));
    const Codes codes = leftHandler.Codes(); // the decision once more, the end, the drop, then the rebuild
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(Codes(codes.begin(), codes.begin() + 3), (Codes{DropQuery, DragLeave, Dropped}));
    EXPECT_EQ(leftHandler.notes[2].item, items[0][2]);
    EXPECT_EQ(leftHandler.notes[2].dragSource, left);
    EXPECT_TRUE(dragModeGone);
}

TEST_F(TreeListDrag, AnotherControlsParentDecidesAndTheTargetLeftBehindHearsItEnd)
{
    Drag(At(left, 2));
    rightHandler.replies[DropQuery] = kTreeListRefuse;
    Mouse(QEvent::MouseMove, At(right, 0));
    EXPECT_EQ(leftHandler.Codes().back(), DragLeave);
    EXPECT_EQ(rightHandler.Codes(), (Codes{DragEnter, DropQuery}));
    EXPECT_EQ(rightHandler.notes[1].dragSource, left);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), kDropRefusedCursor);
    Mouse(QEvent::MouseButtonRelease, At(right, 0));
    EXPECT_EQ(std::ranges::count(rightHandler.Codes(), Dropped), 0);

    rightHandler.replies.clear();
    Drag(At(right, 2), true);
    EXPECT_EQ(rightHandler.notes.back().code, Dropped);
    EXPECT_EQ(rightHandler.notes.back().item, items[1][2]);

    rightHandler.notes.clear();
    right->SetStyle(tls::kApplicationStyle & ~tls::kAcceptDrops);
    Drag(At(right, 2), true);
    EXPECT_TRUE(rightHandler.notes.empty()); // a control that takes no drops hears nothing
}

TEST_F(TreeListDrag, HoverExpandsAfterASecondAndTheLastRowScrollsALineAtATime)
{
    Drag(At(right, 1));
    QTest::qWait(700);
    EXPECT_FALSE(items[1][1]->IsExpanded());
    EXPECT_TRUE(QTest::qWaitFor([&] { return items[1][1]->IsExpanded(); }, 2000));

    for (int i = 0; i < 20; ++i)
        right->InsertItem("more");
    Mouse(QEvent::MouseMove, At(right, 8)); // the last of the nine whole rows
    EXPECT_TRUE(QTest::qWaitFor([&] { return right->ScrollPosition(ScrollOrientation::Vertical) != 0; }, 2000));
    EXPECT_EQ(right->ScrollPosition(ScrollOrientation::Vertical), 1);
}

TEST_F(TreeListDrag, EscapeRightButtonHidingAndLosingTheMouseCancel)
{
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QEvent deactivate(QEvent::WindowDeactivate);
    const std::function<void()> cancels[] = {
        [&] { QApplication::sendEvent(left, &escape); },
        [&] { Mouse(QEvent::MouseButtonPress, At(left, 0), Qt::RightButton); },
        [&] { left->hide(); },
        [&] { QApplication::sendEvent(left, &deactivate); },
    };
    for (const auto& cancel : cancels) {
        left->show();
        rightHandler.notes.clear();
        Drag(At(right, 0));
        cancel();
        EXPECT_FALSE(left->IsDragging() || left->DragWindow() || right->DropMarker());
        Mouse(QEvent::MouseButtonRelease, At(right, 0));
        EXPECT_EQ(rightHandler.Codes(), (Codes{DragEnter, DropQuery, DragLeave}));
    }
    EXPECT_TRUE(escape.isAccepted()); // it must not close the dialog as well
}

TEST_F(TreeListDrag, RebuildsDuringTheDragLeaveNothingDangling)
{
    // The target is rebuilt while its item waits to expand: the new item in that row takes the drop.
    Drag(At(right, 1));
    right->DeleteAllItems();
    right->InsertItem("new");
    CTreeListItem* rebuilt = right->InsertItem("new");
    right->InsertItem("child", rebuilt);
    QTest::qWait(1200);
    EXPECT_FALSE(rebuilt->IsExpanded());
    Mouse(QEvent::MouseButtonRelease, At(right, 1));
    EXPECT_EQ(rightHandler.notes.back().item, rebuilt);

    // The target item goes while -424 is heard; then the dragged items go mid-drag.
    rightHandler.actions[DragLeave] = [&](const TreeListNotify&) { right->DeleteAllItems(); };
    Drag(At(right, 0), true);
    EXPECT_EQ(std::ranges::count(rightHandler.Codes(), Dropped), 1); // still only the first part's
    Drag(At(left, 2));
    left->DeleteAllItems();
    EXPECT_FALSE(left->IsDragging());
    Mouse(QEvent::MouseButtonRelease, At(left, 0));
    EXPECT_EQ(std::ranges::count(leftHandler.Codes(), DragLeave), 1);
    EXPECT_EQ(std::ranges::count(leftHandler.Codes(), Dropped), 0);
}

} // namespace
} // namespace orb
