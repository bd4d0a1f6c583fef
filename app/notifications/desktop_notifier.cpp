#include "app/notifications/desktop_notifier.h"

#include "app/notifications/reminder_texts.h"
#include "translations/qt_text.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QVariantMap>

namespace orb {

namespace {

constexpr const char* kInterface = "org.freedesktop.Notifications";
constexpr const char* kAppName = "OrbCalender";
constexpr const char* kAppIcon = "orbcalender";
constexpr const char* kDesktopEntry = "io.github.orbcalender.OrbCalender";
// A service that is there answers at once; one being started by the bus may take a moment.
constexpr int kCallTimeoutMs = 3000;
// A reminder stays until the user acts on it.
constexpr int kNeverExpires = 0;
constexpr unsigned char kNormalUrgency = 1;

// Only the three entities every service's markup knows; remote text must stay text.
QString EscapeBodyMarkup(QString text)
{
    return text.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
}

} // namespace

DesktopNotifier::DesktopNotifier(QObject* parent) : QObject(parent) {}

bool DesktopNotifier::Show(const Reminder& reminder)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusInterface service(kService, kPath, kInterface, bus);
    service.setTimeout(kCallTimeoutMs);
    const QDBusReply<QStringList> capabilities = service.call("GetCapabilities");
    if (!capabilities.isValid())
        return false;
    if (!listening_) {
        bus.connect(kService, kPath, kInterface, "ActionInvoked", this, SLOT(OnActionInvoked(uint, QString)));
        bus.connect(kService, kPath, kInterface, "NotificationClosed", this, SLOT(OnClosed(uint, uint)));
        listening_ = true;
    }
    QStringList actions;
    if (capabilities.value().contains("actions")) {
        actions << kDefaultAction << UiText(kReminderOpenText) << kOpenAction << UiText(kReminderOpenText)
                << kSnoozeAction << UiText(kReminderSnoozeText) << kDismissAction << UiText(kReminderDismissText);
    }
    QString body = QString::fromStdString(reminder.body);
    if (capabilities.value().contains("body-markup"))
        body = EscapeBodyMarkup(body);
    QVariantMap hints;
    hints["desktop-entry"] = kDesktopEntry;
    hints["urgency"] = QVariant::fromValue(kNormalUrgency);
    hints["category"] = "x-orbcalender.reminder";
    const QDBusReply<uint> id = service.call("Notify", kAppName, 0u, kAppIcon, QString::fromStdString(reminder.summary),
                                             body, actions, hints, kNeverExpires);
    if (!id.isValid())
        return false;
    shown_[id.value()] = reminder;
    return true;
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action)
{
    const auto found = shown_.find(id);
    if (found == shown_.end())
        return;
    const Reminder reminder = found->second;
    Close(id);
    if (action == kOpenAction || action == kDefaultAction)
        emit openRequested(reminder);
    else if (action == kSnoozeAction)
        emit snoozeRequested(reminder.key);
}

void DesktopNotifier::OnClosed(uint id, uint)
{
    shown_.erase(id);
}

void DesktopNotifier::Close(uint id)
{
    shown_.erase(id);
    QDBusInterface service(kService, kPath, kInterface, QDBusConnection::sessionBus());
    service.setTimeout(kCallTimeoutMs);
    service.call(QDBus::NoBlock, "CloseNotification", id);
}

} // namespace orb
