#include "app/login_page_launcher/web_login_page.h"

#include "app/shell_core/login_page_protocol.h"
#include "core/prompter.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

namespace orb {

namespace {

// How long the helper has to go after its input closes before it is killed.
constexpr int kCancelGraceMs = 1000;

std::string ExitText(const QProcess& process)
{
    if (process.exitStatus() == QProcess::CrashExit)
        return process.errorString().toStdString();
    return "exit code " + std::to_string(process.exitCode());
}

} // namespace

std::string WebLoginPage::FindHelper(const std::string& programFolder)
{
#ifdef ORB_LOGIN_PAGE_FROM_BINDIR
    const QString folder = QString::fromStdString(programFolder);
    for (const QString& candidate :
         {folder + "/" ORB_LOGIN_PAGE_FROM_BINDIR "/" + kHelperName, folder + "/" + kHelperName}) {
        if (QFileInfo(candidate).isExecutable())
            return QFileInfo(candidate).absoluteFilePath().toStdString();
    }
#else
    (void)programFolder;
#endif
    return {};
}

bool WebLoginPage::Run(const ServiceConfig& config, std::string& code)
{
    if (helperPath_.empty()) {
        prompter_.ShowMessage(Translated(kNoLoginPageText));
        return false;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QEventLoop loop;
    bool failedToStart = false;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            failedToStart = true;
            loop.quit();
        }
    });
    cancelled_ = false;
    running_ = &process;
    process.start(QString::fromStdString(helperPath_), {});
    const std::string request = LoginPageRequest(config);
    process.write(request.data(), static_cast<qint64>(request.size()));
    if (!failedToStart)
        loop.exec();
    running_ = nullptr;

    if (failedToStart) {
        prompter_.ShowMessage(Translated(kNotStartedText) + helperPath_ + " (" + process.errorString().toStdString() +
                              ")");
        return false;
    }
    const LoginPageOutcome outcome = ReadLoginPageOutcome(
        process.exitStatus() == QProcess::CrashExit, process.exitCode(), process.readAllStandardOutput().toStdString());
    if (cancelled_)
        return false;
    switch (outcome.end) {
    case LoginPageEnd::Approved:
        code = outcome.code;
        return true;
    case LoginPageEnd::Closed:
        return false;
    case LoginPageEnd::Failed:
        break;
    }
    prompter_.ShowMessage(Translated(kEndedText) + helperPath_ + " (" + ExitText(process) + ")");
    return false;
}

void WebLoginPage::Cancel()
{
    if (!running_ || running_->state() == QProcess::NotRunning)
        return;
    cancelled_ = true;
    // Closing its input ends the page as if the user closed it; a helper that does not
    // listen is killed.
    running_->closeWriteChannel();
    QTimer::singleShot(kCancelGraceMs, running_.data(), [process = running_.data()] { process->kill(); });
}

} // namespace orb
