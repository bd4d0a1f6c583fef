#pragma once

#include <algorithm>

namespace orb {

// Minutes between the passes the program starts by itself: 0 starts none, and a day is the
// longest wait worth offering.
constexpr int kMaxSyncMinutes = 1440;

// A count from the file or a box, kept within 0..kMaxSyncMinutes.
constexpr int ClampSyncMinutes(long long minutes)
{
    return static_cast<int>(std::clamp<long long>(minutes, 0, kMaxSyncMinutes));
}

} // namespace orb
