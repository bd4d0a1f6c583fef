// A notification service of the desktop lane's own, on the session bus it is started in.
// Every Notify call becomes one JSON line on standard output; a line "invoke ID ACTION" on
// standard input sends ActionInvoked for that notification, as a user's click would.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QTextStream>
#include <QVariantMap>
#include <cstdio>
#include <unistd.h>

namespace {

class NotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public slots:
    QStringList GetCapabilities() { return {"actions", "body"}; }

    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion)
    {
        vendor = "orbcalender tests";
        version = "1";
        specVersion = "1.2";
        return "orb-test-notification-server";
    }

    uint Notify(const QString& appName, uint, const QString& appIcon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int expireTimeout)
    {
        const QJsonObject call{{"id", static_cast<int>(++lastId_)},
                               {"app", appName},
                               {"icon", appIcon},
                               {"summary", summary},
                               {"body", body},
                               {"actions", QJsonArray::fromStringList(actions)},
                               {"expire", expireTimeout}};
        std::printf("%s\n", QJsonDocument(call).toJson(QJsonDocument::Compact).constData());
        std::fflush(stdout);
        return lastId_;
    }

    void CloseNotification(uint id) { emit NotificationClosed(id, kClosedByCall); }

signals:
    void ActionInvoked(uint id, const QString& actionKey);
    void NotificationClosed(uint id, uint reason);

public:
    void RunCommand(const QString& line)
    {
        const QStringList words = line.split(' ', Qt::SkipEmptyParts);
        if (words.size() == 3 && words[0] == "invoke")
            emit ActionInvoked(words[1].toUInt(), words[2]);
    }

private:
    static constexpr uint kClosedByCall = 3;
    uint lastId_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    NotificationService service;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject("/org/freedesktop/Notifications", &service,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) ||
        !bus.registerService("org.freedesktop.Notifications")) {
        std::fprintf(stderr, "cannot register on the session bus: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QTextStream lines(stdin);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        const QString line = lines.readLine();
        if (line.isNull())
            QCoreApplication::quit();
        else
            service.RunCommand(line);
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "notification_server.moc"
