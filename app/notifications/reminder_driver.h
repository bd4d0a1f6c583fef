#pragma once

#include "app/notifications/desktop_notifier.h"
#include "reminders/reminder_schedule.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <optional>
#include <string>

class QSystemTrayIcon;

namespace orb {

class Clock;
class Diagnostics;
class LocalStore;
struct AppSettings;

// Shows the loaded events' and tasks' reminders when they are due: through the desktop's
// notification service, else as the tray icon's message, else in a window of our own. It
// looks at the store every few seconds, so loads and edits reach it without being told,
// and a wake from sleep is noticed at once, whatever the timers slept through.
class ReminderDriver : public QObject
{
    Q_OBJECT

public:
    static constexpr int kPollMs = 5000;
    static constexpr const char* kByServiceLine = "Reminder shown by the notification service: ";
    static constexpr const char* kInTrayLine = "Reminder shown in the tray: ";
    static constexpr const char* kInWindowLine = "Reminder shown in a window: ";

    // `firedPath`: the file of reminders already shown, beside info.dat.
    ReminderDriver(const LocalStore& store, const AppSettings& settings, const Clock& clock, Diagnostics& diagnostics,
                   std::string firedPath, QObject* parent = nullptr);

    // The tray whose message is the second way to show a reminder; null without one.
    void SetTray(QSystemTrayIcon* tray);
    // Reads the reminders already shown and runs the first pass.
    void Start();
    // Shows what is due, then sleeps until the next reminder or the next look at the store.
    void Pass();

signals:
    // "Open" on a reminder; sent from the event loop, never from inside a bus call.
    void openRequested(const orb::Reminder& reminder);

private:
    void Show(const Reminder& reminder);
    void Snooze(const std::string& key);
    void RequestOpen(const Reminder& reminder);

    const LocalStore& store_;
    const AppSettings& settings_;
    const Clock& clock_;
    Diagnostics& diagnostics_;
    std::string firedPath_;
    ReminderSchedule schedule_;
    DesktopNotifier notifier_;
    QPointer<QSystemTrayIcon> tray_;
    std::optional<Reminder> trayReminder_; // what a click on the tray's message opens
    QTimer timer_;
    std::uint64_t seenRevision_ = 0;
    std::optional<ReminderSettings> seenSettings_;
};

} // namespace orb
