#include "app/qt_url_opener.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

namespace orb {

void QtUrlOpener::Open(const std::string& url)
{
    const QUrl target(QString::fromStdString(url));
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [target] { QDesktopServices::openUrl(target); }, Qt::QueuedConnection);
}

} // namespace orb
