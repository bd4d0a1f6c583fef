#include "core/diagnostics.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace orb {
namespace {

TEST(EscapeControlCharacters, TerminalControlsAreSpelledOutAndPrintableTextStays)
{
    // A colour change, a bell and a title change in a shared calendar's name.
    EXPECT_EQ(EscapeControlCharacters("\x1b[31mRed\a\x1b]0;owned\x07"), "\\x1b[31mRed\\x07\\x1b]0;owned\\x07");
    EXPECT_EQ(EscapeControlCharacters("a\r\nb\tc"), "a\\x0d\\x0ab\\x09c");
    EXPECT_EQ(EscapeControlCharacters(std::string("nul\0del\x7f", 8)), "nul\\x00del\\x7f");
    // NEL and CSI as UTF-8 code points, and CSI as the raw byte an 8-bit terminal reads.
    EXPECT_EQ(EscapeControlCharacters("\xC2\x85|\xC2\x9B"
                                      "1m|\x9b"
                                      "1m"),
              "\\u0085|\\u009b1m|\\x9b1m");
    // The first printable code points after C1 are kept.
    EXPECT_EQ(EscapeControlCharacters("\xC2\xA0\xC2\xA9"), "\xC2\xA0\xC2\xA9");
    EXPECT_EQ(EscapeControlCharacters("회의 \xED\x95\x9C\xEA\xB8\x80 ok"), "회의 \xED\x95\x9C\xEA\xB8\x80 ok");
    EXPECT_EQ(EscapeControlCharacters("emoji \xF0\x9F\x93\x85"), "emoji \xF0\x9F\x93\x85");
    EXPECT_EQ(EscapeControlCharacters(""), "");
}

TEST(EscapeControlCharacters, BackslashesAndBrokenUtf8CannotPassForAnEscape)
{
    // The literal text "\x1b" reads differently from an escaped ESC.
    EXPECT_EQ(EscapeControlCharacters("C:\\x1b"), "C:\\\\x1b");
    // A cut-off Korean character, an overlong slash, a surrogate and a lone lead byte.
    EXPECT_EQ(EscapeControlCharacters("\xED\x95"), "\\xed\\x95");
    EXPECT_EQ(EscapeControlCharacters("\xC0\xAF"), "\\xc0\\xaf");
    EXPECT_EQ(EscapeControlCharacters("\xED\xA0\x80"), "\\xed\\xa0\\x80");
    EXPECT_EQ(EscapeControlCharacters("\xF4\x90\x80\x80"), "\\xf4\\x90\\x80\\x80");
    EXPECT_EQ(EscapeControlCharacters("\xE2x"), "\\xe2x");
}

TEST(StdoutDiagnostics, WritesEachLineEscapedAndCutWithoutSplittingAnEscape)
{
    StdoutDiagnostics diagnostics;
    ::testing::internal::CaptureStdout();
    diagnostics.WriteLine("calendar '\x1b[2J\xED\x95\x9C' failed");
    diagnostics.WriteLine(std::string(StdoutDiagnostics::kLongestLine - 1, 'a') + "\x1b\x1b");
    const std::string written = ::testing::internal::GetCapturedStdout();

    const std::string first = "calendar '\\x1b[2J\xED\x95\x9C' failed\n";
    ASSERT_GE(written.size(), first.size());
    EXPECT_EQ(written.substr(0, first.size()), first);
    // 16383 letters and one whole ESC fit; the second ESC is cut.
    EXPECT_EQ(written.substr(first.size() + 16383), "\\x1b\u2026\n");
}

} // namespace
} // namespace orb
