#pragma once

#include "core/ui_text.h"
#include "core/url_opener.h"
#include "service/oauth.h"
#include "service/service_context.h"

#include <chrono>
#include <string>

class QWidget;

namespace orb {

// Sign-in in the user's own browser, as Google asks of desktop programs: the consent page
// redirects to a listener on 127.0.0.1, and PKCE ties the code to this program. While the
// browser is out, a small window of ours offers to open the page again, copy its address
// or give up.
class BrowserSignIn
{
public:
    static constexpr const char* kObjectName = "browserSignIn";
    static constexpr const char* kTitle = ORB_TEXT("OrbCalender", "Continue in your browser");
    static constexpr const char* kOpenedText =
        ORB_TEXT("OrbCalender", "Your browser was opened so you can sign in to OrbCalender. Finish there to continue.");
    static constexpr const char* kOpenAgainText = ORB_TEXT("OrbCalender", "Open again");
    static constexpr const char* kCopyLinkText = ORB_TEXT("OrbCalender", "Copy link");
    static constexpr const char* kCancelText = ORB_TEXT("OrbCalender", "Cancel");
    static constexpr const char* kOpenAgainName = "browserSignInOpenAgain";
    static constexpr const char* kCopyLinkName = "browserSignInCopyLink";
    static constexpr const char* kCancelName = "browserSignInCancel";
    static constexpr const char* kTimedOutText =
        ORB_TEXT("OrbCalender", "Your browser did not come back to OrbCalender in time, so the sign-in was stopped.");
    static constexpr const char* kNoRandomText =
        ORB_TEXT("OrbCalender", "OrbCalender could not make a secure sign-in request.");
    static constexpr const char* kCannotListenPrefix =
        ORB_TEXT("OrbCalender", "OrbCalender could not wait for your browser: ");

    explicit BrowserSignIn(UrlOpener& opener, QWidget* parent = nullptr);

    // How long the browser has to come back.
    std::chrono::milliseconds timeout{std::chrono::minutes(5)};

    // True with the grant for the token endpoint. False with `failure` in plain words, or
    // with it empty when the user cancelled.
    bool Run(const ServiceConfig& config, SignInGrant& grant, std::string& failure);
    // The consent page the last Run opened.
    const std::string& ConsentUrl() const { return consentUrl_; }

private:
    UrlOpener& opener_;
    QWidget* parent_;
    std::string consentUrl_;
};

} // namespace orb
