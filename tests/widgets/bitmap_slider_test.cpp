#include "tests/support/qt_input.h"
#include "widgets/bitmap_slider.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace orb {
namespace {

using test::SendMouse;

constexpr int kSliderId = 1005;

// The main window's opacity slider: range 0..155 on a 77-pixel channel with a 9-pixel thumb.
class BitmapSlider : public ::testing::Test
{
protected:
    void SetUp() override { slider.SetRange(0, 155); }

    // The positions carried by a spy's signals.
    static std::vector<int> Positions(const QSignalSpy& spy)
    {
        std::vector<int> positions;
        for (const QList<QVariant>& arguments : spy) {
            EXPECT_EQ(arguments.at(0).toInt(), kSliderId);
            positions.push_back(arguments.at(1).toInt());
        }
        return positions;
    }

    CBitmapSlider slider{kSliderId};
    QSignalSpy moving{&slider, &CBitmapSlider::positionChanging};
    QSignalSpy moved{&slider, &CBitmapSlider::positionChanged};
};

TEST_F(BitmapSlider, ClickFarFromTheThumbJumpsThere)
{
    EXPECT_EQ(slider.size(), QSize(77, 8));
    SendMouse(&slider, QEvent::MouseButtonPress, {60, 4});
    EXPECT_EQ(slider.GrabOffset(), 0);
    EXPECT_EQ(slider.Pos(), 127); // (60 - 4) / 68 * 155, truncated
    EXPECT_EQ(Positions(moving), std::vector<int>{127});
    EXPECT_TRUE(moved.isEmpty());
    SendMouse(&slider, QEvent::MouseButtonRelease, {60, 4});
    EXPECT_EQ(Positions(moved), std::vector<int>{127});
    EXPECT_FALSE(slider.IsDragging());
}

TEST_F(BitmapSlider, DraggingKeepsWhereTheThumbWasGrabbed)
{
    slider.SetPos(100); // thumb centre at 4 + 68 * 100 / 155 = 47
    ASSERT_EQ(slider.ThumbCentre(), 47);
    SendMouse(&slider, QEvent::MouseButtonPress, {49, 4});
    EXPECT_EQ(slider.GrabOffset(), 2);
    moving.clear();
    SendMouse(&slider, QEvent::MouseMove, {59, 4});
    EXPECT_EQ(slider.Pos(), 120); // the centre follows to 57
    SendMouse(&slider, QEvent::MouseMove, {59, 4});
    SendMouse(&slider, QEvent::MouseMove, {500, 4});
    SendMouse(&slider, QEvent::MouseMove, {-500, 4});
    EXPECT_EQ(Positions(moving), (std::vector<int>{120, 155, 0})); // an unchanged position is not reported
    SendMouse(&slider, QEvent::MouseButtonRelease, {-500, 4});
    EXPECT_EQ(Positions(moved), std::vector<int>{0});
}

TEST_F(BitmapSlider, KeysMoveClampedAndReport)
{
    slider.SetPageSize(20);
    const auto press = [&](Qt::Key key) {
        QTest::keyClick(&slider, key);
        return slider.Pos();
    };
    EXPECT_EQ(press(Qt::Key_Right), 1);
    EXPECT_EQ(press(Qt::Key_Down), 2);
    EXPECT_EQ(press(Qt::Key_PageDown), 22);
    EXPECT_EQ(press(Qt::Key_End), 155);
    EXPECT_EQ(press(Qt::Key_PageDown), 155);
    EXPECT_EQ(press(Qt::Key_PageUp), 135);
    EXPECT_EQ(press(Qt::Key_Home), 0);
    EXPECT_EQ(press(Qt::Key_Left), 0);
    EXPECT_EQ(press(Qt::Key_Up), 0);
    EXPECT_EQ(Positions(moved), (std::vector<int>{1, 2, 22, 155, 155, 135, 0, 0, 0}));
    EXPECT_TRUE(moving.isEmpty());
}

TEST_F(BitmapSlider, DisabledSliderIgnoresTheMouse)
{
    slider.setEnabled(false);
    SendMouse(&slider, QEvent::MouseButtonPress, {60, 4});
    SendMouse(&slider, QEvent::MouseButtonRelease, {60, 4});
    EXPECT_EQ(slider.Pos(), 0);
    EXPECT_TRUE(moving.isEmpty());
    EXPECT_TRUE(moved.isEmpty());
}

TEST_F(BitmapSlider, VerticalSliderRunsDownwards)
{
    slider.SetVertical(true);
    EXPECT_EQ(slider.size(), QSize(8, 77));
    SendMouse(&slider, QEvent::MouseButtonPress, {4, 60});
    EXPECT_EQ(slider.Pos(), 127);
}

TEST_F(BitmapSlider, ThumbIsDrawnAtItsPositionWithoutItsKeyColour)
{
    slider.SetPos(155);
    const QImage image = slider.RenderImage();
    const QRgb key = qRgb(255, 0, 255);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            ASSERT_NE(image.pixel(x, y) & RGB_MASK, key & RGB_MASK) << x << "," << y;
    }
    // The thumb is lighter than the channel under it.
    EXPECT_GT(qGray(image.pixel(72, 4)), qGray(image.pixel(30, 4)));
}

} // namespace
} // namespace orb
