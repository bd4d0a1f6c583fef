#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace orb::fake {

// An RFC 3339 time or an all-day date (orb::InstantMillis) in whole seconds, a fraction cut,
// as Google reads timeMin and timeMax.
std::optional<long long> ParseInstant(std::string_view text);
long long NowMillis();

// Hands out `updated` stamps: the time now, but always later than the stamp before, so that no
// two changes share a stamp and an updatedMin taken from one stamp finds every later change.
class ChangeClock
{
public:
    std::string Next();
    // The same instant in milliseconds.
    long long NextMillis();

private:
    std::mutex mutex_;
    long long last_ = 0;
};

} // namespace orb::fake
