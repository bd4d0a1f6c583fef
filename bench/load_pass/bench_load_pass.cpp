// One full load pass against the stand-in service, with a latency per request, into a
// tree that discards its rows. Prints wall time, request count and peak memory.
//
//   bench_load_pass [--calendars C] [--events E] [--lists L] [--tasks T] [--latency-ms N]
#include "app/load_pass.h"
#include "core/diagnostics.h"
#include "service/curl_transport.h"
#include "service/oauth.h"
#include "tools/fake-service/fake_service.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>

namespace {

using namespace orb;

struct Options
{
    int calendars = 10;
    int events = 200;
    int lists = 10;
    int tasks = 100;
    int latencyMs = 20;
};

class NullTreeSink : public TreeSink
{
public:
    void AddBranchRoot(const std::string&) override {}
    void AddBranchRows(const std::string&, std::vector<TreeRow> rows) override { rowCount += rows.size(); }
    void RemoveAllRows() override {}
    std::size_t rowCount = 0;
};

class NullWaitUi : public WaitUi
{
public:
    bool IsMainWindowVisible() override { return false; }
    bool IsCalendarWindowVisible() override { return false; }
    void ShowLoadingOverlay() override {}
    void HideLoadingOverlay() override {}
    void ShowCalendarOverlay() override {}
    void HideCalendarOverlay() override {}
    void ShowCalendarWaitDialog() override {}
    void EndCalendarWaitDialog() override {}
    void RepaintMonthView() override {}
    void ShowWaitDialog() override {}
    void EndWaitDialog() override {}
    void SetWaitMessage(const std::string&) override {}
    void HideWindows() override {}
    bool ShowLoginPage(SignInGrant&, std::string&) override { return false; }
    void PostExit() override {}
};

class NullPrompter : public Prompter
{
public:
    void ShowMessage(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
    bool AskYesNo(const std::string&) override { return false; }
};

class NullOpener : public UrlOpener
{
public:
    void Open(const std::string&) override {}
};

class QuietDiagnostics : public Diagnostics
{
public:
    void WriteLine(const std::string&) override {}
};

class FixedClock : public Clock
{
public:
    LocalDateTime Now() const override { return {2026, 12, 8, 9, 0, 0}; }
};

std::string Two(int value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

std::string SeedDocument(const Options& options)
{
    std::string seed = R"({"oauth": {"accessTokens": ["bench"], "refreshTokens": ["bench-refresh"]},)";
    seed += R"("calendar": {"calendars": [)";
    for (int c = 0; c < options.calendars; ++c) {
        seed += (c ? "," : "");
        seed += R"({"id": "cal)" + std::to_string(c) + R"(@example.com", "summary": "Calendar )" + std::to_string(c) +
                R"(", "colorId": ")" + std::to_string(c % 24 + 1) +
                R"(", "accessRole": "owner", "selected": true, "events": [)";
        for (int e = 0; e < options.events; ++e) {
            // Spread over the loaded window, 2026-12-01 .. 2027-01-08.
            const LocalDateTime day = AddDays({2026, 12, 1, 0, 0, 0}, e % 38);
            const std::string date = std::to_string(day.year) + "-" + Two(day.month) + "-" + Two(day.day);
            seed += (e ? "," : "");
            seed += R"({"summary": "Event )" + std::to_string(e) + R"(", "description": "Notes for the event",)";
            if (e % 3 == 0) {
                const LocalDateTime next = AddDays(day, 1);
                seed += R"("start": {"date": ")" + date + R"("}, "end": {"date": ")" + std::to_string(next.year) + "-" +
                        Two(next.month) + "-" + Two(next.day) + R"("}})";
            } else {
                const std::string hour = Two(8 + e % 10);
                seed += R"("start": {"dateTime": ")" + date + "T" + hour + R"(:00:00+09:00"}, "end": {"dateTime": ")" +
                        date + "T" + hour + R"(:30:00+09:00"}})";
            }
        }
        seed += "]}";
    }
    seed += R"(]}, "tasks": {"taskLists": [)";
    for (int l = 0; l < options.lists; ++l) {
        seed += (l ? "," : "");
        seed +=
            R"({"id": "list)" + std::to_string(l) + R"(", "title": "List )" + std::to_string(l) + R"(", "tasks": [)";
        std::string parent;
        for (int t = 0; t < options.tasks; ++t) {
            const std::string id = "l" + std::to_string(l) + "t" + std::to_string(t);
            seed += (t ? "," : "");
            seed += R"({"id": ")" + id + R"(", "title": "Task )" + std::to_string(t) + R"(", "due": "2026-12-)" +
                    Two(1 + t % 28) + R"(T00:00:00.000Z")";
            // Every fifth task starts a family; the four after it are its subtasks.
            if (t % 5 == 0)
                parent = id;
            else
                seed += R"(, "parent": ")" + parent + R"(")";
            if (t % 7 == 0)
                seed += R"(, "status": "completed")";
            seed += "}";
        }
        seed += "]}";
    }
    seed += "]}}";
    return seed;
}

long PeakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const int value = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--calendars"))
            options.calendars = value;
        else if (!std::strcmp(argv[i], "--events"))
            options.events = value;
        else if (!std::strcmp(argv[i], "--lists"))
            options.lists = value;
        else if (!std::strcmp(argv[i], "--tasks"))
            options.tasks = value;
        else if (!std::strcmp(argv[i], "--latency-ms"))
            options.latencyMs = value;
        else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }

    fake::FakeService service;
    if (!service.Start()) {
        std::fprintf(stderr, "stand-in did not start: %s\n", service.StartError().c_str());
        return 1;
    }
    std::string error;
    if (!service.SeedFromJson(SeedDocument(options), error)) {
        std::fprintf(stderr, "seed refused: %s\n", error.c_str());
        return 1;
    }
    service.SetLatency(std::chrono::milliseconds(options.latencyMs));
    service.ClearRequests();
    const long baseline = PeakKilobytes();

    OAuthSession session;
    session.set_tokens("bench", "Bearer");
    session.set_refresh_token("bench-refresh");
    CurlTransport transport(session);
    QuietDiagnostics diagnostics;
    NullPrompter prompter;
    FixedClock clock;
    ServiceConfig config = ServiceConfig::Defaults();
    config.SetAccountsBase(service.BaseUrl());
    config.apiBase = service.BaseUrl();
    ServiceContext context{transport, session, diagnostics, prompter, clock, config};
    LocalStore store;
    AppSettings settings;
    NullTreeSink tree;
    NullWaitUi ui;
    NullOpener opener;
    LoadPass pass(context, store, settings, tree, ui, opener);

    const auto start = std::chrono::steady_clock::now();
    pass.FullLoad();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::size_t events = 0;
    std::size_t tasks = 0;
    store.Read([&](const LocalStore::Data& data) {
        for (const CalendarRecord& calendar : data.calendars)
            events += calendar.events.size();
        for (const TaskListInfo& list : data.taskLists)
            tasks += list.tasks.size();
    });
    const std::size_t requests = service.Requests().size();
    std::printf("calendars %d x events %d, lists %d x tasks %d, latency %d ms, page size %d\n", options.calendars,
                options.events, options.lists, options.tasks, options.latencyMs, service.PageSize());
    std::printf("loaded: %zu events, %zu tasks, %zu tree rows\n", events, tasks, tree.rowCount);
    std::printf("wall time: %.3f s\n", seconds);
    std::printf("requests: %zu (%.1f ms each on average)\n", requests, requests ? seconds * 1000.0 / requests : 0.0);
    std::printf("peak memory: %ld KiB (before the pass: %ld KiB; process includes the stand-in)\n", PeakKilobytes(),
                baseline);
    return 0;
}
