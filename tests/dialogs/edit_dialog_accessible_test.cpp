#include "dialogs/insert_cal_dlg.h"

#include <QAccessible>
#include <gtest/gtest.h>

namespace orb {
namespace {

TEST(EditDialogAccessible, SwatchesAreRadioButtonsNamedByColourThatChooseWhenPressed)
{
    CInsertCalDlg dialog;
    dialog.calendar.summary = "Team";
    dialog.calendar.accessRole = "owner";
    dialog.calendar.colorId = "5";
    dialog.calendar.backgroundColor = "#16a765";
    dialog.show();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&dialog);
    ASSERT_NE(iface, nullptr);

    std::vector<QAccessibleInterface*> swatches;
    for (int i = 0; i < iface->childCount(); ++i) {
        if (iface->child(i)->role() == QAccessible::RadioButton)
            swatches.push_back(iface->child(i));
    }
    ASSERT_EQ(static_cast<int>(swatches.size()), dialog.Swatches().Count());
    // The first swatch is the calendar's own colour, then the fixed table.
    EXPECT_EQ(swatches[0]->text(QAccessible::Name), "#16a765");
    EXPECT_EQ(swatches[1]->text(QAccessible::Name), "#ac725e");
    const int chosen = dialog.ColourIndex();
    ASSERT_NE(chosen, 3);
    EXPECT_TRUE(swatches[static_cast<std::size_t>(chosen)]->state().checked);
    EXPECT_FALSE(swatches[3]->state().checked);
    EXPECT_EQ(iface->indexOfChild(swatches[3]), iface->childCount() - dialog.Swatches().Count() + 3);
    const QPoint corner = dialog.mapToGlobal(QPoint(dialog.Swatches().Rect(3).left, dialog.Swatches().Rect(3).top));
    EXPECT_EQ(swatches[3]->rect().topLeft(), corner);

    swatches[3]->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(dialog.ColourIndex(), 3);
    EXPECT_TRUE(swatches[3]->state().checked);
    EXPECT_FALSE(swatches[static_cast<std::size_t>(chosen)]->state().checked);
}

} // namespace
} // namespace orb
