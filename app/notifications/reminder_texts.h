#pragma once

namespace orb {

// The choices on a reminder, the same in the notification service's buttons and in our window.
constexpr const char* kReminderOpenText = "Open";
constexpr const char* kReminderSnoozeText = "Snooze 5 min";
constexpr const char* kReminderDismissText = "Dismiss";

} // namespace orb
