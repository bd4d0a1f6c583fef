#pragma once

#include "reminders/reminder_schedule.h"

#include <QWidget>

namespace orb {

// The reminder in a small window of our own, above everything, for a desktop with neither a
// notification service nor a tray. It deletes itself once the user has chosen.
class CReminderWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char* kObjectName = "reminderWindow";
    static constexpr const char* kOpenName = "reminderOpen";
    static constexpr const char* kSnoozeName = "reminderSnooze";
    static constexpr const char* kDismissName = "reminderDismiss";

    explicit CReminderWindow(const Reminder& reminder);

signals:
    void openRequested(const orb::Reminder& reminder);
    void snoozeRequested(const std::string& key);
};

} // namespace orb
