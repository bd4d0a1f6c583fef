#include "app/wait_window/wait_dlg.h"

#include "widgets/picture_ex.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace orb {
namespace {

constexpr int kSignalTimeoutMs = 10000;

// A black window with a focused button in its top left corner.
struct Owner
{
    Owner()
    {
        window.setAutoFillBackground(true);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, Qt::black);
        window.setPalette(palette);
        window.resize(300, 200);
        button.setGeometry(5, 5, 60, 25);
        window.show();
        window.activateWindow();
        button.setFocus();
        clicked = std::make_unique<QSignalSpy>(&button, &QPushButton::clicked);
    }

    void ClickButton() { QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(20, 15)); }

    QWidget window;
    QPushButton button{"Press", &window};
    std::unique_ptr<QSignalSpy> clicked;
};

// Pixels of `image` inside `area` for which `match` holds.
template <typename Match> int CountPixels(const QImage& image, const QRect& area, Match match)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += match(QColor(image.pixel(x, y))) ? 1 : 0;
    }
    return count;
}

TEST(CWaitDlg, LayoutCentresThePictureWithTheWordsBesideAndBelow)
{
    const WaitLayout layout = ComputeWaitLayout(QSize(300, 200));
    EXPECT_EQ(layout.picture, QRect(100, 85, 31, 31));
    EXPECT_EQ(layout.title.left(), 140);
    EXPECT_EQ(layout.title.right(), 299) << "stretched to the right edge";
    EXPECT_EQ(layout.title.top(), 85);
    EXPECT_EQ(layout.title.height(), 31);
    EXPECT_EQ(layout.message, QRect(0, 135, 300, 31));
}

TEST(CWaitDlg, OverlayCoversTheOwnerAndPlaysOnlyWhileShown)
{
    Owner owner;
    CWaitDlg overlay(&owner.window);
    auto* picture = owner.window.findChild<CPictureEx*>(QString::number(CWaitDlg::kPictureId));
    ASSERT_EQ(picture, overlay.Picture());
    EXPECT_FALSE(overlay.isVisible());
    EXPECT_FALSE(picture->IsPlaying());
    EXPECT_TRUE(picture->IsAnimated()) << "the loading animation is loaded";

    overlay.ShowWait();
    EXPECT_FALSE(overlay.isWindow());
    EXPECT_TRUE(overlay.IsWaiting());
    EXPECT_EQ(overlay.geometry(), owner.window.rect());
    EXPECT_EQ(owner.window.childAt(20, 15), &overlay) << "raised above the owner's controls";
    EXPECT_EQ(picture->geometry(), QRect(100, 85, 31, 31));
    EXPECT_TRUE(picture->IsPlaying());

    owner.window.resize(400, 260);
    EXPECT_EQ(overlay.geometry(), QRect(0, 0, 400, 260));
    EXPECT_EQ(picture->geometry(), ComputeWaitLayout(QSize(400, 260)).picture);

    overlay.EndWait();
    EXPECT_FALSE(overlay.isVisible());
    EXPECT_FALSE(picture->IsPlaying());

    // Shown and ended while the owner is hidden: it stays gone when the owner comes back.
    owner.window.hide();
    overlay.ShowWait();
    EXPECT_TRUE(overlay.IsWaiting());
    overlay.EndWait();
    owner.window.show();
    EXPECT_FALSE(overlay.isVisible());
    EXPECT_FALSE(picture->IsPlaying());
}

TEST(CWaitDlg, OverlaySwallowsEveryInputUntilItEnds)
{
    Owner owner;
    CWaitDlg overlay(&owner.window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner.window));
    owner.ClickButton();
    ASSERT_EQ(owner.clicked->count(), 1) << "the button works without the overlay";
    owner.button.setFocus();

    overlay.ShowWait();
    owner.ClickButton();
    QTest::mouseDClick(owner.window.windowHandle(), Qt::LeftButton, {}, QPoint(20, 15));
    QTest::keyClick(owner.window.windowHandle(), Qt::Key_Space);
    QTest::keyClick(owner.window.windowHandle(), Qt::Key_Tab);
    QTest::keyClick(owner.window.windowHandle(), Qt::Key_Return);
    EXPECT_EQ(owner.clicked->count(), 1);
    EXPECT_FALSE(owner.button.hasFocus());

    overlay.EndWait();
    EXPECT_TRUE(owner.button.hasFocus()) << "focus goes back where it was";
    QTest::keyClick(owner.window.windowHandle(), Qt::Key_Space);
    EXPECT_EQ(owner.clicked->count(), 2);
}

TEST(CWaitDlg, OverlayPaintsLoadingAndTheMessageAtItsOpacity)
{
    Owner owner;
    CWaitDlg overlay(&owner.window);
    overlay.ShowWait();
    overlay.Picture()->Stop(); // a still picture makes the image stable
    const WaitLayout& layout = overlay.Layout();

    QImage image = owner.window.grab().toImage();
    // White at 100/255 over black.
    const QColor corner(image.pixel(290, 5));
    EXPECT_NEAR(corner.red(), CWaitDlg::kOpacity, 3);
    EXPECT_NEAR(corner.green(), CWaitDlg::kOpacity, 3);
    EXPECT_NEAR(corner.blue(), CWaitDlg::kOpacity, 3);
    const int red = CountPixels(image, layout.title, [](QColor c) { return c.red() > 70 && c.green() < 40; });
    EXPECT_GT(red, 20) << "\"Loading\" in red";
    auto dark = [](QColor c) { return c.red() < 50 && c.green() < 50 && c.blue() < 50; };
    EXPECT_EQ(CountPixels(image, layout.message, dark), 0) << "no message yet";

    overlay.SetWaitMessage("Deleting Task List . . .");
    EXPECT_EQ(overlay.WaitMessage(), "Deleting Task List . . .");
    image = owner.window.grab().toImage();
    EXPECT_GT(CountPixels(image, layout.message, dark), 20) << "the message line in black";
    const QRect leftMargin(0, layout.message.top(), 20, layout.message.height());
    EXPECT_EQ(CountPixels(image, leftMargin, dark), 0) << "centred, not left-aligned";
}

// An edit's wait starts as its editor closes, before the owner's window is active again:
// the focus still goes back to the child that had it, not to the first in the tab chain.
TEST(CWaitDlg, AWaitStartedWhileTheOwnerIsInactiveGivesTheFocusBackWhereItWas)
{
    Owner owner;
    QPushButton second("Second", &owner.window);
    second.setGeometry(80, 5, 60, 25);
    second.show();
    second.setFocus();
    QWidget editor;
    editor.show();
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));

    CWaitDlg overlay(&owner.window);
    overlay.ShowWait();
    EXPECT_FALSE(overlay.isWindow()) << "no window of its own for a window manager to hold";
    overlay.EndWait();
    owner.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner.window));
    EXPECT_TRUE(second.hasFocus());
}

// The blocking call runs on a worker while the user-interface thread keeps serving the
// window: the animation goes on and the wait is shown until the call returns.
TEST(CWaitDlg, RunWhileWaitingKeepsTheWindowAliveDuringABlockingCall)
{
    Owner owner;
    CWaitDlg dialog(&owner.window);
    QSignalSpy frames(dialog.Picture(), &CPictureEx::frameShown);
    std::atomic<int> framesSeenByUi{0};
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (dialog.isVisible())
            framesSeenByUi = static_cast<int>(frames.count());
    });
    watcher.start(10);

    std::thread::id callThread;
    dialog.RunWhileWaiting([&] {
        callThread = std::this_thread::get_id();
        // Blocks until the user-interface thread has painted two frames meanwhile.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSignalTimeoutMs);
        while (framesSeenByUi < 2 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    EXPECT_NE(callThread, std::this_thread::get_id());
    EXPECT_GE(framesSeenByUi.load(), 2);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.Picture()->IsPlaying());
}

} // namespace
} // namespace orb
