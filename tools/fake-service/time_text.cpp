#include "tools/fake-service/time_text.h"

#include "core/instant.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace orb::fake {

namespace {

constexpr long long kMillisPerSecond = 1000;

long long FloorDivide(long long value, long long divisor)
{
    return value / divisor - (value % divisor < 0 ? 1 : 0);
}

} // namespace

std::optional<long long> ParseInstant(std::string_view text)
{
    const std::optional<long long> millis = InstantMillis(text);
    if (!millis)
        return std::nullopt;
    return FloorDivide(*millis, kMillisPerSecond);
}

long long NowMillis()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string ChangeClock::Next()
{
    return UtcMillisText(NextMillis());
}

long long ChangeClock::NextMillis()
{
    std::lock_guard lock(mutex_);
    last_ = std::max(NowMillis(), last_ + 1);
    return last_;
}

} // namespace orb::fake
