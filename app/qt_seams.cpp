#include "app/qt_seams.h"

#include "app/commands.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QThread>
#include <QUrl>

namespace orb {

void RunOnUiThread(const std::function<void()>& work)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(app, work, Qt::BlockingQueuedConnection);
}

void QtPrompter::ShowMessage(const std::string& text)
{
    RunOnUiThread([&] { QMessageBox::information(parent_, kAppTitle, QString::fromStdString(text)); });
}

bool QtPrompter::AskYesNo(const std::string& text)
{
    bool yes = false;
    RunOnUiThread([&] {
        yes = QMessageBox::question(parent_, kAppTitle, QString::fromStdString(text),
                                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    });
    return yes;
}

void QtUrlOpener::Open(const std::string& url)
{
    const QUrl target(QString::fromStdString(url));
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [target] { QDesktopServices::openUrl(target); }, Qt::QueuedConnection);
}

} // namespace orb
