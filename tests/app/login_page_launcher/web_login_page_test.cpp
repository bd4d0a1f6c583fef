#include "app/login_page_launcher/web_login_page.h"

#include "tests/support/core_doubles.h"

#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace orb {
namespace {

ServiceConfig ConfigFor(const std::string& base)
{
    ServiceConfig config = ServiceConfig::Defaults();
    config.SetAccountsBase(base);
    config.apiBase = base;
    config.clientId = "login-page-client";
    config.redirectUri = "urn:ietf:wg:oauth:2.0:oob:auto";
    return config;
}

// A stand-in for the helper: a shell script doing what a real one could do wrong.
class FakeHelpers : public ::testing::Test
{
protected:
    std::string Helper(const char* name, const std::string& body)
    {
        const std::string path = folder_.filePath(name).toStdString();
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        ::chmod(path.c_str(), 0700);
        return path;
    }

    test::ScriptedPrompter prompter;
    QTemporaryDir folder_;
};

TEST_F(FakeHelpers, TheAnswerIsTheCodeAndEveryFailureIsToldWhileClosingIsQuiet)
{
    const ServiceConfig config = ConfigFor("http://127.0.0.1:1");
    struct Case
    {
        const char* name;
        std::string body;
        bool ok;
        const char* code;
        const char* message; // the start of what the user is told; empty: nothing
    };
    const Case cases[] = {
        // Echoes the first line it was sent, so the request is seen to arrive.
        {"approves", "IFS= read -r first; printf 'approved\\n%s' \"$first\"", true, "accountsBase=http://127.0.0.1:1",
         ""},
        // A title may hold anything: the code comes back byte for byte.
        {"approves with a line break", "printf 'approved\\n4/a\\nb'", true, "4/a\nb", ""},
        {"closed by the user", "exit 1", false, "", ""},
        {"crashes", "kill -SEGV $$", false, "", "The login page ended unexpectedly: "},
        {"ends without an answer", "exit 0", false, "", "The login page ended unexpectedly: "},
        {"refuses the request", "exit 2", false, "", "The login page ended unexpectedly: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompter.messages.clear();
        const std::string path = Helper("helper", c.body);
        WebLoginPage page(prompter, path);
        std::string code = "untouched";
        EXPECT_EQ(page.Run(config, code), c.ok);
        EXPECT_EQ(code, c.ok ? c.code : "untouched");
        if (*c.message) {
            ASSERT_EQ(prompter.messages.size(), 1u);
            EXPECT_EQ(prompter.messages[0].rfind(c.message + path, 0), 0u) << prompter.messages[0];
        } else {
            EXPECT_TRUE(prompter.messages.empty());
        }
    }
}

TEST_F(FakeHelpers, AMissingHelperOrABuildWithoutOneIsToldNeverWaitedOn)
{
    std::string code;
    const std::string missing = folder_.filePath("not-there").toStdString();
    EXPECT_FALSE(WebLoginPage(prompter, missing).Run(ConfigFor("http://127.0.0.1:1"), code));
    EXPECT_FALSE(WebLoginPage(prompter, "").Run(ConfigFor("http://127.0.0.1:1"), code));
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[0].rfind("The login page could not be started: " + missing, 0), 0u);
    EXPECT_EQ(prompter.messages[1].rfind("This build of OrbCalender has no embedded login page", 0), 0u);
    EXPECT_NE(prompter.messages[1].find("Remove the RedirectUri line"), std::string::npos);
    // Found neither where the package puts it nor beside the program.
    EXPECT_EQ(WebLoginPage::FindHelper(folder_.path().toStdString()), "");
}

TEST_F(FakeHelpers, ExitEndsAPageThatIgnoresItsClosedInput)
{
    // `exec sleep` never reads its input, so only the kill ends it.
    WebLoginPage page(prompter, Helper("stubborn", "exec sleep 60"));
    QTimer::singleShot(100, [&] { page.Cancel(); });
    std::string code = "untouched";
    EXPECT_FALSE(page.Run(ConfigFor("http://127.0.0.1:1"), code));
    EXPECT_EQ(code, "untouched");
    EXPECT_TRUE(prompter.messages.empty()) << "an exit is not a failure";
}

#ifdef ORB_TEST_LOGIN_PAGE_HELPER
// The real helper with its web engine, against pages served here: the consent page it is
// sent to, and the approval page whose title carries the code.
class RealHelper : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The browser will not start as root with its sandbox, which is how CI runs.
        if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        server_.set_keep_alive_max_count(1); // stopping must not wait for an idle connection
        server_.Get("/o/oauth2/auth", [this](const httplib::Request& request, httplib::Response& response) {
            clientId_ = request.get_param_value("client_id");
            consentShown_ = true;
            if (approve_)
                response.set_redirect("/o/oauth2/approval?state=1");
            else
                response.set_content("<html><head><title>Consent</title></head><body>Wait</body></html>", "text/html");
        });
        server_.Get("/o/oauth2/approval", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("<html><head><title>Success code=4/real-code=x</title></head></html>", "text/html");
        });
        const int port = server_.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port, 0);
        base_ = "http://127.0.0.1:" + std::to_string(port);
        listening_ = std::thread([this] { server_.listen_after_bind(); });
    }
    void TearDown() override
    {
        server_.stop();
        if (listening_.joinable())
            listening_.join();
    }

    httplib::Server server_;
    std::thread listening_;
    std::string base_;
    std::string clientId_;
    std::atomic<bool> approve_ = true;
    std::atomic<bool> consentShown_ = false;
    test::ScriptedPrompter prompter;
};

TEST_F(RealHelper, ReachingTheApprovalPageReturnsTheCodeFromItsTitle)
{
    WebLoginPage page(prompter, ORB_TEST_LOGIN_PAGE_HELPER);
    std::string code;
    EXPECT_TRUE(page.Run(ConfigFor(base_), code));
    EXPECT_EQ(code, "4/real-code");
    EXPECT_EQ(clientId_, "login-page-client");
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(RealHelper, ExitClosesTheOpenPage)
{
    approve_ = false;
    WebLoginPage page(prompter, ORB_TEST_LOGIN_PAGE_HELPER);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (consentShown_)
            page.Cancel();
    });
    poll.start(50);
    std::string code = "untouched";
    EXPECT_FALSE(page.Run(ConfigFor(base_), code));
    EXPECT_TRUE(consentShown_);
    EXPECT_EQ(code, "untouched");
    EXPECT_TRUE(prompter.messages.empty());
}
#endif

} // namespace
} // namespace orb
