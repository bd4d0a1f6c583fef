#include "app/qt_helpers/qt_url_opener.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QUrl>

namespace orb {

namespace {

constexpr const char* kBrowserVariable = "BROWSER";
constexpr const char* kUrlPlaceholder = "%s";

// As xdg-open reads BROWSER: a list of commands, the first that starts wins; "%s" stands
// for the page, else the page is the last argument.
bool OpenWithBrowserVariable(const QString& url)
{
    const QString commands = qEnvironmentVariable(kBrowserVariable);
    for (const QString& command : commands.split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
        QStringList arguments = QProcess::splitCommand(command);
        if (arguments.isEmpty())
            continue;
        bool placed = false;
        for (QString& argument : arguments) {
            if (argument.contains(QLatin1String(kUrlPlaceholder))) {
                argument.replace(QLatin1String(kUrlPlaceholder), url);
                placed = true;
            }
        }
        if (!placed)
            arguments.append(url);
        const QString program = arguments.takeFirst();
        if (QProcess::startDetached(program, arguments))
            return true;
    }
    return false;
}

} // namespace

void QtUrlOpener::Open(const std::string& url)
{
    const QString page = QString::fromStdString(url);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [page] {
            if (!OpenWithBrowserVariable(page))
                QDesktopServices::openUrl(QUrl(page));
        },
        Qt::QueuedConnection);
}

} // namespace orb
