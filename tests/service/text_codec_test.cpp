#include "service/text_codec.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

TEST(TextCodec, JsonTextEscapesQuoteBackslashAndLineFeedInThatOrder)
{
    EXPECT_EQ(EncodeJsonText("\"\\\n", false), "\\\"\\\\\\n");
}

} // namespace
} // namespace orb
