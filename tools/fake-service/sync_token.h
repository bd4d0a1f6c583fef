#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orb::fake {

// What a sync token stands for: every change to one collection up to `change`, counted in one
// epoch of the service's change history (a new epoch makes every older token unknown).
struct SyncPoint
{
    std::string epoch;
    std::string scope; // "calendarList" or "events/<calendar id>"
    long long change = 0;
};

// Base64 with padding, as Google's tokens look ("CPDAlvWDx70CEPDAlvWDx70CGAU="), so that a
// client that forgets to percent-encode them meets the same trouble it would meet there.
std::string EncodeSyncToken(const SyncPoint& point);
// Empty for anything EncodeSyncToken did not make.
std::optional<SyncPoint> DecodeSyncToken(std::string_view token);

} // namespace orb::fake
