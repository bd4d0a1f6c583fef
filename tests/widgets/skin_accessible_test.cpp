#include "tests/support/accessible_events.h"
#include "widgets/bitmap_slider.h"
#include "widgets/colour_button.h"
#include "widgets/skin_verticle_scrollbar.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace orb {
namespace {

using test::AccessibleEvents;

TEST(SkinAccessible, TheSliderReadsAndTakesItsPosition)
{
    CBitmapSlider slider(1001);
    slider.SetRange(0, 255);
    slider.SetPos(200);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&slider);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Slider);
    QAccessibleValueInterface* value = iface->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 200);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 255);

    // A value from an assistive tool is clamped and reported as a key's would be.
    QSignalSpy moved(&slider, &CBitmapSlider::positionChanged);
    value->setCurrentValue(300);
    EXPECT_EQ(slider.Pos(), 255);
    ASSERT_EQ(moved.size(), 1);
    EXPECT_EQ(moved[0][1].toInt(), 255);

    AccessibleEvents events;
    QTest::keyClick(&slider, Qt::Key_Home);
    ASSERT_EQ(events.All().size(), 1u);
    EXPECT_EQ(events.All()[0].type, QAccessible::ValueChanged);
    EXPECT_EQ(value->currentValue().toInt(), 0);
}

TEST(SkinAccessible, TheScrollBarsValueIsItsTargetsPosition)
{
    struct Target : SkinScrollTarget
    {
        int ScrollLimit(ScrollOrientation) const override { return 40; }
        int ScrollPosition(ScrollOrientation) const override { return position; }
        void SetScrollPosition(ScrollOrientation, int value) override { position = value; }
        void Scroll(ScrollOrientation, ScrollAction) override {}
        int ContentExtent(ScrollOrientation) const override { return 1000; }
        int position = 7;
    } target;
    CSkinVerticleScrollbar bar;
    bar.resize(12, 200);
    bar.SetTarget(&target);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&bar);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::ScrollBar);
    QAccessibleValueInterface* value = iface->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 7);
    EXPECT_EQ(value->maximumValue().toInt(), 40);
    value->setCurrentValue(99);
    EXPECT_EQ(target.position, 40);
}

TEST(SkinAccessible, TheColourButtonAndItsPopUpNameTheirColours)
{
    QWidget host;
    auto* button = new CColorButton(1021, &host);
    button->resize(60, 24);
    host.show();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::ButtonDropDown);
    EXPECT_EQ(iface->text(QAccessible::Name), "Automatic");
    button->SetColour(MakeColorRef(255, 0, 0));
    EXPECT_EQ(iface->text(QAccessible::Name), "Red");
    button->SetColour(MakeColorRef(1, 2, 3));
    EXPECT_EQ(iface->text(QAccessible::Value), "#010203");
    // A name the dialog gives says what the colour is for; the value still says which.
    button->setAccessibleName(QStringLiteral("Calendar colour"));
    button->SetColour(MakeColorRef(152, 251, 152));
    EXPECT_EQ(iface->text(QAccessible::Name), "Calendar colour");
    EXPECT_EQ(iface->text(QAccessible::Value), "Pale green");

    // Pressing opens the pop-up: "Automatic", forty colours, "More Colors...".
    ASSERT_TRUE(iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    CColourPopup* popup = button->Popup();
    ASSERT_NE(popup, nullptr);
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(popup);
    ASSERT_EQ(grid->childCount(), 42);
    EXPECT_EQ(grid->child(0)->text(QAccessible::Name), "Automatic");
    EXPECT_EQ(grid->child(0)->role(), QAccessible::Button);
    EXPECT_EQ(grid->child(1)->text(QAccessible::Name), "Black");
    EXPECT_EQ(grid->child(1)->role(), QAccessible::RadioButton);
    EXPECT_EQ(grid->child(41)->text(QAccessible::Name), "More Colors...");
    QAccessibleInterface* chosen = grid->child(36); // "Pale green", the colour it opened with
    EXPECT_TRUE(chosen->state().checked);
    EXPECT_TRUE(chosen->state().focused);
    EXPECT_EQ(grid->focusChild(), chosen);
    EXPECT_EQ(grid->indexOfChild(chosen), 36);

    // The highlight moving by keys is announced on the colour it reaches.
    AccessibleEvents events;
    QTest::keyClick(popup, Qt::Key_Right);
    EXPECT_EQ(events.NamesOf(QAccessible::Focus), QStringList{"Pale turquoise"});
    QTest::keyClick(popup, Qt::Key_Escape);
}

} // namespace
} // namespace orb
