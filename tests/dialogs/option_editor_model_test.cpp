#include "dialogs/option_editor_model.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

TEST(OptionEditorModelTest, ViewModesMapToTheirRadioAndBackAndAnUnknownModeOpensAsAll)
{
    for (const auto& [mode, choice] : {std::pair{3, 0}, {1, 1}, {2, 2}}) {
        EXPECT_EQ(ViewChoiceFromMode(mode), choice) << mode;
        EXPECT_EQ(ViewModeFromChoice(choice), mode) << choice;
    }
    // 0 is no mode at all; 4 is a bit that no view uses.
    for (int unknown : {0, 4, -1})
        EXPECT_EQ(ViewChoiceFromMode(unknown), kViewChoiceAll) << unknown;
    for (int outside : {-1, 3})
        EXPECT_EQ(ViewModeFromChoice(outside), std::nullopt) << outside;
}

TEST(OptionEditorModelTest, DayCountsReadTheLeadingNumberAndStayWithinTenYears)
{
    EXPECT_EQ(ReadDayCount("10 days"), 10);
    EXPECT_EQ(ReadDayCount("abc"), 0);
    EXPECT_EQ(ReadDayCount(""), 0);
    EXPECT_EQ(ReadDayCount("-5"), 0);
    EXPECT_EQ(ReadDayCount("3651"), kMaxDayCount);
    // Far beyond INT_MAX: reading must saturate, not wrap into a small or negative number.
    EXPECT_EQ(ReadDayCount("99999999999999"), kMaxDayCount);
    EXPECT_EQ(ReadDayCount("4294967306"), kMaxDayCount) << "2^32 + 10 would wrap to 10";
}

TEST(OptionEditorModelTest, OpeningShowsTheStoredValuesAndSavingReadsThemBack)
{
    const OptionValues stored{"me", "secret", "token", 7, 31, 2, 5, 0};
    const OptionFields fields = OpenOptions(stored);
    EXPECT_EQ(fields.from, "7");
    EXPECT_EQ(fields.to, "31");
    EXPECT_TRUE(fields.allExpend) << "any non-zero flag shows checked";
    EXPECT_FALSE(fields.dueHide);
    EXPECT_EQ(fields.viewChoice, kViewChoiceNeedsAction);

    OptionValues expected = stored;
    expected.bAllExpend = 1;
    EXPECT_EQ(SaveOptions(fields), expected);

    OptionFields outOfRange = fields;
    outOfRange.viewChoice = 3;
    EXPECT_EQ(SaveOptions(outOfRange), std::nullopt);
}

} // namespace
} // namespace orb
