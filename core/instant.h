#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orb {

// Milliseconds since 1970-01-01 00:00 UTC of an RFC 3339 time ("2026-12-08T08:00:00.250+09:00",
// "Z" allowed; digits past the milliseconds are cut) or of an all-day date, which counts
// from its midnight in UTC. Nothing for anything else, a day the month does not have or a
// time without its offset included.
std::optional<long long> InstantMillis(std::string_view text);

// "YYYY-MM-DDThh:mm:ss.mmmZ", the form the services write their `updated` stamps in.
std::string UtcMillisText(long long millis);

} // namespace orb
