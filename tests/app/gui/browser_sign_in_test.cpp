#include "app/browser_sign_in.h"

#include "app/loopback_listener.h"
#include "service/pkce.h"

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <thread>

namespace orb {
namespace {

std::string Parameter(const std::string& url, const char* name)
{
    return QUrlQuery(QUrl(QString::fromStdString(url))).queryItemValue(name, QUrl::FullyDecoded).toStdString();
}

// Plays the browser coming back: from its own thread it asks the loopback address for each
// target in turn, "STATE" standing for the consent page's state. With `waitInside` Open
// spins events itself until the answers are in, as a synchronous opener would.
class BrowserDouble : public UrlOpener
{
public:
    BrowserDouble(std::vector<std::string> targets, bool waitInside) : targets(std::move(targets)), wait(waitInside) {}
    ~BrowserDouble() override { Finish(); }
    void Finish()
    {
        if (worker.joinable())
            worker.join();
    }

    void Open(const std::string& url) override
    {
        opened.push_back(url);
        if (worker.joinable() || targets.empty())
            return;
        worker = std::thread([this, url] {
            httplib::Client client("127.0.0.1", QUrl(QString::fromStdString(Parameter(url, "redirect_uri"))).port());
            client.set_url_encode(false); // the targets are sent as written
            for (std::string target : targets) {
                if (const auto at = target.find("STATE"); at != std::string::npos)
                    target.replace(at, 5, Parameter(url, "state"));
                const auto answer = client.Get(target);
                statuses.push_back(answer ? answer->status : -1);
                lastPage = answer ? answer->body : std::string();
            }
            done = true;
        });
        while (wait && !done)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    std::vector<std::string> targets;
    bool wait;
    std::atomic<bool> done = false;
    std::thread worker;
    std::vector<std::string> opened;
    std::vector<int> statuses;
    std::string lastPage;
};

// Long enough for any machine; a window that never ends fails instead of waiting 5 minutes.
constexpr auto kTestTimeout = std::chrono::seconds(10);

TEST(BrowserSignIn, OnlyTheRedirectWithTheRightStateSignsIn)
{
    const std::string oversized =
        "/?state=STATE&code=big&pad=" + std::string(LoopbackListener::kLongestRequestHead, 'a');
    BrowserDouble browser({"/favicon.ico", "/?state=forged&code=stolen", oversized, "/?state=STATE&code=4%2F0Ab+c"},
                          false);
    BrowserSignIn signIn(browser);
    signIn.timeout = kTestTimeout;
    SignInGrant grant;
    std::string failure = "stale";
    ASSERT_TRUE(signIn.Run(ServiceConfig::Defaults(), grant, failure));
    browser.Finish();
    ASSERT_EQ(browser.statuses.size(), 4u);
    EXPECT_EQ(browser.statuses[0], 404);
    EXPECT_EQ(browser.statuses[1], 400);
    EXPECT_NE(browser.statuses[2], 200); // 431, or a reset when refused while it was still sending
    EXPECT_EQ(browser.statuses[3], 200);
    EXPECT_NE(browser.lastPage.find(LoopbackListener::kSignedInText), std::string::npos);
    EXPECT_EQ(grant.code, "4/0Ab c");
    EXPECT_EQ(grant.redirectUri, Parameter(signIn.ConsentUrl(), "redirect_uri"));
    EXPECT_EQ(grant.redirectUri.rfind("http://127.0.0.1:", 0), 0u);
    EXPECT_EQ(CodeChallengeS256(grant.codeVerifier), Parameter(signIn.ConsentUrl(), "code_challenge"));
    EXPECT_TRUE(failure.empty());
}

TEST(BrowserSignIn, ARefusalArrivingBeforeTheWindowRunsStillEndsIt)
{
    BrowserDouble browser({"/?error=access_denied&state=STATE"}, true);
    BrowserSignIn signIn(browser);
    signIn.timeout = kTestTimeout;
    SignInGrant grant;
    std::string failure;
    EXPECT_FALSE(signIn.Run(ServiceConfig::Defaults(), grant, failure));
    EXPECT_EQ(failure, LoopbackListener::kAccessDeniedReason);
    EXPECT_EQ(browser.statuses, std::vector<int>{200});
}

TEST(BrowserSignIn, CancelAndEscapeEndWithoutAFailureAndTheTimeoutWithOne)
{
    BrowserDouble browser({}, false);
    BrowserSignIn signIn(browser);
    signIn.timeout = kTestTimeout;
    SignInGrant grant;
    std::string failure = "stale";
    QTimer::singleShot(50, [] {
        QWidget* window = QApplication::activeModalWidget();
        ASSERT_EQ(window->objectName(), BrowserSignIn::kObjectName);
        for (const char* button :
             {BrowserSignIn::kCopyLinkName, BrowserSignIn::kOpenAgainName, BrowserSignIn::kCancelName})
            window->findChild<QPushButton*>(button)->click();
    });
    EXPECT_FALSE(signIn.Run(ServiceConfig::Defaults(), grant, failure));
    EXPECT_TRUE(failure.empty());
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), signIn.ConsentUrl());
    EXPECT_EQ(browser.opened, std::vector<std::string>(2, signIn.ConsentUrl()));

    QTimer::singleShot(50, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    EXPECT_FALSE(signIn.Run(ServiceConfig::Defaults(), grant, failure));
    EXPECT_TRUE(failure.empty());

    signIn.timeout = std::chrono::milliseconds(100);
    EXPECT_FALSE(signIn.Run(ServiceConfig::Defaults(), grant, failure));
    EXPECT_EQ(failure, BrowserSignIn::kTimedOutText);
    QTcpSocket probe; // the port is closed once Run returns
    probe.connectToHost(QHostAddress::LocalHost,
                        QUrl(QString::fromStdString(Parameter(signIn.ConsentUrl(), "redirect_uri"))).port());
    EXPECT_FALSE(probe.waitForConnected(1000));
}

} // namespace
} // namespace orb
