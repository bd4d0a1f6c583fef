#include "treelist/tree_list_tip_ctrl.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

namespace orb {
namespace {

class TreeListTip : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(14);
        owner.setFont(font);
        owner.setGeometry(100, 200, 300, 100);
        owner.show();
        tip = new CTreeListTipCtrl(&owner);
        tip->CopyOwnerFont();
    }

    // Runs a fade timer until it stops; the number of ticks it took.
    int RunOut(int timer)
    {
        int ticks = 0;
        while (tip->Timers().Fire(timer) && ticks < 1000)
            ++ticks;
        return ticks;
    }

    QRect ScreenAnchor(const QRect& anchor) const { return {owner.mapToGlobal(anchor.topLeft()), anchor.size()}; }

    QWidget owner;
    CTreeListTipCtrl* tip = nullptr;
    const QRect anchor{10, 40, 50, 20};
};

TEST_F(TreeListTip, FadesInWhenShownAndOutWhenHidden)
{
    tip->SetLayered(true);
    ASSERT_TRUE(tip->Show(QStringLiteral("hello"), anchor));
    EXPECT_TRUE(tip->isVisible());
    EXPECT_EQ(tip->Alpha(), 0);
    EXPECT_EQ(tip->Timers().Interval(CTreeListTipCtrl::kFadeInTimer), 10);
    // 50 a tick: 50, 100, ... 250, then 255.
    EXPECT_EQ(RunOut(CTreeListTipCtrl::kFadeInTimer), 6);
    EXPECT_EQ(tip->Alpha(), 255);

    tip->Hide();
    EXPECT_TRUE(tip->isVisible()); // still fading
    EXPECT_EQ(RunOut(CTreeListTipCtrl::kFadeOutTimer), 6);
    EXPECT_EQ(tip->Alpha(), 0);
    EXPECT_FALSE(tip->isVisible());
}

TEST_F(TreeListTip, SameAnchorDoesNotRestartButAfterHidingShowsAgain)
{
    tip->SetLayered(true);
    tip->Show(QStringLiteral("first"), anchor);
    tip->Timers().Fire(CTreeListTipCtrl::kFadeInTimer);
    tip->Timers().Fire(CTreeListTipCtrl::kFadeInTimer);
    const QRect placed = tip->geometry();

    EXPECT_TRUE(tip->Show(QStringLiteral("second"), anchor));
    EXPECT_EQ(tip->Text(), QStringLiteral("first"));
    EXPECT_EQ(tip->Alpha(), 100);
    EXPECT_EQ(tip->geometry(), placed);

    tip->Hide();
    EXPECT_TRUE(tip->Show(QStringLiteral("second"), anchor));
    EXPECT_EQ(tip->Text(), QStringLiteral("second"));
    EXPECT_TRUE(tip->Timers().IsActive(CTreeListTipCtrl::kFadeInTimer));
    EXPECT_FALSE(tip->Timers().IsActive(CTreeListTipCtrl::kFadeOutTimer));
}

TEST_F(TreeListTip, NothingToShowHidesTheTip)
{
    tip->SetLayered(false);
    EXPECT_FALSE(tip->Show(QString(), anchor));
    EXPECT_FALSE(tip->Show(QStringLiteral("\n\n"), anchor));
    EXPECT_FALSE(tip->isVisible());

    ASSERT_TRUE(tip->Show(QStringLiteral("hello"), anchor));
    EXPECT_FALSE(tip->Show(QStringLiteral("hello"), QRect(10, 40, 0, 20)));
    EXPECT_FALSE(tip->isVisible());
}

TEST_F(TreeListTip, OpensUpwardWithRoomAboveAndDownwardNearTheTop)
{
    tip->SetLayered(false);
    const QFontMetrics metrics(owner.font());
    const QRect screen = ScreenAnchor(anchor);
    ASSERT_TRUE(tip->Show(QStringLiteral("a\nwider line"), anchor));
    const int height = 2 * metrics.height() + 5;
    const PixelRect up{screen.left() - 1, screen.top() - 1 - height,
                       screen.left() - 1 + metrics.horizontalAdvance(QStringLiteral("wider line")) + 4,
                       screen.top() - 1};
    EXPECT_EQ(tip->WindowRect(), up);
    EXPECT_EQ(tip->geometry(), QRect(up.left, up.top, up.Width(), up.Height()));

    owner.move(100, 5);
    const QRect nearTop(10, 0, 50, 20);
    ASSERT_TRUE(tip->Show(QStringLiteral("x"), nearTop));
    EXPECT_EQ(tip->WindowRect().top, ScreenAnchor(nearTop).top() - 1);
    EXPECT_EQ(tip->WindowRect().Height(), metrics.height() + 5);
}

TEST_F(TreeListTip, WithoutFadingShowsAndHidesAtOnce)
{
    tip->SetLayered(false);
    tip->Show(QStringLiteral("hello"), anchor);
    EXPECT_TRUE(tip->isVisible());
    EXPECT_FALSE(tip->Timers().IsActive(CTreeListTipCtrl::kFadeInTimer));
    tip->Hide();
    EXPECT_FALSE(tip->isVisible());
}

TEST_F(TreeListTip, PaintsDarkTextOnIvoryAndStaysOutOfTheWay)
{
    tip->SetLayered(false);
    tip->Show(QStringLiteral("hello"), anchor);
    const QImage image = tip->RenderImage();
    EXPECT_EQ(image.pixel(image.width() - 3, image.height() - 3) & RGB_MASK, qRgb(255, 255, 240) & RGB_MASK);
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 2; x < image.width() - 2; ++x)
            dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
    }
    EXPECT_GT(dark, 10);
    EXPECT_TRUE(tip->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(tip->windowFlags().testFlag(Qt::WindowTransparentForInput));
}

} // namespace
} // namespace orb
