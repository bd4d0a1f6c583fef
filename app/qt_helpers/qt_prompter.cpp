#include "app/qt_helpers/qt_prompter.h"

#include "app/qt_helpers/dialog_owner.h"
#include "core/commands.h"
#include "core/shorten_text.h"
#include "widgets/owned_dialog.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

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

namespace {

// Runs a plain-text message box; the user's or the service's text is never markup.
int RunMessageBox(QWidget* parent, QMessageBox::Icon icon, const std::string& text,
                  QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, QString::fromUtf8(kAppTitle),
                    QString::fromStdString(ShortenText(text, QtPrompter::kLongestText)), buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.setObjectName("messageBox");
    OpenOverOwner(&box);
    return box.exec();
}

} // namespace

QWidget* QtPrompter::Owner() const
{
    return owner_ ? owner_->Choose() : nullptr;
}

void QtPrompter::ShowMessage(const std::string& text)
{
    RunOnUiThread([&] { RunMessageBox(Owner(), QMessageBox::Information, text, QMessageBox::Ok); });
}

bool QtPrompter::AskYesNo(const std::string& text)
{
    bool yes = false;
    RunOnUiThread([&] {
        yes =
            RunMessageBox(Owner(), QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    });
    return yes;
}

} // namespace orb
