#include "app/orb_calender_app.h"

#include "app/main_frame.h"
#include "app/orb_calender_dlg.h"
#include "app/qt_seams.h"
#include "app/settings.h"
#include "app/web_dialog.h"
#include "resources/resources.h"
#include "service/clock.h"
#include "service/curl_transport.h"
#include "service/diagnostics.h"
#include "service/oauth.h"

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>
#include <filesystem>
#include <sys/socket.h>
#include <unistd.h>

namespace orb {

namespace {

int signalPipe[2] = {-1, -1};

void OnTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}

// SIGTERM and SIGINT end the program through the Exit path on the user-interface thread.
void WatchTerminationSignals(CMainFrame& frame)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &frame);
    QObject::connect(notifier, &QSocketNotifier::activated, &frame, [&frame, notifier] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(signalPipe[1], &byte, 1);
        notifier->setEnabled(false);
        frame.Exit(true);
    });
    struct sigaction action
    {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace

int RunOrbCalender(int argc, char** argv)
{
    WebLoginPage::PrepareApplication();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName("OrbCalender");
    EnsureResources();

    // The folder that is current at start-up, read once.
    const std::string settingsPath = SettingsFile::PathIn(std::filesystem::current_path().string());
    AppSettings settings;
    const ServiceConfig config = SettingsFile::LoadServiceConfig(settingsPath, ServiceConfig::Defaults());
    OAuthSession session;
    CurlTransport transport(session);
    StdoutDiagnostics diagnostics;
    QtPrompter prompter;
    SystemClock clock;
    ServiceContext context{transport, session, diagnostics, prompter, clock, config};
    WebLoginPage loginPage;
    QtUrlOpener opener;

    CMainFrame frame({settings, context, loginPage, opener, settingsPath});
    WatchTerminationSignals(frame);
    // The desktop session ending must never lose the settings or the refresh token.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &frame,
                     [&frame](QSessionManager&) { frame.Exit(true); });
    frame.Create();
    prompter.SetParent(frame.MainWindow());
    return app.exec();
}

} // namespace orb
