#include "core/instant.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

TEST(Instants, ServiceTimesReadWithTheirOffsetsAndWriteBackAsStamps)
{
    // 2026-12-08 is day 20795 since 1970.
    constexpr long long kDay = 20795LL * 86400 * 1000;
    EXPECT_EQ(InstantMillis("2026-12-08"), kDay);
    EXPECT_EQ(InstantMillis("2026-12-08T09:00:00Z"), kDay + 9 * 3600000LL);
    EXPECT_EQ(InstantMillis("2026-12-08T09:00:00+09:00"), kDay);
    EXPECT_EQ(InstantMillis("2026-12-07T15:30:00-08:30"), kDay);
    EXPECT_EQ(InstantMillis("2026-12-08T00:00:00.5Z"), kDay + 500);
    EXPECT_EQ(InstantMillis("2026-12-08T00:00:00.123456z"), kDay + 123);
    EXPECT_EQ(InstantMillis("1969-12-31T23:59:59.999Z"), -1);
    for (const char* bad : {"", "2026-12", "2026-13-01", "2026-02-29", "2026-12-08T00:00:00", "2026-12-08T9:00:00Z",
                            "2026-12-08T09:00:00+9", "2026-12-08T09:00:00Zjunk", "2026-12-08 09:00:00Z", "２026-12-08"})
        EXPECT_EQ(InstantMillis(bad), std::nullopt) << bad;

    EXPECT_EQ(UtcMillisText(kDay + 9 * 3600000LL + 1), "2026-12-08T09:00:00.001Z");
    EXPECT_EQ(UtcMillisText(-1), "1969-12-31T23:59:59.999Z");
    EXPECT_EQ(InstantMillis(UtcMillisText(kDay + 86399999)), kDay + 86399999);
}

} // namespace
} // namespace orb
