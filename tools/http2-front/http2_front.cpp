#include "tools/http2-front/http2_front.h"

#include "tools/fake-service/self_signed_certificate.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace orb::front {

namespace {

constexpr const char* kProgram = "nghttpx";
constexpr auto kStartTime = std::chrono::seconds(10);
constexpr auto kStartPoll = std::chrono::milliseconds(20);
constexpr auto kLogPatience = std::chrono::seconds(3);
// One line per request: the client's port tells its connection apart, ALPN its protocol.
constexpr const char* kLogFormat = "$remote_port $alpn $status";

} // namespace

Http2Front::~Http2Front()
{
    Stop();
}

bool Http2Front::Start(int backendPort, std::string& why)
{
    folder_ = (std::filesystem::temp_directory_path() /
               ("orb-http2-front-" + std::to_string(::getpid()) + "-" + std::to_string(backendPort)))
                  .string();
    std::error_code failed;
    std::filesystem::remove_all(folder_, failed);
    std::filesystem::create_directories(folder_, failed);
    if (failed) {
        why = "cannot make " + folder_ + ": " + failed.message();
        return false;
    }
    fake::TlsFiles files;
    if (!fake::WriteSelfSignedCertificate(folder_, files, why))
        return false;
    certificate_ = files.certificate;
    accessLog_ = folder_ + "/access.log";
    logRead_ = 0;

    // The port is free now; another program taking it before nghttpx does is retried.
    for (int attempt = 0; attempt < 3; ++attempt) {
        port_ = FreeLoopbackPort();
        const std::vector<std::string> arguments{
            "--conf=/dev/null", // never the system's configuration
            "--single-process",
            "--workers=1",
            "--frontend=127.0.0.1," + std::to_string(port_),
            "--backend=127.0.0.1," + std::to_string(backendPort) + ";;proto=http/1.1",
            "--backend-connections-per-frontend=" + std::to_string(kBackendConnections),
            "--no-ocsp",
            "--no-via",
            "--accesslog-file=" + accessLog_,
            "--accesslog-format=" + std::string(kLogFormat),
            "--errorlog-file=" + folder_ + "/error.log",
            files.privateKey,
            files.certificate};
        if (!process_.Start(kProgram, arguments, why))
            return false;
        const auto deadline = std::chrono::steady_clock::now() + kStartTime;
        while (process_.Running() && std::chrono::steady_clock::now() < deadline) {
            if (Accepts(port_))
                return true;
            std::this_thread::sleep_for(kStartPoll);
        }
        process_.Stop();
    }
    std::ifstream errors(folder_ + "/error.log");
    std::stringstream text;
    text << errors.rdbuf();
    why = "nghttpx did not come up: " + text.str();
    return false;
}

void Http2Front::Stop()
{
    process_.Stop();
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        folder_.clear();
    }
}

FrontTraffic Http2Front::TakeTraffic(int expectedRequests)
{
    const auto deadline = std::chrono::steady_clock::now() + kLogPatience;
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream counting(accessLog_, std::ios::binary);
        counting.seekg(static_cast<std::streamoff>(logRead_));
        const std::string rest((std::istreambuf_iterator<char>(counting)), {});
        if (std::count(rest.begin(), rest.end(), '\n') >= expectedRequests)
            break;
        std::this_thread::sleep_for(kStartPoll);
    }
    std::ifstream log(accessLog_, std::ios::binary);
    log.seekg(static_cast<std::streamoff>(logRead_));
    FrontTraffic traffic;
    std::set<std::string> ports;
    std::string line;
    while (std::getline(log, line)) {
        if (log.eof())
            break; // a line still being written
        logRead_ += line.size() + 1;
        std::istringstream fields(line);
        std::string port;
        std::string alpn;
        fields >> port >> alpn;
        ++traffic.requests;
        ports.insert(port);
        if (alpn == "h2")
            ++traffic.http2Requests;
        else if (alpn == "http/1.1")
            ++traffic.http11Requests;
    }
    traffic.connections = static_cast<int>(ports.size());
    return traffic;
}

} // namespace orb::front
