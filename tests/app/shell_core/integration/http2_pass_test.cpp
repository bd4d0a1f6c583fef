#include "app/shell_core/load_pass.h"
#include "app/shell_core/settings.h"
#include "service/curl_transport.h"
#include "service/oauth.h"
#include "tests/app/shell_core/integration/pass_doubles.h"
#include "tests/support/doubles.h"
#include "tools/fake-service/fake_service.h"
#include "tools/http2-front/http2_front.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace orb {
namespace {

namespace fs = std::filesystem;

constexpr int kCalendars = 6;
constexpr int kLists = 6;
constexpr int kEventsEach = 3;
constexpr int kTasksEach = 4;

std::string Seed()
{
    std::string seed = R"({"oauth": {"accessTokens": ["t1"], "refreshTokens": ["r1"]}, "calendar": {"calendars": [)";
    for (int c = 0; c < kCalendars; ++c) {
        seed += std::string(c ? "," : "") + R"({"id": "c)" + std::to_string(c) +
                R"(@example.com", "summary": "C", "accessRole": "owner", "selected": true, "events": [)";
        for (int e = 0; e < kEventsEach; ++e)
            seed += std::string(e ? "," : "") + R"({"summary": "E", "start": {"date": "2026-12-0)" +
                    std::to_string(7 + e) + R"("}, "end": {"date": "2026-12-1)" + std::to_string(e) + R"("}})";
        seed += "]}";
    }
    seed += R"(]}, "tasks": {"taskLists": [)";
    for (int l = 0; l < kLists; ++l) {
        seed += std::string(l ? "," : "") + R"({"id": "L)" + std::to_string(l) + R"(", "title": "L", "tasks": [)";
        for (int t = 0; t < kTasksEach; ++t)
            seed += std::string(t ? "," : "") + R"({"id": "L)" + std::to_string(l) + "t" + std::to_string(t) +
                    R"(", "title": "T"})";
        seed += "]}";
    }
    return seed + "]}}";
}

// The load pass as Google serves it: TLS, HTTP/2, one host. The front's certificate is
// trusted only through the settings file's CaFile, as a company proxy's would be.
TEST(Http2LoadPass, ThroughAnHttp2FrontTheWholePassSharesOneConnection)
{
    fake::FakeService service;
    ASSERT_TRUE(service.Start()) << service.StartError();
    std::string error;
    ASSERT_TRUE(service.SeedFromJson(Seed(), error)) << error;
    // Long enough that the listings overlap: each could have opened a connection of its own.
    service.SetLatency(std::chrono::milliseconds(50));
    front::Http2Front front;
    ASSERT_TRUE(front.Start(service.Port(), error)) << error;

    const fs::path folder = fs::temp_directory_path() / ("orb-http2-pass-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_all);
    const std::string settingsPath = SettingsFile::PathIn(folder.string());
    std::ofstream(settingsPath) << "[Service]\r\nApiBase=" << front.BaseUrl() << "\r\nAccountsBase=" << front.BaseUrl()
                                << "\r\nCaFile=" << front.CertificateFile() << "\r\n";
    fs::permissions(settingsPath, fs::perms::owner_read | fs::perms::owner_write);
    std::vector<std::string> problems;
    const ServiceConfig config = SettingsFile::LoadServiceConfig(settingsPath, ServiceConfig::Defaults(), &problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    EXPECT_EQ(config.caFile, front.CertificateFile());

    OAuthSession session;
    session.set_tokens("t1", "Bearer");
    session.set_refresh_token("r1");
    test::FixedClock clock{{2026, 12, 8, 9, 0, 0}};
    // A token with a known expiry, as every sign-in gives: the pass makes no token check.
    session.set_expires_at(LocalSeconds(clock.Now()) + 3600);
    CurlTransportOptions options;
    options.extraCertificates = config.caCertificates;
    CurlTransport transport(session, options);
    test::RecordingDiagnostics diagnostics;
    test::ScriptedPrompter prompter;
    ServiceContext context{transport, session, diagnostics, prompter, clock, config};
    InstallTokenRenewal(context);
    LocalStore store;
    AppSettings settings;
    test::RecordingTreeSink tree;
    test::ScriptedPassUi ui;
    test::RecordingUrlOpener opener;
    LoadPass pass(context, store, settings, tree, ui, opener);
    pass.FullLoad();

    std::size_t events = 0;
    std::size_t tasks = 0;
    store.Read([&](const LocalStore::Data& data) {
        EXPECT_EQ(data.calendars.size(), std::size_t{kCalendars});
        EXPECT_EQ(data.taskLists.size(), std::size_t{kLists});
        for (const CalendarRecord& calendar : data.calendars)
            events += calendar.events.size();
        for (const TaskListInfo& list : data.taskLists)
            tasks += list.tasks.size();
    });
    EXPECT_EQ(events, std::size_t{kCalendars * kEventsEach});
    EXPECT_EQ(tasks, std::size_t{kLists * kTasksEach});
    EXPECT_FALSE(diagnostics.Contains("12045")) << "the front's certificate was refused";

    // Two lists, then a listing per calendar and list, and not one more connection.
    const TransferCounts& counts = transport.Counts();
    EXPECT_EQ(counts.transfers.load(), 2 + kCalendars + kLists);
    EXPECT_EQ(counts.overHttp2.load(), counts.transfers.load());
    EXPECT_EQ(counts.connectionsOpened.load(), 1);
    // The front agrees: every request came as a stream of one connection.
    const front::FrontTraffic traffic = front.TakeTraffic(static_cast<int>(counts.transfers));
    EXPECT_EQ(traffic.requests, counts.transfers);
    EXPECT_EQ(traffic.http2Requests, traffic.requests);
    EXPECT_EQ(traffic.connections, 1);
    // And behind it the listings still ran side by side, not one after another.
    EXPECT_GE(service.PeakInFlight(), kCalendars);
    fs::remove_all(folder);
}

} // namespace
} // namespace orb
