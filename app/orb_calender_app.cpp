#include "app/orb_calender_app.h"

#include "app/exit_signals.h"
#include "app/login_page_launcher/web_login_page.h"
#include "app/qt_helpers/qt_prompter.h"
#include "app/qt_helpers/qt_url_opener.h"
#include "app/shell_core/desktop_files.h"
#include "app/shell_core/platform_choice.h"
#include "app/shell_core/settings.h"
#include "app/windows/main_frame.h"
#include "app/windows/orb_calender_dlg.h"
#include "core/clock.h"
#include "core/diagnostics.h"
#include "resources/resources.h"
#include "service/curl_transport.h"
#include "service/oauth.h"
#include "translations/translations.h"

#include <QApplication>
#include <QSessionManager>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace orb {

namespace {

constexpr const char* kNoSettingsFolder = "The settings stay in the current folder: ";
// The installed menu entry: desktops match the windows to it.
constexpr const char* kDesktopEntryId = "io.github.orbcalender.OrbCalender";
constexpr const char* kWaylandLimitsText =
    ORB_TEXT("OrbCalender", "This desktop runs Wayland without X11 support (XWayland), and on Wayland a program cannot "
                            "place its own windows: OrbCalender's windows open where the desktop puts them, and the "
                            "Bottom, Top and Resizing window modes cannot keep them below or above the others. "
                            "Install XWayland (the xwayland package) and start OrbCalender again to have them.");

} // namespace

int RunOrbCalender(int argc, char** argv, const PlatformChoice& platform)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName("OrbCalender");
    InstallTranslations();
    EnsureResources();
    QApplication::setDesktopFileName(QString::fromLatin1(kDesktopEntryId));
    QApplication::setWindowIcon(ApplicationIcon());

    const DesktopFolders folders = DesktopFolders::FromEnvironment();
    if (QApplication::arguments().contains(QString::fromUtf8(kConfigFolderOption))) {
        std::string why;
        if (!EnterFolder(folders.SettingsFolder(), why))
            std::fprintf(stderr, "%s%s\n", kNoSettingsFolder, why.c_str());
    }
    // The folder that is current at start-up, read once.
    const std::string settingsPath = SettingsFile::PathIn(std::filesystem::current_path().string());
    AppSettings settings;
    std::vector<std::string> configProblems;
    const ServiceConfig config =
        SettingsFile::LoadServiceConfig(settingsPath, ServiceConfig::Defaults(), &configProblems);
    OAuthSession session;
    CurlTransportOptions transportOptions;
    transportOptions.extraCertificates = config.caCertificates;
    CurlTransport transport(session, transportOptions);
    StdoutDiagnostics diagnostics;
    QtPrompter prompter;
    SystemClock clock;
    ServiceContext context{transport, session, diagnostics, prompter, clock, config};
    InstallTokenRenewal(context);
    transport.retry.retries = kProgramRetries;
    transport.retry.report = [&diagnostics](const std::string& line) { diagnostics.WriteLine(line); };
    WebLoginPage loginPage(prompter, WebLoginPage::FindHelper(QApplication::applicationDirPath().toStdString()));
    QtUrlOpener opener;
    if (!platform.diagnostic.empty())
        diagnostics.WriteLine(platform.diagnostic);

    for (const std::string& problem : configProblems)
        diagnostics.WriteLine(problem);
    CMainFrame frame({settings, context, loginPage, opener, settingsPath, folders.AutostartEntry(),
                      QApplication::applicationFilePath().toStdString(), configProblems,
                      platform.waylandLimits ? Translated(kWaylandLimitsText) : std::string()});
    prompter.SetOwner(&frame.Owner());
    frame.baseLoopLevel = 1; // everything below runs inside app.exec()
    frame.hasTray = QSystemTrayIcon::isSystemTrayAvailable();
    ExitSignals exitSignals({[&frame] {
                                 QMetaObject::invokeMethod(
                                     &frame, [&frame] { frame.Exit(true); }, Qt::QueuedConnection);
                             },
                             [&frame] { frame.SaveAtExit(); }},
                            kExitDeadline);
    // The desktop session ending must never lose the settings or the refresh token.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &frame,
                     [&exitSignals](QSessionManager&) { exitSignals.Request(); });
    // Start-up runs inside the event loop, so that the login page's loop nests in it and an
    // exit request during sign-in unwinds like any other.
    QTimer::singleShot(0, &frame, [&frame] { frame.Create(); });
    return app.exec();
}

} // namespace orb
