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

} // namespace
} // namespace orb
