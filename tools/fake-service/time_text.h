#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace orb::fake {

// Milliseconds since the epoch of an RFC 3339 time ("2026-12-08T08:00:00.250+09:00", "Z" allowed;
// digits past the milliseconds are cut) or of an all-day date, which counts from midnight UTC.
std::optional<long long> ParseInstantMillis(std::string_view text);
// The same in whole seconds, a fraction cut, as Google reads timeMin and timeMax.
std::optional<long long> ParseInstant(std::string_view text);
// "2026-12-08T08:00:00.250Z", the form of Google's `updated` stamps.
std::string FormatUtcMillis(long long millis);
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
