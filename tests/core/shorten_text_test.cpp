#include "core/shorten_text.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

TEST(ShortenText, ShortenTextCutsWholeCharactersAndMarksTheCut)
{
    EXPECT_EQ(ShortenText("abc", 3), "abc");
    EXPECT_EQ(ShortenText("abcd", 3), "abc\u2026");
    // Three Korean characters, three bytes each: never half a character.
    EXPECT_EQ(ShortenText("\xED\x95\x9C\xEA\xB8\x80\xEB\xA1\x9C", 2), "\xED\x95\x9C\xEA\xB8\x80\u2026");
    EXPECT_EQ(ShortenText("", 0), "");
    EXPECT_EQ(ShortenText("x", 0), "\u2026");
}

TEST(WithTitle, PutsTheTitleInOnceAndTakesItLiterally)
{
    EXPECT_EQ(WithTitle("calendar '%s'", "Work"), "calendar 'Work'");
    // A title is remote text: its own "%s" or quotes are not the pattern's.
    EXPECT_EQ(WithTitle("task list '%s'", "%s 'x'"), "task list '%s 'x''");
    EXPECT_EQ(WithTitle("'%s' and %s", "a"), "'a' and %s");
    EXPECT_EQ(WithTitle("calendar '%s'", ""), "calendar ''");
    EXPECT_EQ(WithTitle("no title here", "Work"), "no title here");
}

} // namespace
} // namespace orb
