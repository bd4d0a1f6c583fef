// The load pass two ways against one stand-in with a latency per request: the way it was
// (one listing after another, a new connection for each request, the services' default
// pages) and the way it is (listings side by side over warm connections, full pages).
// Prints one row per latency and account size: wall times, their ratio, the new pass in
// round trips, request and connection counts, and the peak of requests in flight.
//
// Then the passes over the cache, at 50 ms a round trip: F5 on an unchanged account of 10
// calendars of 200 events and 10 lists of 100 tasks (round trips, bytes of the answers) and
// with one event changed; the cache writes of a full pass of 10,000 events (on the worker);
// and a start to the cached rows of 10,000 events (cache read, store, rows, and with the GUI
// built the rows in the main window's tree, offscreen).
//
// Then the protocols side by side (--part protocols): the stand-in runs as a process of its
// own, so that the CPU the pass costs this program is measured apart from the service's.
// HTTP/1.1 straight to it, and HTTP/1.1 and HTTP/2 over TLS through a real HTTP/2 front
// (nghttpx) before it: wall time, round trips, waves of requests, connections and streams,
// and the CPU of the client, the stand-in and the front, for a cold pass (a start: the
// connections are made) and a warm one (F5 without the cache).
//
//   bench_load_pass [--events E] [--tasks T] [--latencies 0,20,50] [--sizes 1,10,50] [--new-only]
//                   [--part all|table|cache|protocols] [--width W]
//
// A size of N is N calendars of E events and N task lists of T tasks.
#include "app/shell_core/load_pass.h"
#include "bench/bench_support.h"
#include "cache/local_cache.h"
#include "core/diagnostics.h"
#include "service/curl_transport.h"
#include "service/oauth.h"
#include "service/trusted_certificates.h"
#include "tools/fake-service/fake_service.h"
#include "tools/http2-front/http2_front.h"

#include <httplib.h>
#include <json/json.h>

#if ORB_BENCH_WITH_TREE
#include "app/windows/orb_calender_dlg.h"
#include "treelist/tree_list_ctrl.h"

#include <QApplication>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace orb;

struct Options
{
    int calendars = 10;
    int events = 200;
    int lists = 10;
    int tasks = 100;
    std::vector<int> latencies{0, 20, 50};
    std::vector<int> sizes{1, 10, 50};
    bool newOnly = false; // for profiling the new pass alone
    std::string part = "all";
    // Listings side by side in the protocols part: the program's, or another to see its effect.
    std::size_t width = kListingsSideBySide;
};

class NullTreeSink : public TreeSink
{
public:
    void UpdateBranchRows(const std::string&, std::vector<TreeRow> rows) override { rowCount += rows.size(); }
    void RemoveAllRows() override {}
    std::size_t rowCount = 0;
};

class NullPassUi : public PassUi
{
public:
    bool IsMainWindowVisible() override { return false; }
    bool IsCalendarWindowVisible() override { return false; }
    void ShowLoadingOverlay() override {}
    void HideLoadingOverlay() override {}
    void ShowCalendarOverlay() override {}
    void HideCalendarOverlay() override {}
    void RepaintMonthView() override {}
    void HideWindows() override {}
    bool ShowLoginPage(SignInGrant&, std::string&) override { return false; }
    void PostExit() override {}
    void ShowPassProblem(const PassProblem&) override {}
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
    void WriteLine(const std::string& line) override
    {
        // The pass tells how long its cache writes took.
        if (line.rfind(kCacheWritesPrefix, 0) == 0)
            cacheWrites = line.substr(std::strlen(kCacheWritesPrefix));
    }
    static constexpr const char* kCacheWritesPrefix = "Cache : writes of the pass : ";
    std::string cacheWrites;
};

// The real transport, counting the bytes of the answers it carries (as decoded).
class CountingTransport : public CurlTransport
{
public:
    using CurlTransport::CurlTransport;
    std::atomic<std::size_t> answerBytes = 0;

protected:
    int Send(const HttpRequest& request, HttpResponse& response) override
    {
        const int code = CurlTransport::Send(request, response);
        answerBytes += response.body.size();
        return code;
    }
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

struct Figures
{
    double seconds = 0;
    std::size_t requests = 0;
    int connections = 0;
    int peakInFlight = 0;
    std::size_t events = 0;
    std::size_t tasks = 0;
};

// One pass into an empty store; the transport is the caller's, so a second pass can find
// its connections warm.
Figures RunPass(fake::FakeService& service, CurlTransport& transport, OAuthSession& session, bool oldWay)
{
    QuietDiagnostics diagnostics;
    NullPrompter prompter;
    FixedClock clock;
    ServiceConfig config = ServiceConfig::Defaults();
    config.SetAccountsBase(service.BaseUrl());
    config.apiBase = service.BaseUrl();
    config.fullPages = !oldWay;
    ServiceContext context{transport, session, diagnostics, prompter, clock, config};
    LocalStore store;
    AppSettings settings;
    NullTreeSink tree;
    NullPassUi ui;
    NullOpener opener;
    LoadPass pass(context, store, settings, tree, ui, opener, oldWay ? 1 : kListingsSideBySide);

    service.ClearRequests();
    service.ResetTrafficCounters();
    const auto start = std::chrono::steady_clock::now();
    pass.FullLoad();
    Figures figures;
    figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.requests = service.Requests().size();
    figures.connections = service.ConnectionCount();
    figures.peakInFlight = service.PeakInFlight();
    store.Read([&](const LocalStore::Data& data) {
        for (const CalendarRecord& calendar : data.calendars)
            figures.events += calendar.events.size();
        for (const TaskListInfo& list : data.taskLists)
            figures.tasks += list.tasks.size();
    });
    return figures;
}

constexpr int kCacheLatencyMs = 50;

// A temporary folder for one cache file, gone with the object.
struct CacheFolder
{
    CacheFolder() : path(std::filesystem::temp_directory_path() / ("orb-bench-" + std::to_string(::getpid())))
    {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~CacheFolder() { std::filesystem::remove_all(path); }
    std::unique_ptr<LocalCache> Open() const
    {
        CacheOpening opening = LocalCache::Open((path / "cache.sqlite").string(), {}, FixedClock());
        if (!opening.cache)
            std::fprintf(stderr, "cache not opened: %s\n", opening.reason.c_str());
        return std::move(opening.cache);
    }
    std::filesystem::path path;
};

struct Timed
{
    double seconds = 0;
    std::size_t requests = 0;
    std::size_t bytes = 0;
};

// One pass of `pass`, with the traffic it made.
Timed TimePass(LoadPass& pass, fake::FakeService& service, CountingTransport& transport)
{
    service.ClearRequests();
    transport.answerBytes = 0;
    const auto start = std::chrono::steady_clock::now();
    pass.FullLoad();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), service.Requests().size(),
            transport.answerBytes};
}

void PrintPass(const char* what, const Timed& timed, int latency)
{
    std::printf("  %-34s %7.3f s = %5.2f RTs, %3zu requests, %8.1f KB of answers\n", what, timed.seconds,
                timed.seconds * 1000.0 / latency, timed.requests, timed.bytes / 1024.0);
}

ServiceConfig BenchConfig(const fake::FakeService& service)
{
    ServiceConfig config = ServiceConfig::Defaults();
    config.SetAccountsBase(service.BaseUrl());
    config.apiBase = service.BaseUrl();
    return config;
}

// The seams a pass over the cache needs, against the stand-in seeded for `events` per calendar.
struct CacheBench
{
    CacheBench(fake::FakeService& service, OAuthSession& session, Options options, int events, int latencyMs)
        : transport(session),
          config(BenchConfig(service)), context{transport, session, diagnostics, prompter, clock, config}
    {
        options.calendars = 10;
        options.events = events;
        options.lists = 10;
        options.tasks = 100;
        service.Reset();
        service.SetLatency(std::chrono::milliseconds(latencyMs));
        std::string error;
        seeded = service.SeedFromJson(SeedDocument(options), error);
        if (!seeded)
            std::fprintf(stderr, "seed refused: %s\n", error.c_str());
        shape = options;
    }

    CountingTransport transport;
    QuietDiagnostics diagnostics;
    NullPrompter prompter;
    FixedClock clock;
    const ServiceConfig config;
    ServiceContext context;
    AppSettings settings;
    NullPassUi ui;
    NullOpener opener;
    CacheFolder folder;
    Options shape;
    bool seeded = false;
};

// F5 over an unchanged account and over one changed event, at 50 ms a round trip.
bool RunIncremental(fake::FakeService& service, OAuthSession& session, const Options& options)
{
    CacheBench bench(service, session, options, 200, kCacheLatencyMs);
    std::unique_ptr<LocalCache> cache = bench.folder.Open();
    if (!bench.seeded || !cache)
        return false;
    LocalStore store;
    NullTreeSink tree;
    LoadPass pass(bench.context, store, bench.settings, tree, bench.ui, bench.opener);
    pass.SetCache(cache.get());
    CountingTransport& transport = bench.transport;
    const Options& shape = bench.shape;

    std::printf("\nPasses over the cache at %d ms a round trip: %d calendars x %d events, %d lists x %d tasks\n",
                kCacheLatencyMs, shape.calendars, shape.events, shape.lists, shape.tasks);
    PrintPass("first pass, into an empty cache", TimePass(pass, service, transport), kCacheLatencyMs);
    std::printf("  %-34s %s\n", "  its cache writes, on the worker", bench.diagnostics.cacheWrites.c_str());
    const Timed unchanged = TimePass(pass, service, transport);
    PrintPass("F5, nothing changed", unchanged, kCacheLatencyMs);
    const fake::DeviceAnswer answer = service.FromAnotherDevice(
        "PATCH", "/calendar/v3/calendars/cal3%40example.com/events/orbevt000610", R"({"summary": "Changed"})");
    if (answer.status != 200) {
        std::fprintf(stderr, "the change was refused: %d %s\n", answer.status, answer.body.c_str());
        return false;
    }
    const Timed changed = TimePass(pass, service, transport);
    PrintPass("F5, one event changed", changed, kCacheLatencyMs);
    std::printf("  %-34s %+7.3f s = %+5.2f RTs, %+3d requests, %+8.1f KB\n", "  the change's extra",
                changed.seconds - unchanged.seconds, (changed.seconds - unchanged.seconds) * 1000.0 / kCacheLatencyMs,
                static_cast<int>(changed.requests) - static_cast<int>(unchanged.requests),
                (static_cast<double>(changed.bytes) - static_cast<double>(unchanged.bytes)) / 1024.0);
    return true;
}

// A full pass of 10,000 events into the cache (its writes timed on the worker), then a start
// from it: the cache read, the store and the rows, up to the rows in the tree.
bool RunStartFromCache(fake::FakeService& service, OAuthSession& session, const Options& options)
{
    CacheBench bench(service, session, options, 1000, 0);
    if (!bench.seeded)
        return false;
    const CacheFolder& folder = bench.folder;
    QuietDiagnostics& diagnostics = bench.diagnostics;
    std::size_t events = 0;
    {
        std::unique_ptr<LocalCache> cache = folder.Open();
        LocalStore store;
        NullTreeSink tree;
        LoadPass pass(bench.context, store, bench.settings, tree, bench.ui, bench.opener);
        pass.SetCache(cache.get());
        pass.FullLoad();
        store.Read([&](const LocalStore::Data& data) {
            for (const CalendarRecord& calendar : data.calendars)
                events += calendar.events.size();
        });
    }
    std::printf("\nA full pass of %zu events into the cache: its writes, on the worker: %s\n", events,
                diagnostics.cacheWrites.c_str());

    constexpr int kRuns = 5;
    std::vector<double> shown;
    std::vector<double> inTree;
    for (int run = 0; run < kRuns; ++run) {
        std::unique_ptr<LocalCache> cache = folder.Open();
        LocalStore store;
#if ORB_BENCH_WITH_TREE
        COrbCalenderDlg window(bench.settings, bench.clock, diagnostics, bench.prompter);
        window.PrepareControls();
        TreeSink& tree = window;
#else
        NullTreeSink tree;
#endif
        LoadPass pass(bench.context, store, bench.settings, tree, bench.ui, bench.opener);
        const auto start = std::chrono::steady_clock::now();
        pass.SetCache(cache.get());
        if (!pass.ShowCached()) {
            std::fprintf(stderr, "nothing cached\n");
            return false;
        }
        shown.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
#if ORB_BENCH_WITH_TREE
        // The rows reach the tree through the window's event queue.
        QCoreApplication::processEvents();
        inTree.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (window.Tree()->GetRootItem()->firstChild == nullptr) {
            std::fprintf(stderr, "no rows reached the tree\n");
            return false;
        }
#endif
    }
    std::sort(shown.begin(), shown.end());
    std::printf("Start to cached rows, %zu events (median of %d): cache read, store and rows built %.1f ms", events,
                kRuns, shown[kRuns / 2]);
    if (!inTree.empty()) {
        std::sort(inTree.begin(), inTree.end());
        std::printf("; in the main window's tree %.1f ms", inTree[kRuns / 2]);
    }
    std::printf("\n");
    return true;
}

// --- The protocols side by side, the stand-in in a process of its own ---

constexpr int kProtocolLatencyMs = 50;
constexpr const char* kListeningPrefix = "orb-fake-service listening on ";
constexpr const char* kControlKeyPrefix = "orb-fake-service control key ";
// A seed of 50 x 200 events takes the stand-in a moment to read.
constexpr int kStandInStartMs = 60000;
constexpr int kGooglesLargestPage = 2500;

// CPU seconds (user + system) another process has used so far, from /proc.
double ProcessCpuSeconds(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    // The command name may hold blanks; the fields after it are plain numbers.
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    // utime and stime are the 14th and 15th fields; the state (3rd) comes first here.
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index >= 14)
            ticks += std::atof(field.c_str());
    }
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

double OwnCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) { return time.tv_sec + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// orb-fake-service as a separate process, seeded from a file, with its control routes.
class StandInProcess
{
public:
    bool Start(const std::string& seedFile, int latencyMs, std::string& why)
    {
        // The program's --page-size also caps what a listing may ask for; Google's own caps
        // (2500 events, 100 tasks) are what the pass meets there.
        const std::vector<std::string> arguments{"--seed",       seedFile,
                                                 "--latency-ms", std::to_string(latencyMs),
                                                 "--page-size",  std::to_string(kGooglesLargestPage)};
        if (!process_.Start(ORB_FAKE_SERVICE_PROGRAM, arguments, why))
            return false;
        std::string line;
        if (!process_.ReadLine(line, kStandInStartMs) || line.rfind(kListeningPrefix, 0) != 0) {
            why = "the stand-in did not say where it listens";
            return false;
        }
        baseUrl_ = line.substr(std::strlen(kListeningPrefix));
        port_ = std::atoi(baseUrl_.substr(baseUrl_.rfind(':') + 1).c_str());
        if (!process_.ReadLine(line, kStandInStartMs) || line.rfind(kControlKeyPrefix, 0) != 0) {
            why = "the stand-in did not give its control key";
            return false;
        }
        key_ = line.substr(std::strlen(kControlKeyPrefix));
        return true;
    }

    // Requests it had in flight at once at most since the last call.
    int TakePeakInFlight()
    {
        httplib::Client control("127.0.0.1", port_);
        control.set_default_headers({{"X-Orb-Control-Key", key_}});
        int peak = -1;
        if (const auto answer = control.Get("/__control/traffic")) {
            Json::Value document;
            std::istringstream body(answer->body);
            Json::CharReaderBuilder reader;
            std::string errors;
            if (Json::parseFromStream(reader, body, &document, &errors))
                peak = document["peakInFlight"].asInt();
        }
        control.Post("/__control/traffic/reset");
        return peak;
    }

    const std::string& BaseUrl() const { return baseUrl_; }
    int Port() const { return port_; }
    pid_t Pid() const { return process_.Pid(); }

private:
    front::ChildProcess process_;
    std::string baseUrl_;
    std::string key_;
    int port_ = 0;
};

// The real transport, keeping when each request left and when its answer was in.
class TimelineTransport : public CurlTransport
{
public:
    using CurlTransport::CurlTransport;

    // The longest chain of requests the pass sent each only after the one before it was
    // answered: the round trips it needs, whatever the latency. Time a request waits inside
    // the transport for a free HTTP/1.1 connection does not show here, so with more listings
    // side by side than connections (--width above 32) the HTTP/1.1 figure is too low.
    int TakeWaves()
    {
        std::lock_guard lock(mutex_);
        std::sort(spans_.begin(), spans_.end());
        std::vector<int> depth(spans_.size(), 1);
        int waves = 0;
        for (std::size_t i = 0; i < spans_.size(); ++i) {
            for (std::size_t j = 0; j < i; ++j) {
                if (spans_[j].second <= spans_[i].first)
                    depth[i] = std::max(depth[i], depth[j] + 1);
            }
            waves = std::max(waves, depth[i]);
        }
        spans_.clear();
        return waves;
    }

protected:
    int Send(const HttpRequest& request, HttpResponse& response) override
    {
        const auto start = std::chrono::steady_clock::now();
        const int code = CurlTransport::Send(request, response);
        const auto end = std::chrono::steady_clock::now();
        std::lock_guard lock(mutex_);
        spans_.emplace_back(start, end);
        return code;
    }

private:
    std::mutex mutex_;
    std::vector<std::pair<std::chrono::steady_clock::time_point, std::chrono::steady_clock::time_point>> spans_;
};

struct ProtocolPass
{
    double seconds = 0;
    int waves = 0;
    long requests = 0;
    long connectionsOpened = 0;
    int connectionsUsed = 0; // client connections that carried the pass's requests
    long overHttp2 = 0;
    int peakInFlight = 0; // at the stand-in
    double clientCpu = 0;
    double standInCpu = 0;
    double frontCpu = 0;
    std::size_t items = 0;
};

struct Protocol
{
    const char* name;
    bool throughFront;
    bool http2;
};

constexpr Protocol kProtocols[] = {
    {"HTTP/1.1 plain", false, false}, {"HTTP/1.1 TLS", true, false}, {"HTTP/2 TLS", true, true}};

ProtocolPass RunProtocolPass(const std::string& base, TimelineTransport& transport, OAuthSession& session,
                             StandInProcess& standIn, front::Http2Front* front, pid_t frontPid, std::size_t width)
{
    QuietDiagnostics diagnostics;
    NullPrompter prompter;
    FixedClock clock;
    ServiceConfig config = ServiceConfig::Defaults();
    config.SetAccountsBase(base);
    config.apiBase = base;
    ServiceContext context{transport, session, diagnostics, prompter, clock, config};
    LocalStore store;
    AppSettings settings;
    NullTreeSink tree;
    NullPassUi ui;
    NullOpener opener;
    LoadPass pass(context, store, settings, tree, ui, opener, width);

    const TransferCounts& counts = transport.Counts();
    const long transfersBefore = counts.transfers;
    const long openedBefore = counts.connectionsOpened;
    const long overHttp2Before = counts.overHttp2;
    standIn.TakePeakInFlight();
    if (front)
        front->TakeTraffic();
    const double standInCpu = ProcessCpuSeconds(standIn.Pid());
    const double frontCpu = front ? ProcessCpuSeconds(frontPid) : 0;
    const double clientCpu = OwnCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    pass.FullLoad();
    ProtocolPass figures;
    figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.clientCpu = OwnCpuSeconds() - clientCpu;
    figures.standInCpu = ProcessCpuSeconds(standIn.Pid()) - standInCpu;
    figures.frontCpu = front ? ProcessCpuSeconds(frontPid) - frontCpu : 0;
    figures.requests = counts.transfers - transfersBefore;
    figures.connectionsOpened = counts.connectionsOpened - openedBefore;
    figures.overHttp2 = counts.overHttp2 - overHttp2Before;
    figures.waves = transport.TakeWaves();
    figures.peakInFlight = standIn.TakePeakInFlight();
    // Over the front, its log tells the client's connections apart; straight to the stand-in,
    // every connection the pass used was one it opened or one kept from before.
    figures.connectionsUsed = front ? front->TakeTraffic(static_cast<int>(figures.requests)).connections : -1;
    store.Read([&](const LocalStore::Data& data) {
        for (const CalendarRecord& calendar : data.calendars)
            figures.items += calendar.events.size();
        for (const TaskListInfo& list : data.taskLists)
            figures.items += list.tasks.size();
    });
    return figures;
}

void PrintProtocolRow(const char* protocol, int size, const char* when, const ProtocolPass& pass, int latency)
{
    const std::string used = pass.connectionsUsed < 0 ? "-" : std::to_string(pass.connectionsUsed);
    const double streams = pass.connectionsUsed > 0 ? static_cast<double>(pass.requests) / pass.connectionsUsed : 0.0;
    std::printf("%-15s %4d %-4s | %7.3f %6.2f %5d | %4ld %5ld %5s %7.1f %4ld %4d | %8.0f %8.0f %8.0f | %6zu\n",
                protocol, size, when, pass.seconds, latency > 0 ? pass.seconds * 1000.0 / latency : 0.0, pass.waves,
                pass.requests, pass.connectionsOpened, used.c_str(), streams, pass.overHttp2, pass.peakInFlight,
                pass.clientCpu * 1000.0, pass.standInCpu * 1000.0, pass.frontCpu * 1000.0, pass.items);
}

bool RunProtocols(Options options)
{
    const int latency = options.latencies.empty() ? kProtocolLatencyMs : options.latencies.back();
    std::printf("\nProtocols side by side at %d ms a round trip, the stand-in in a process of its own; "
                "%d events per calendar, %d tasks per list, %zu listings side by side\n",
                latency, options.events, options.tasks, options.width);
    std::printf("%-15s %4s %-4s | %7s %6s %5s | %4s %5s %5s %7s %4s %4s | %8s %8s %8s | %6s\n", "protocol", "size",
                "pass", "wall s", "RTs", "waves", "req", "opened", "used", "str/con", "h2", "peak", "client ms",
                "stand-in", "front ms", "loaded");
    // Seconds of each protocol's passes by size, for the ratios at the end.
    std::map<std::string, std::map<int, std::pair<double, double>>> seconds;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("orb-bench-protocols-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    for (const int size : options.sizes) {
        options.calendars = size;
        options.lists = size;
        const std::string seedFile = (folder / "seed.json").string();
        std::ofstream(seedFile) << SeedDocument(options);
        StandInProcess standIn;
        front::Http2Front front;
        std::string why;
        if (!standIn.Start(seedFile, latency, why) || !front.Start(standIn.Port(), why)) {
            std::fprintf(stderr, "%s\n", why.c_str());
            std::filesystem::remove_all(folder);
            return false;
        }
        for (const Protocol& protocol : kProtocols) {
            OAuthSession session;
            session.set_tokens("bench", "Bearer");
            session.set_refresh_token("bench-refresh");
            session.set_expires_at(LocalSeconds(FixedClock().Now()) + 3600);
            CurlTransportOptions transportOptions;
            transportOptions.http2 = protocol.http2;
            if (protocol.throughFront) {
                std::string problem;
                if (!ReadCaFile(front.CertificateFile(), transportOptions.extraCertificates, problem)) {
                    std::fprintf(stderr, "%s\n", problem.c_str());
                    return false;
                }
            }
            TimelineTransport transport(session, transportOptions);
            const std::string base = protocol.throughFront ? front.BaseUrl() : standIn.BaseUrl();
            front::Http2Front* seen = protocol.throughFront ? &front : nullptr;
            const ProtocolPass cold =
                RunProtocolPass(base, transport, session, standIn, seen, front.Pid(), options.width);
            const ProtocolPass warm =
                RunProtocolPass(base, transport, session, standIn, seen, front.Pid(), options.width);
            PrintProtocolRow(protocol.name, size, "cold", cold, latency);
            PrintProtocolRow(protocol.name, size, "warm", warm, latency);
            std::fflush(stdout);
            seconds[protocol.name][size] = {cold.seconds, warm.seconds};
        }
    }
    std::filesystem::remove_all(folder);
    if (options.sizes.size() >= 2) {
        const int smallest = *std::min_element(options.sizes.begin(), options.sizes.end());
        const int largest = *std::max_element(options.sizes.begin(), options.sizes.end());
        for (const Protocol& protocol : kProtocols) {
            const auto& bySize = seconds[protocol.name];
            std::printf("%-15s size %d over size %d: cold %.2fx, warm %.2fx\n", protocol.name, largest, smallest,
                        bySize.at(largest).first / bySize.at(smallest).first,
                        bySize.at(largest).second / bySize.at(smallest).second);
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; i += 2) {
        if (!std::strcmp(argv[i], "--new-only")) {
            options.newOnly = true;
            --i;
            continue;
        }
        if (i + 1 == argc) {
            std::fprintf(stderr, "%s needs a value\n", argv[i]);
            return 2;
        }
        if (!std::strcmp(argv[i], "--part"))
            options.part = argv[i + 1];
        else if (!std::strcmp(argv[i], "--events"))
            options.events = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--tasks"))
            options.tasks = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--latencies"))
            options.latencies = bench::NumberList(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--sizes"))
            options.sizes = bench::NumberList(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--width"))
            options.width = static_cast<std::size_t>(std::atoi(argv[i + 1]));
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
    OAuthSession session;
    session.set_tokens("bench", "Bearer");
    session.set_refresh_token("bench-refresh");
    // A token with a known expiry, as every sign-in gives: no token checks in the pass.
    session.set_expires_at(LocalSeconds(FixedClock().Now()) + 3600);

#if ORB_BENCH_WITH_TREE
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
#endif
    if (options.part == "cache")
        return RunIncremental(service, session, options) && RunStartFromCache(service, session, options) ? 0 : 1;
    if (options.part == "protocols")
        return RunProtocols(options) ? 0 : 1;

    std::printf("%d events per calendar, %d tasks per list; stand-in default page %d\n", options.events, options.tasks,
                service.PageSize());
    std::printf("%7s %5s | %9s %9s %6s %7s | %8s %8s | %8s %8s %9s | %5s | %9s %6s\n", "latency", "size", "old s",
                "new s", "ratio", "new RTs", "old req", "new req", "old conn", "new conn", "warm conn", "peak",
                "warm s", "loaded");
    for (const int latency : options.latencies) {
        for (const int size : options.sizes) {
            options.calendars = size;
            options.lists = size;
            std::string error;
            service.Reset();
            if (!service.SeedFromJson(SeedDocument(options), error)) {
                std::fprintf(stderr, "seed refused: %s\n", error.c_str());
                return 1;
            }
            service.SetLatency(std::chrono::milliseconds(latency));

            CurlTransportOptions oldTransport;
            oldTransport.reuseConnections = false;
            CurlTransport before(session, oldTransport);
            const Figures old = options.newOnly ? Figures{} : RunPass(service, before, session, true);
            CurlTransport now(session);
            const Figures cold = RunPass(service, now, session, false);
            const Figures warm = RunPass(service, now, session, false);
            if ((!options.newOnly && (old.events != cold.events || old.tasks != cold.tasks)) ||
                warm.events != cold.events) {
                std::fprintf(stderr, "the two ways loaded different data\n");
                return 1;
            }
            std::printf("%5d ms %5d | %9.3f %9.3f %5.1fx %7s | %8zu %8zu | %8d %8d %9d | %5d | %9.3f %6zu\n", latency,
                        size, old.seconds, cold.seconds, cold.seconds > 0 ? old.seconds / cold.seconds : 0.0,
                        latency > 0 ? std::to_string(cold.seconds * 1000.0 / latency).substr(0, 5).c_str() : "-",
                        old.requests, cold.requests, old.connections, cold.connections, warm.connections,
                        cold.peakInFlight, warm.seconds, cold.events + cold.tasks);
            std::fflush(stdout);
        }
    }
    if (options.part == "all" && !(RunIncremental(service, session, options) &&
                                   RunStartFromCache(service, session, options) && RunProtocols(options)))
        return 1;
    return 0;
}
