#pragma once

#include "core/clock.h"

#include <QDate>

namespace orb {

// The day of a local reading, for the editors' date pickers.
inline QDate ToQDate(const LocalDateTime& when)
{
    return {when.year, when.month, when.day};
}

} // namespace orb
