#include "app/browser_sign_in/browser_sign_in.h"

#include "app/browser_sign_in/loopback_listener.h"
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

#include <algorithm>
#include <atomic>
#include <memory>
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

constexpr int kWaitMs = 10000;
// What another local program left behind: a request head that never ends.
constexpr const char* kHalfSentRequest = "GET / HTTP/1.1\r\nHost: 127.0.0.1";

bool Connected(const std::unique_ptr<QTcpSocket>& socket)
{
    return socket->state() == QAbstractSocket::ConnectedState;
}

// Sends `request` on a new connection and lets the listener take it in before the next.
std::unique_ptr<QTcpSocket> Send(quint16 port, const QByteArray& request)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, port);
    EXPECT_TRUE(socket->waitForConnected(kWaitMs)) << socket->errorString().toStdString();
    socket->write(request);
    socket->flush();
    QCoreApplication::processEvents();
    return socket;
}

TEST(LoopbackListener, AFloodOfStalledRequestsKeepsTheNewestSixteenAndTheRedirectEndsEverything)
{
    constexpr std::size_t kFlood = 300; // as many as once used up the descriptors
    constexpr std::ptrdiff_t kHeld = 16;
    LoopbackListener listener;
    listener.idleTimeout = std::chrono::minutes(1); // only the cap drops connections here
    std::string error;
    ASSERT_TRUE(listener.Listen("st4te", error)) << error;
    std::vector<std::string> codes;
    QObject::connect(&listener, &LoopbackListener::codeReceived,
                     [&](const std::string& code) { codes.push_back(code); });

    std::vector<std::unique_ptr<QTcpSocket>> flood;
    while (flood.size() < kFlood)
        flood.push_back(Send(listener.Port(), kHalfSentRequest));
    const auto kept = flood.end() - kHeld;
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::none_of(flood.begin(), kept, Connected); }, kWaitMs));
    EXPECT_TRUE(std::all_of(kept, flood.end(), Connected));

    const auto browser = Send(listener.Port(), "GET /?state=st4te&code=4%2F0Ab HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Connected(browser); }, kWaitMs));
    const QByteArray page = browser->readAll();
    EXPECT_TRUE(page.startsWith("HTTP/1.1 200 OK\r\n")) << page.toStdString();
    EXPECT_TRUE(page.contains("Signed in to OrbCalender — you can close this tab"));
    EXPECT_EQ(codes, std::vector<std::string>{"4/0Ab"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::none_of(flood.begin(), flood.end(), Connected); }, kWaitMs));
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, listener.Port());
    EXPECT_FALSE(probe.waitForConnected(kWaitMs));
    EXPECT_EQ(probe.error(), QAbstractSocket::ConnectionRefusedError);
}

TEST(LoopbackListener, ASilentConnectionIsDroppedWhileOneStillSendingIsAnswered)
{
    // Ticks a tenth of the timeout leave room for a busy machine.
    constexpr int kIdleMs = 1000;
    constexpr int kTickMs = 100;
    LoopbackListener listener;
    listener.idleTimeout = std::chrono::milliseconds(kIdleMs);
    std::string error;
    ASSERT_TRUE(listener.Listen("st4te", error)) << error;

    const auto silent = Send(listener.Port(), kHalfSentRequest);
    const auto talking = Send(listener.Port(), "GET /?state=other");
    const auto talk = [&] {
        talking->write("&");
        QTest::qWait(kTickMs);
    };
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            talk();
            return !Connected(silent);
        },
        kWaitMs));
    // Two more timeouts: a timer that bytes do not restart would have dropped it by now.
    for (int tick = 0; tick < 2 * kIdleMs / kTickMs; ++tick)
        talk();
    ASSERT_TRUE(Connected(talking));
    talking->write(" HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Connected(talking); }, kWaitMs));
    EXPECT_TRUE(talking->readAll().startsWith("HTTP/1.1 400 Bad Request\r\n"));
}

} // namespace
} // namespace orb
