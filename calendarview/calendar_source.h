#pragma once

#include "service/records.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace orb {

// Where the month view reads the calendars from. The store calls `reader` while it holds
// its lock; the view keeps nothing it was handed beyond the call.
class CalendarSource
{
public:
    virtual ~CalendarSource() = default;
    virtual void ReadCalendars(const std::function<void(const std::vector<CalendarRecord>&)>& reader) const = 0;
    // Changes whenever the calendars may have changed, at the latest when the change becomes
    // visible to ReadCalendars; the view reads it first, so a change during the read costs
    // one more read and never a stale month. 0: not counted, the view reads on every paint.
    virtual std::uint64_t Revision() const { return 0; }
};

} // namespace orb
