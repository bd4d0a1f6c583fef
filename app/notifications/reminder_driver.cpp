#include "app/notifications/reminder_driver.h"

#include "app/notifications/reminder_window.h"
#include "app/shell_core/settings.h"
#include "app/shell_core/store.h"
#include "core/diagnostics.h"
#include "dialogs/insert_event_dlg.h"
#include "dialogs/option_editor_model.h"
#include "resources/resources.h"

#include <QDateTime>
#include <QSystemTrayIcon>
#include <algorithm>

namespace orb {

namespace {

constexpr const char* kNotReadLine = "The reminders already shown could not be read: ";
constexpr const char* kNotSavedLine = "The reminders shown could not be recorded: ";
constexpr int kTrayMessageMs = 30000;

int LocalUtcOffset(const LocalDateTime& wall)
{
    const QDateTime at(QDate(wall.year, wall.month, wall.day), QTime(wall.hour, wall.minute, wall.second),
                       Qt::LocalTime);
    return at.isValid() ? at.offsetFromUtc() : QDateTime::currentDateTime().offsetFromUtc();
}

ReminderSettings ReminderSettingsFrom(const AppSettings& settings)
{
    // A hand-edited file may hold any number.
    const int minutes = std::clamp(settings.nTaskReminderTime, 0, kLastMinuteOfDay);
    return {settings.bReminders != 0, minutes / 60, minutes % 60};
}

} // namespace

ReminderDriver::ReminderDriver(const LocalStore& store, const AppSettings& settings, const Clock& clock,
                               Diagnostics& diagnostics, std::string firedPath, QObject* parent)
    : QObject(parent), store_(store), settings_(settings), clock_(clock), diagnostics_(diagnostics),
      firedPath_(std::move(firedPath)), schedule_(ZoneRules{QtUtcOffset, LocalUtcOffset})
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &ReminderDriver::Pass);
    connect(&notifier_, &DesktopNotifier::openRequested, this, &ReminderDriver::RequestOpen);
    connect(&notifier_, &DesktopNotifier::snoozeRequested, this, &ReminderDriver::Snooze);
}

void ReminderDriver::SetTray(QSystemTrayIcon* tray)
{
    tray_ = tray;
    if (tray)
        connect(tray, &QSystemTrayIcon::messageClicked, this, [this] {
            if (trayReminder_)
                RequestOpen(*trayReminder_);
        });
}

void ReminderDriver::Start()
{
    std::string error;
    if (!FiredKeys::Load(firedPath_, schedule_.Fired(), error))
        diagnostics_.WriteLine(kNotReadLine + error);
    Pass();
}

void ReminderDriver::Pass()
{
    const ReminderSettings settings = ReminderSettingsFrom(settings_);
    // Counted before the read: a write in between only makes the next pass read again.
    const std::uint64_t revision = store_.Revision();
    if (revision != seenRevision_ || settings != seenSettings_) {
        store_.Read(
            [&](const LocalStore::Data& data) { schedule_.SetItems(data.calendars, data.taskLists, settings); });
        seenRevision_ = revision;
        seenSettings_ = settings;
    }
    const LocalDateTime now = clock_.Now();
    const std::vector<Reminder> due = schedule_.Due(now);
    for (const Reminder& reminder : due)
        Show(reminder);
    std::string error;
    if (!due.empty() && !schedule_.Fired().Save(firedPath_, error))
        diagnostics_.WriteLine(kNotSavedLine + error);

    long long waitMs = kPollMs;
    if (const std::optional<Instant> next = schedule_.NextWakeUp(now))
        waitMs = std::min<long long>(waitMs, *next * 1000);
    timer_.start(static_cast<int>(waitMs));
}

void ReminderDriver::Show(const Reminder& reminder)
{
    if (notifier_.Show(reminder)) {
        diagnostics_.WriteLine(kByServiceLine + reminder.summary);
        return;
    }
    if (tray_ && tray_->isVisible() && QSystemTrayIcon::isSystemTrayAvailable()) {
        trayReminder_ = reminder;
        tray_->showMessage(QString::fromStdString(reminder.summary), QString::fromStdString(reminder.body),
                           ApplicationIcon(), kTrayMessageMs);
        diagnostics_.WriteLine(kInTrayLine + reminder.summary);
        return;
    }
    auto* window = new CReminderWindow(reminder);
    connect(window, &CReminderWindow::openRequested, this, &ReminderDriver::RequestOpen);
    connect(window, &CReminderWindow::snoozeRequested, this, &ReminderDriver::Snooze);
    connect(this, &QObject::destroyed, window, &QWidget::close);
    window->show();
    diagnostics_.WriteLine(kInWindowLine + reminder.summary);
}

void ReminderDriver::Snooze(const std::string& key)
{
    schedule_.Snooze(key, clock_.Now());
    Pass();
}

void ReminderDriver::RequestOpen(const Reminder& reminder)
{
    QMetaObject::invokeMethod(
        this, [this, reminder] { emit openRequested(reminder); }, Qt::QueuedConnection);
}

} // namespace orb
