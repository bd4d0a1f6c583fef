#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orb {

// Milliseconds since 1970-01-01 00:00 UTC of a service time: "YYYY-MM-DD" is that day's
// midnight in UTC (as the services place all-day times in a listing window);
// "YYYY-MM-DDThh:mm:ss", with an optional fraction, is taken with its "Z" or "+hh:mm"
// offset, and as UTC without one. Nothing for anything else.
std::optional<long long> InstantMillis(std::string_view text);

// "YYYY-MM-DDThh:mm:ss.mmmZ", the form the services write their `updated` stamps in.
std::string UtcMillisText(long long millis);

} // namespace orb
