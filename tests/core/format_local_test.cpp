#include "core/clock.h"
#include "core/ui_text.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace orb {
namespace {

// A catalogue of a few names, one of them holding a '%' that strftime must print as is.
std::string FewNames(const char* source)
{
    static const std::map<std::string, std::string> names{{"Tuesday", "화요일"},  {"Tue", "화"},
                                                          {"December", "12월"},   {"Dec", "12월"},
                                                          {"Sunday", "100% Sun"}, {"Sun", "%d"}};
    const auto found = names.find(source);
    return found != names.end() ? found->second : std::string(source);
}

class FormatLocalTest : public ::testing::Test
{
protected:
    ~FormatLocalTest() override { SetTextTranslator(nullptr); }
};

TEST_F(FormatLocalTest, NamesComeFromTheCatalogueAndEveryOtherConversionFromStrftime)
{
    const LocalDateTime tuesday{2024, 12, 10, 9, 5, 7};
    const LocalDateTime sunday{2024, 12, 1, 0, 0, 0};

    // Without a catalogue the names are the design's own English, the short forms three letters.
    EXPECT_EQ(FormatLocal(tuesday, "%A %a %B %b %h"), "Tuesday Tue December Dec Dec");
    EXPECT_EQ(FormatLocal(tuesday, "%m월 %d일(%A)"), "12월 10일(Tuesday)");
    EXPECT_EQ(FormatLocal(AddDays(tuesday, 31 + 28), "%B %A"), "February Friday");

    SetTextTranslator(&FewNames);
    EXPECT_EQ(FormatLocal(tuesday, "%m월 %d일(%A)"), "12월 10일(화요일)");
    EXPECT_EQ(FormatLocal(tuesday, "%a %b %d"), "화 12월 10");
    // A name is text: its '%' is not a conversion.
    EXPECT_EQ(FormatLocal(sunday, "%A|%a|%d"), "100% Sun|%d|01");
    // An escaped percent stays a percent sign followed by a letter.
    EXPECT_EQ(FormatLocal(tuesday, "%%A %%%B"), "%A %12월");
    // Wire and file stamps have no names and come out as strftime makes them.
    EXPECT_EQ(FormatLocal(tuesday, "%Y-%m-%dT%H:%M:%S.000Z"), "2024-12-10T09:05:07.000Z");
    EXPECT_EQ(FormatLocal(tuesday, "%Y%m%d-%H%M%S"), "20241210-090507");
}

} // namespace
} // namespace orb
