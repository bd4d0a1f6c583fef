#include "tests/app/windows/shell_fixture.h"

#include <QUrlQuery>
#include <httplib.h>

#include <mutex>
#include <thread>

namespace orb {
namespace {

// The user's browser, played from a thread: it opens the consent page, presses Allow or
// Deny, and follows the redirect back to the program's loopback address.
class TestBrowser : public UrlOpener
{
public:
    ~TestBrowser() override
    {
        for (std::thread& visit : visits)
            visit.join();
    }

    void Open(const std::string& url) override
    {
        visits.emplace_back([this, url] { Visit(url); });
    }

    std::string decision = "allow";
    std::mutex mutex;
    std::vector<std::string> redirects; // where the consent page sent the browser
    std::vector<std::thread> visits;

private:
    // "http://host:port" and the rest of an address.
    static std::pair<std::string, std::string> Split(const std::string& url)
    {
        const std::size_t path = url.find_first_of("/?", url.find("//") + 2);
        if (path == std::string::npos)
            return {url, "/"};
        return {url.substr(0, path), (url[path] == '?' ? "/" : "") + url.substr(path)};
    }

    void Visit(const std::string& url)
    {
        const auto [site, target] = Split(url);
        httplib::Client consent(site);
        const auto page = consent.Get(target + "&decision=" + decision);
        if (!page || page->status != 302) {
            std::lock_guard lock(mutex);
            redirects.push_back("no redirect: " + (page ? std::to_string(page->status) + " " + page->body : "-"));
            return;
        }
        const std::string back = page->get_header_value("Location");
        {
            std::lock_guard lock(mutex);
            redirects.push_back(back);
        }
        const auto [loopback, path] = Split(back);
        httplib::Client program(loopback);
        program.Get(path);
    }
};

class BrowserSignInShellTest : public test::ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        config.redirectUri.clear(); // no redirect named: the browser sign-in
        service.SetStrict(true);
    }

    void MakeBrowserFrame()
    {
        frame = std::make_unique<CMainFrame>(ShellServices{settings, context, login, browser, path});
        QObject::connect(frame.get(), &CMainFrame::exited, [this] { exited = true; });
    }

    std::vector<fake::RecordedRequest> TokenRequests() const
    {
        std::vector<fake::RecordedRequest> found;
        for (const auto& request : service.Requests()) {
            if (request.target.find("/o/oauth2/token") != std::string::npos)
                found.push_back(request);
        }
        return found;
    }

    TestBrowser browser;
};

TEST_F(BrowserSignInShellTest, AllowInTheBrowserSignsInWithTheVerifierAndLoadsBothBranches)
{
    MakeBrowserFrame();
    ASSERT_TRUE(frame->Create());
    EXPECT_EQ(login.shown, 0) << "the embedded page is not used";
    ASSERT_EQ(browser.redirects.size(), 1u);
    EXPECT_EQ(browser.redirects[0].rfind("http://127.0.0.1:", 0), 0u) << browser.redirects[0];

    const auto tokens = TokenRequests();
    ASSERT_EQ(tokens.size(), 1u);
    const std::string& form = tokens[0].body;
    EXPECT_NE(form.find("grant_type=authorization_code"), std::string::npos);
    EXPECT_NE(form.find("code_verifier="), std::string::npos);
    // The same redirect the consent page was asked with.
    const QUrlQuery fields(QString::fromStdString(form));
    const std::string redirect = fields.queryItemValue("redirect_uri", QUrl::FullyDecoded).toStdString();
    EXPECT_EQ(browser.redirects[0].rfind(redirect + "?", 0), 0u) << form;
    EXPECT_TRUE(service.IsRefreshTokenValid(settings.KEY));

    WaitForIdleShell();
    EXPECT_EQ(TopLevelTexts(), (std::vector<std::string>{kCalendarBranch, kTaskBranch}));
    EXPECT_EQ(CountRequests("/oauth2/v1/tokeninfo"), 0u);
}

TEST_F(BrowserSignInShellTest, DenyIsAFailedSignInWithItsReasonAndNothingStored)
{
    browser.decision = "deny";
    prompter.QueueAnswer(false); // no second try
    MakeBrowserFrame();
    EXPECT_FALSE(frame->Create());
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0].rfind("Sign-in failed: You did not allow OrbCalender", 0), 0u)
        << prompter.questions[0];
    EXPECT_TRUE(TokenRequests().empty());
    EXPECT_EQ(settings.KEY, "");
}

TEST_F(BrowserSignInShellTest, ATokenRefusedMidPassIsRenewedOnceAndThePassCompletes)
{
    MakeBrowserFrame();
    ASSERT_TRUE(frame->Create());
    WaitForIdleShell();
    service.ClearRequests();
    // The calendars load; then the token is refused at the task lists.
    service.FailNext(1, fake::Fault{fake::FaultKind::Status, 401, {}, "/users/@me/lists"});
    frame->RunCommand(Command::Synchronizing);
    WaitForIdleShell();
    EXPECT_EQ(TokenRequests().size(), 1u);            // one renewal
    EXPECT_EQ(CountRequests("/users/@me/lists"), 2u); // refused, then repeated once
    EXPECT_TRUE(diagnostics.Contains("has been renewed"));
    EXPECT_EQ(CountRequests("/oauth2/v1/tokeninfo"), 0u);
    EXPECT_NE(test::FindRowById(*frame->MainWindow()->Tree(), "t1"), nullptr) << "the pass did not complete";
}

TEST_F(BrowserSignInShellTest, ARevokedKeyAtStartUpIsDroppedAndTheSignInSaysWhy)
{
    StoreKey("1//revoked");
    browser.decision = "deny";
    MakeBrowserFrame();
    EXPECT_FALSE(frame->Create());
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_EQ(prompter.messages[0], CMainFrame::kSignInAgainMessage);
    WaitForExit();
    EXPECT_EQ(ReadBack().KEY, "");
}

} // namespace
} // namespace orb
