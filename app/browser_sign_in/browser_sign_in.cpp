#include "app/browser_sign_in/browser_sign_in.h"

#include "app/browser_sign_in/loopback_listener.h"
#include "service/pkce.h"
#include "translations/qt_text.h"

#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace orb {

namespace {

enum class Outcome
{
    Waiting,
    CodeReceived,
    Failed,
};

} // namespace

BrowserSignIn::BrowserSignIn(UrlOpener& opener, QWidget* parent) : opener_(opener), parent_(parent) {}

bool BrowserSignIn::Run(const ServiceConfig& config, SignInGrant& grant, std::string& failure)
{
    failure.clear();
    consentUrl_.clear();
    const std::string verifier = MakeCodeVerifier();
    const std::string state = MakeState();
    if (verifier.empty() || state.empty()) {
        failure = Translated(kNoRandomText);
        return false;
    }
    LoopbackListener listener;
    std::string error;
    if (!listener.Listen(state, error)) {
        failure = Translated(kCannotListenPrefix) + error;
        return false;
    }
    const std::string redirectUri = listener.RedirectUri();
    consentUrl_ = BrowserConsentUrl(config, redirectUri, CodeChallengeS256(verifier), state);

    QDialog window(parent_);
    window.setObjectName(kObjectName);
    window.setWindowTitle(UiText(kTitle));
    auto* text = new QLabel(UiText(kOpenedText), &window);
    text->setWordWrap(true);
    auto* openAgain = new QPushButton(UiText(kOpenAgainText), &window);
    openAgain->setObjectName(kOpenAgainName);
    auto* copyLink = new QPushButton(UiText(kCopyLinkText), &window);
    copyLink->setObjectName(kCopyLinkName);
    auto* cancel = new QPushButton(UiText(kCancelText), &window);
    cancel->setObjectName(kCancelName);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(openAgain);
    buttons->addWidget(copyLink);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(text);
    layout->addLayout(buttons);

    const QString link = QString::fromStdString(consentUrl_);
    QObject::connect(openAgain, &QPushButton::clicked, &window, [this] { opener_.Open(consentUrl_); });
    QObject::connect(copyLink, &QPushButton::clicked, &window, [link] { QGuiApplication::clipboard()->setText(link); });
    QObject::connect(cancel, &QPushButton::clicked, &window, &QDialog::reject);

    // The answer may come before the window runs (an opener that spins events itself), so
    // it is kept here and the window only runs while there is none.
    Outcome outcome = Outcome::Waiting;
    std::string code;
    const auto end = [&](Outcome reached, const std::string& value) {
        if (outcome != Outcome::Waiting)
            return;
        outcome = reached;
        if (reached == Outcome::CodeReceived)
            code = value;
        else
            failure = value;
        window.accept();
    };
    QObject::connect(&listener, &LoopbackListener::codeReceived, &window,
                     [&](const std::string& received) { end(Outcome::CodeReceived, received); });
    QObject::connect(&listener, &LoopbackListener::failed, &window,
                     [&](const std::string& reason) { end(Outcome::Failed, reason); });
    QTimer clock;
    clock.setSingleShot(true);
    QObject::connect(&clock, &QTimer::timeout, &window, [&] { end(Outcome::Failed, Translated(kTimedOutText)); });
    clock.start(timeout);

    opener_.Open(consentUrl_);
    if (outcome == Outcome::Waiting)
        window.exec();
    clock.stop();
    listener.Close();
    if (outcome != Outcome::CodeReceived)
        return false;
    grant = SignInGrant{code, redirectUri, verifier};
    return true;
}

} // namespace orb
