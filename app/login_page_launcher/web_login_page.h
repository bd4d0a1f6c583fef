#pragma once

#include "app/shell_core/login_page.h"
#include "core/ui_text.h"

#include <QPointer>
#include <string>

class QProcess;

namespace orb {

class Prompter;

// The login page for the real program: runs orbcalender-login-page and waits for it in a
// local event loop, so the program stays responsive and never loads the web engine
// itself. A helper that is missing, cannot start or crashes is told to the user, never
// waited on in silence.
class WebLoginPage : public LoginPage
{
public:
    static constexpr const char* kHelperName = "orbcalender-login-page";
    static constexpr const char* kNoLoginPageText =
        ORB_TEXT("OrbCalender", "This build of OrbCalender has no embedded login page, which the [Service] section of "
                                "info.dat asks for with an out-of-band RedirectUri. Remove the RedirectUri line from "
                                "info.dat and start OrbCalender again to sign in through your browser.");
    static constexpr const char* kNotStartedText = ORB_TEXT("OrbCalender", "The login page could not be started: ");
    static constexpr const char* kEndedText = ORB_TEXT("OrbCalender", "The login page ended unexpectedly: ");

    // `helperPath` empty: this build has no login page.
    WebLoginPage(Prompter& prompter, std::string helperPath) : prompter_(prompter), helperPath_(std::move(helperPath))
    {}
    bool Run(const ServiceConfig& config, std::string& code) override;
    void Cancel() override;

    // Where the helper is for a program in `programFolder`: the installed place, else
    // beside the program (the build tree). Empty when this build has none or it is missing.
    static std::string FindHelper(const std::string& programFolder);

private:
    Prompter& prompter_;
    std::string helperPath_;
    QPointer<QProcess> running_;
    bool cancelled_ = false;
};

} // namespace orb
