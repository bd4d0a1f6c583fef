#pragma once

#include "reminders/reminder_schedule.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <map>

namespace orb {

// Reminders through the freedesktop notification service on the session bus, with
// Open / Snooze / Dismiss where the service shows actions.
class DesktopNotifier : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* kService = "org.freedesktop.Notifications";
    static constexpr const char* kPath = "/org/freedesktop/Notifications";
    static constexpr const char* kOpenAction = "open";
    static constexpr const char* kSnoozeAction = "snooze";
    static constexpr const char* kDismissAction = "dismiss";
    // What a click on the notification itself sends.
    static constexpr const char* kDefaultAction = "default";

    explicit DesktopNotifier(QObject* parent = nullptr);

    // False when no notification service answered; the caller then shows it another way.
    bool Show(const Reminder& reminder);

signals:
    void openRequested(const orb::Reminder& reminder);
    void snoozeRequested(const std::string& key);

private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    void Close(uint id);

    bool listening_ = false;
    std::map<uint, Reminder> shown_; // by the service's notification id
};

} // namespace orb
