#include "tests/support/qt_input.h"
#include "widgets/colour_button.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace orb {
namespace {

using test::SendMouse;

constexpr int kButtonId = 1040;
constexpr ColorRef kBlue = MakeColorRef(0, 0, 255);         // cell 13
constexpr ColorRef kRed = MakeColorRef(255, 0, 0);          // cell 16
constexpr ColorRef kCustom = MakeColorRef(1, 2, 3);         // in no cell
constexpr ColorRef kGreyBlue = MakeColorRef(123, 123, 192); // cell 14

QPoint Centre(const PixelRect& rect)
{
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

ColorRef PixelAt(const QImage& image, QPoint point)
{
    return ColorRefFromQColor(QColor(image.pixel(point)));
}

// A button in a shown window; every message it sends is logged as "name #rrggbb".
class ColourButton : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.setGeometry(100, 100, 200, 100);
        button->setGeometry(20, 30, 80, 24);
        window.show();
        Log(&CColorButton::colourChanged, "colourChanged");
        Log(&CColorButton::dropDown, "dropDown");
        Log(&CColorButton::closeUp, "closeUp");
        Log(&CColorButton::colourSelected, "colourSelected");
        Log(&CColorButton::selectionCancelled, "selectionCancelled");
    }

    void Log(void (CColorButton::*signal)(ColorRef, int), std::string name)
    {
        QObject::connect(button, signal, [this, name](ColorRef colour, int controlId) {
            EXPECT_EQ(controlId, kButtonId);
            messages.push_back(name + " " + ColourText(colour));
        });
    }

    CColourPopup* Open()
    {
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_TRUE(button->IsActive());
        messages.clear();
        return button->Popup();
    }

    using Messages = std::vector<std::string>;
    QWidget window;
    CColorButton* button = new CColorButton(kButtonId, &window);
    Messages messages;
};

TEST_F(ColourButton, ClickDropsDownTheGridBelowTheButton)
{
    button->SetColour(kRed);
    QTest::mouseClick(button, Qt::LeftButton);
    CColourPopup* popup = button->Popup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(messages, Messages{"dropDown #ff0000"});
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->geometry().topLeft(), button->mapToGlobal(QPoint(0, button->height())));
    const ColourPopupLayout& layout = popup->Layout();
    ASSERT_TRUE(layout.HasDefaultRow() && layout.HasCustomRow());
    EXPECT_EQ(popup->size(), QSize(148, layout.window.bottom));

    EXPECT_EQ(popup->Highlight(), 16); // the colour it opened with
    EXPECT_EQ(PixelAt(popup->RenderImage(), Centre(layout.CellRect(16))), kRed);
    EXPECT_EQ(popup->ToolTipAt(Centre(layout.CellRect(35))), "Pale green ");
    QTest::keyClick(popup, Qt::Key_Escape);

    button->SetDefaultText("");
    button->SetCustomText("");
    EXPECT_EQ(Open()->size(), QSize(148, 94)); // the bare 8 x 5 grid
}

TEST_F(ColourButton, EscapeRestoresTheOpeningColourAndCancels)
{
    button->SetTrackSelection(true);
    button->SetColour(kRed);
    CColourPopup* popup = Open();
    QTest::keyClick(popup, Qt::Key_Right);
    EXPECT_EQ(button->Colour(), MakeColorRef(255, 173, 91)); // the button follows the highlight
    QTest::keyClick(popup, Qt::Key_Escape);
    EXPECT_EQ(button->Colour(), kRed);
    EXPECT_EQ(messages, (Messages{"colourChanged #ffad5b", "closeUp #ff0000", "selectionCancelled #ff0000"}));
    EXPECT_FALSE(button->IsActive());
    EXPECT_EQ(button->Popup(), nullptr);

    // A release outside the pop-up cancels as well.
    popup = Open();
    SendMouse(popup, QEvent::MouseButtonRelease, {-10, -10});
    EXPECT_EQ(messages, (Messages{"closeUp #ff0000", "selectionCancelled #ff0000"}));
}

TEST_F(ColourButton, ConfirmingReportsAChangeOnlyWhenTheColourDiffers)
{
    button->SetColour(kBlue);
    QTest::keyClick(Open(), Qt::Key_Return);
    EXPECT_EQ(messages, (Messages{"closeUp #0000ff", "colourSelected #0000ff"}));

    CColourPopup* popup = Open();
    QTest::keyClick(popup, Qt::Key_Right);
    EXPECT_EQ(button->Colour(), kBlue); // without tracking only the message follows the highlight
    QTest::keyClick(popup, Qt::Key_Space);
    EXPECT_EQ(button->Colour(), kGreyBlue);
    EXPECT_EQ(messages, (Messages{"colourChanged #7b7bc0", "closeUp #7b7bc0", "colourSelected #7b7bc0",
                                  "colourChanged #7b7bc0"}));
}

TEST_F(ColourButton, RealMouseClickOnACellConfirmsIt)
{
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
    CColourPopup* popup = button->Popup();
    ASSERT_NE(popup, nullptr);
    const QPoint red = Centre(popup->Layout().CellRect(16));
    QTest::mouseMove(popup->windowHandle(), red);
    QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, {}, red);
    EXPECT_EQ(button->Colour(), kRed);
    EXPECT_FALSE(button->IsActive());
    EXPECT_EQ(messages, (Messages{"dropDown #000000", "colourChanged #ff0000", "closeUp #ff0000",
                                  "colourSelected #ff0000", "colourChanged #ff0000"}));
}

TEST_F(ColourButton, CustomRowTakesTheChoosersColourOrCancels)
{
    std::optional<ColorRef> answer = kCustom;
    std::vector<ColorRef> asked;
    button->chooseCustomColour = [&](ColorRef initial, QWidget* parent) {
        EXPECT_EQ(parent, button);
        asked.push_back(initial);
        return answer;
    };
    button->SetColour(kRed);
    CColourPopup* popup = Open();
    SendMouse(popup, QEvent::MouseButtonRelease, Centre(popup->Layout().customRow));
    EXPECT_EQ(button->Colour(), kCustom);
    EXPECT_EQ(messages, (Messages{"colourChanged #ff0000", "closeUp #010203", "colourSelected #010203",
                                  "colourChanged #010203"}));

    answer.reset();
    popup = Open();
    SendMouse(popup, QEvent::MouseButtonRelease, Centre(popup->Layout().customRow));
    EXPECT_EQ(button->Colour(), kCustom);
    EXPECT_EQ(messages.back(), "selectionCancelled #010203");
    EXPECT_EQ(asked, (std::vector<ColorRef>{kRed, kCustom}));
}

TEST_F(ColourButton, SwatchShowsTheColourOrTheDefaultInABlackFrame)
{
    const ColourButtonLayout layout = LayOutColourButton(80, 24, kColourEdge);
    const QPoint centre = Centre(layout.swatch);
    button->SetColour(kRed);
    EXPECT_EQ(PixelAt(button->RenderImage(), centre), kRed);
    EXPECT_EQ(PixelAt(button->RenderImage(), {layout.swatch.left, centre.y()}), 0u);
    EXPECT_EQ(PixelAt(button->RenderImage(), {layout.arrow.left + 3, layout.arrow.top + 3}), 0u); // the tip

    // Choosing the default row gives the default colour, drawn as the default colour.
    button->SetDefaultColour(kGreyBlue);
    CColourPopup* popup = Open();
    SendMouse(popup, QEvent::MouseButtonRelease, Centre(popup->Layout().defaultRow));
    EXPECT_EQ(button->Colour(), kDefaultColorRef);
    EXPECT_EQ(PixelAt(button->RenderImage(), centre), kGreyBlue);

    button->setEnabled(false);
    EXPECT_NE(PixelAt(button->RenderImage(), centre), kGreyBlue);
}

} // namespace
} // namespace orb
