#include "service/http.h"
#include "service/text_codec.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

TEST(TextCodec, JsonTextEscapesQuoteBackslashAndLineFeedOnce)
{
    // Backslash first, so the backslashes added for quotes and line feeds are not doubled.
    EXPECT_EQ(EncodeJsonText("\"\\\n", false), "\\\"\\\\\\n");
    EXPECT_EQ(EncodeJsonText("a\\\"b", false), "a\\\\\\\"b");
    // Carriage returns and tabs pass unchanged.
    EXPECT_EQ(EncodeJsonText("a\r\tb", false), "a\r\tb");
}

TEST(TextCodec, JsonTextPercentFlagEncodesOnlyHighBytes)
{
    EXPECT_EQ(EncodeJsonText("\xED\x95\x9C a&#+", true), "%ED%95%9C a&#+");
    EXPECT_EQ(EncodeJsonText("\xED\x95\x9C", false), "\xED\x95\x9C");
}

TEST(TextCodec, JsonTextReplacesBrokenUtf8)
{
    EXPECT_EQ(EncodeJsonText("a\xFF", false), "a\xEF\xBF\xBD");
}

TEST(TextCodec, UrlComponentKeepsTheUnreservedSetAndEncodesTheRest)
{
    EXPECT_EQ(EncodeUrlComponent("ko.south_korea#holiday@group.v.calendar.google.com"),
              "ko.south_korea%23holiday%40group.v.calendar.google.com");
    EXPECT_EQ(EncodeUrlComponent("!'()*-./_~"), "!'()*-./_~");
    EXPECT_EQ(EncodeUrlComponent("a+b c\xED"), "a%2bb%20c%ed");
    EXPECT_EQ(EncodeUrlComponent(""), "");
}

TEST(TextCodec, APathSegmentCannotClimbOrSplitThePath)
{
    EXPECT_EQ(EncodePathSegment(".."), "%2E%2E");
    EXPECT_EQ(EncodePathSegment("."), "%2E");
    EXPECT_EQ(EncodePathSegment("../x/y"), "..%2Fx%2Fy") << "one segment, so its dots are plain text";
    EXPECT_EQ(EncodePathSegment("..."), "...");
    EXPECT_EQ(EncodePathSegment("ko.south_korea#holiday@group.v.calendar.google.com"),
              "ko.south_korea%23holiday%40group.v.calendar.google.com");
}

TEST(TextCodec, QueryValueEncodesReservedAndHighBytes)
{
    EXPECT_EQ(EncodeQueryValue("a b&c#d+e%f\"g"), "a%20b%26c%23d%2Be%25f%22g");
    EXPECT_EQ(EncodeQueryValue("-._~Az09"), "-._~Az09");
    EXPECT_EQ(EncodeQueryValue("\xED\x95\x9C"), "%ED%95%9C");
}

TEST(TextCodec, DecodeUtf8KeepsValidTextAndReplacesBrokenSequences)
{
    EXPECT_EQ(DecodeUtf8Text(""), "");
    EXPECT_EQ(DecodeUtf8Text("\xED\x95\x9C\xEA\xB8\x80 ok"), "\xED\x95\x9C\xEA\xB8\x80 ok");
    // A truncated sequence, a stray continuation byte, an overlong form and a surrogate.
    EXPECT_EQ(DecodeUtf8Text("\xED\x95"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(DecodeUtf8Text("a\x80z"), "a\xEF\xBF\xBDz");
    EXPECT_EQ(DecodeUtf8Text("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(DecodeUtf8Text("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_FALSE(IsValidUtf8("\xF5\x80\x80\x80"));
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
}

TEST(WinInetErrors, TableTextsAndUnknownCodes)
{
    EXPECT_EQ(WinInetErrorText(12029), "(Cannot connect)");
    EXPECT_EQ(WinInetErrorText(12002), "(Timeout)");
    EXPECT_EQ(WinInetErrorText(12006), "(Unrecognized Scheme : Please check the URL name in 'Nightjar.ini'.)");
    EXPECT_EQ(WinInetErrorText(12159), "(TCP/IP not installed)");
    EXPECT_EQ(WinInetErrorText(12003), "UnKnown");
    EXPECT_EQ(WinInetErrorText(0), "UnKnown");
}

} // namespace
} // namespace orb
