#include "tests/fake_service/fake_service_test_support.h"

#include "tools/fake-service/form_text.h"
#include "tools/http2-front/child_process.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace orb::fake::test {
namespace {

// The orb-fake-service program as a child process with its standard output and error read back.
class Program
{
public:
    explicit Program(const std::vector<std::string>& arguments)
    {
        std::string why;
        child_.Start(ORB_FAKE_SERVICE_PROGRAM, arguments, why, true);
    }

    // The next line of standard output; empty if none comes within the client time-out.
    std::string NextLine()
    {
        std::string line;
        child_.ReadLine(line, static_cast<int>(std::chrono::milliseconds(kClientTimeout).count()));
        return line;
    }

    // Waits for the exit; -1 when the program does not end within the client time-out.
    int ExitCode()
    {
        auto deadline = std::chrono::steady_clock::now() + kClientTimeout;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = -1;
            if (!child_.Running(&status))
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

    std::string Errors() { return child_.TakeErrors(); }
    void Signal(int number) { kill(child_.Pid(), number); }

private:
    front::ChildProcess child_;
};

int PortOf(const std::string& line)
{
    auto colon = line.rfind(':');
    return colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
}

// The key from the line printed after the address; empty when the line is not that.
std::string KeyOf(const std::string& line)
{
    const std::string prefix = "orb-fake-service control key ";
    return line.rfind(prefix, 0) == 0 ? line.substr(prefix.size()) : std::string();
}

int ControlStatus(int port, const std::string& key)
{
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(kClientTimeout);
    auto answer = client.Get("/__control/traffic", {{"X-Orb-Control-Key", key}});
    return answer ? answer->status : 0;
}

TEST(ProgramRun, PrintsItsAddressServesTheSeedAndEndsCleanlyOnSigterm)
{
    std::string seed = MakeTemporaryFolder() + "/seed.json";
    // The options win over the seed's own lifetime.
    std::ofstream(seed) << R"({"oauth": {"refreshTokens": ["program-refresh"], "tokenLifetime": 9}})";
    Program program({"--seed", seed, "--page-size", "7", "--latency-ms", "1", "--strict", "--token-lifetime", "7"});
    std::string line = program.NextLine();
    ASSERT_EQ(line.rfind("orb-fake-service listening on http://127.0.0.1:", 0), 0u) << line << program.Errors();
    const std::string key = KeyOf(program.NextLine());
    EXPECT_EQ(key.size(), 64u) << key;
    EXPECT_EQ(ControlStatus(PortOf(line), key), 200);
    EXPECT_EQ(ControlStatus(PortOf(line), ""), 403);

    httplib::Client client("127.0.0.1", PortOf(line));
    client.set_read_timeout(kClientTimeout);
    auto answer = client.Post("/o/oauth2/token", "refresh_token=program-refresh&client_id=c&grant_type=refresh_token",
                              "application/x-www-form-urlencoded");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
    EXPECT_FALSE(ParseJson(answer->body)["access_token"].asString().empty());
    EXPECT_EQ(ParseJson(answer->body)["expires_in"].asInt(), 7);
    EXPECT_EQ(client.Post("/oauth2/v1/tokeninfo", "access_token=t", "application/x-www-form-urlencoded")->status, 404);

    program.Signal(SIGTERM);
    EXPECT_EQ(program.ExitCode(), 0);
}

TEST(ProgramRun, SigintEndsItToo)
{
    Program program({"--port", "0"});
    ASSERT_FALSE(program.NextLine().empty());
    program.Signal(SIGINT);
    EXPECT_EQ(program.ExitCode(), 0);
}

TEST(ProgramRun, BadArgumentsAndSeedsExitWith2AndSayWhy)
{
    std::string folder = MakeTemporaryFolder();
    std::string badSeed = folder + "/bad.json";
    std::ofstream(badSeed) << "{\"oauth\": [";
    struct Case
    {
        std::vector<std::string> arguments;
        const char* mentions;
    };
    const Case cases[] = {
        {{"--port"}, "--port"},
        {{"--port", "70000"}, "--port"},
        {{"--port", "12ab"}, "--port"},
        {{"--page-size", "0"}, "--page-size"},
        {{"--latency-ms", "-3"}, "--latency-ms"},
        {{"--token-lifetime", "-1"}, "--token-lifetime"},
        {{"--frobnicate", "1"}, "--frobnicate"},
        {{"--tls-cert", "c.pem"}, "--tls-key"},
        {{"--seed", folder + "/absent.json"}, "absent.json"},
        {{"--seed", badSeed}, "not valid JSON"},
        {{"--state", badSeed}, "not valid JSON"},
        {{"--state", folder + "/absent/state.json"}, "absent/state.json"},
    };
    for (const auto& entry : cases) {
        Program program(entry.arguments);
        EXPECT_EQ(program.ExitCode(), 2) << entry.arguments[0];
        std::string errors = program.Errors();
        EXPECT_NE(errors.find(entry.mentions), std::string::npos) << entry.arguments[0] << ": " << errors;
    }
}

std::pair<int, Json::Value> PostToken(int port, const std::string& form)
{
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(kClientTimeout);
    auto answer = client.Post("/o/oauth2/token", "client_id=c&" + form, "application/x-www-form-urlencoded");
    return answer ? std::pair(answer->status, ParseJson(answer->body)) : std::pair(0, Json::Value());
}

TEST(ProgramRun, WritesAMissingStateFileFromTheSeedAndLaterRunsStartFromItInstead)
{
    std::string folder = MakeTemporaryFolder();
    std::string state = folder + "/state.json";
    std::string firstSeed = folder + "/first.json";
    std::string otherSeed = folder + "/other.json";
    std::ofstream(firstSeed) << R"({"oauth": {"refreshTokens": ["first-refresh"]}})";
    std::ofstream(otherSeed) << R"({"oauth": {"refreshTokens": ["other-refresh"]}})";
    {
        Program program({"--seed", firstSeed, "--state", state});
        ASSERT_FALSE(program.NextLine().empty()) << program.Errors();
        EXPECT_TRUE(std::filesystem::exists(state)) << "no state file was written";
        program.Signal(SIGTERM);
        EXPECT_EQ(program.ExitCode(), 0);
    }
    Program program({"--seed", otherSeed, "--state", state});
    const int port = PortOf(program.NextLine());
    ASSERT_NE(port, 0) << program.Errors();
    EXPECT_EQ(PostToken(port, "grant_type=refresh_token&refresh_token=first-refresh").first, 200);
    EXPECT_EQ(PostToken(port, "grant_type=refresh_token&refresh_token=other-refresh").first, 400);
}

// As scripts/run.sh starts it: the demo knows no token until the user allows access, and
// each sign-in gets tokens of its own.
TEST(ProgramRun, TheDemoIssuesTokensOnlyThroughConsentAndKeepsItsKeyOwnerOnly)
{
    const std::string state = MakeTemporaryFolder() + "/fake-service-state.json";
    Program program({"--seed", ORB_DEMO_SEED, "--state", state, "--strict"});
    const int port = PortOf(program.NextLine());
    const std::string key = KeyOf(program.NextLine());
    ASSERT_NE(port, 0) << program.Errors();

    std::ifstream keyFile(state + ".control-key");
    std::string written;
    std::getline(keyFile, written);
    EXPECT_EQ(written, key);
    struct stat info = {};
    ASSERT_EQ(stat((state + ".control-key").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(ControlStatus(port, written), 200);

    auto [fixedStatus, fixed] = PostToken(port, "grant_type=refresh_token&refresh_token=demo-refresh-token");
    EXPECT_EQ(fixedStatus, 400);
    EXPECT_EQ(fixed["error"].asString(), "invalid_grant");

    httplib::Client browser("127.0.0.1", port);
    browser.set_read_timeout(kClientTimeout);
    const std::string redirect = "http://127.0.0.1:1/";
    std::vector<std::string> refreshTokens;
    for (int signIn = 0; signIn < 2; ++signIn) {
        auto allowed = browser.Get(std::string("/o/oauth2/auth?response_type=code&client_id=c&scope=s&redirect_uri=") +
                                   EncodeQueryComponent(redirect) + "&code_challenge=" + kChallenge +
                                   "&code_challenge_method=S256&decision=allow");
        ASSERT_TRUE(allowed);
        ASSERT_EQ(allowed->status, 302);
        const std::string location = allowed->get_header_value("Location");
        std::string code;
        ASSERT_TRUE(FindField(ParseForm(location.substr(location.find('?') + 1)), "code", code)) << location;
        auto [status, tokens] =
            PostToken(port, "grant_type=authorization_code&code=" + EncodeQueryComponent(code) +
                                "&redirect_uri=" + EncodeQueryComponent(redirect) + "&code_verifier=" + kVerifier);
        ASSERT_EQ(status, 200) << tokens;
        refreshTokens.push_back(tokens["refresh_token"].asString());
        EXPECT_EQ(refreshTokens.back().rfind("1//fake-", 0), 0u) << refreshTokens.back();
    }
    EXPECT_NE(refreshTokens[0], refreshTokens[1]);
    EXPECT_EQ(PostToken(port, "grant_type=refresh_token&refresh_token=" + refreshTokens[0]).first, 200);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.ExitCode(), 0);
}

} // namespace
} // namespace orb::fake::test
