#pragma once

#include "core/ui_text.h"

namespace orb {

// The choices on a reminder, the same in the notification service's buttons and in our window.
constexpr const char* kReminderOpenText = ORB_TEXT("OrbCalender", "Open");
constexpr const char* kReminderSnoozeText = ORB_TEXT("OrbCalender", "Snooze 5 min");
constexpr const char* kReminderDismissText = ORB_TEXT("OrbCalender", "Dismiss");

} // namespace orb
