// orb-fake-service: serves the local stand-in for the Google services on 127.0.0.1 until
// SIGINT or SIGTERM.

#include "core/atomic_file.h"
#include "tools/fake-service/fake_service.h"

#include <charconv>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <pthread.h>
#include <sstream>
#include <string>

namespace {

constexpr int kExitBadArguments = 2;
constexpr int kExitCannotStart = 1;
constexpr long long kHighestPort = 65535;
// Appended to the state file's name: the key of the running service, for scripts that drive it.
constexpr const char* kControlKeySuffix = ".control-key";

constexpr const char* kUsage = "usage: orb-fake-service [--port N] [--seed FILE] [--state FILE] [--page-size N]\n"
                               "                        [--latency-ms N] [--tls-cert FILE --tls-key FILE]\n"
                               "                        [--token-lifetime SECONDS] [--strict]\n"
                               "Serves the stand-in for the Google OAuth, Calendar and Tasks services on 127.0.0.1\n"
                               "(port 0, the default, picks a free one) until interrupted.\n";

struct Options
{
    int port = 0;
    std::string seedFile;
    std::string stateFile;
    int pageSize = orb::fake::kDefaultPageSize;
    long long latencyMs = 0;
    orb::fake::TlsFiles tls;
    std::optional<long long> tokenLifetime;
    bool strict = false;
};

bool ReadNumber(const std::string& text, long long lowest, long long highest, long long& number)
{
    const char* end = text.data() + text.size();
    auto [stop, status] = std::from_chars(text.data(), end, number);
    return !text.empty() && status == std::errc() && stop == end && number >= lowest && number <= highest;
}

// Empty when the arguments make sense; otherwise what is wrong with them.
std::string ReadOptions(int argc, char** argv, Options& options, bool& help)
{
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            help = true;
            return {};
        }
        if (name == "--strict") {
            options.strict = true;
            continue;
        }
        if (i + 1 >= argc) {
            return name.rfind("--", 0) == 0 ? name + " needs a value" : "unknown argument " + name;
        }
        std::string value = argv[++i];
        long long number = 0;
        if (name == "--port") {
            if (!ReadNumber(value, 0, kHighestPort, number)) {
                return "--port needs a number from 0 to 65535, not " + value;
            }
            options.port = static_cast<int>(number);
        } else if (name == "--page-size") {
            if (!ReadNumber(value, 1, INT32_MAX, number)) {
                return "--page-size needs a whole number of at least 1, not " + value;
            }
            options.pageSize = static_cast<int>(number);
        } else if (name == "--latency-ms") {
            if (!ReadNumber(value, 0, INT32_MAX, number)) {
                return "--latency-ms needs a whole number of at least 0, not " + value;
            }
            options.latencyMs = number;
        } else if (name == "--token-lifetime") {
            if (!ReadNumber(value, 0, orb::fake::kLongestTokenLifetime.count(), number)) {
                return "--token-lifetime needs a whole number of seconds of at least 0, not " + value;
            }
            options.tokenLifetime = number;
        } else if (name == "--seed") {
            options.seedFile = value;
        } else if (name == "--state") {
            options.stateFile = value;
        } else if (name == "--tls-cert") {
            options.tls.certificate = value;
        } else if (name == "--tls-key") {
            options.tls.privateKey = value;
        } else {
            return "unknown argument " + name;
        }
    }
    if (options.tls.certificate.empty() != options.tls.privateKey.empty()) {
        return "--tls-cert and --tls-key go together";
    }
    return {};
}

bool ReadFile(const std::string& path, std::string& text)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    std::ostringstream content;
    content << file.rdbuf();
    text = content.str();
    return !file.bad();
}

int Fail(int code, const std::string& message)
{
    std::cerr << "orb-fake-service: " << message << "\n";
    if (code == kExitBadArguments) {
        std::cerr << kUsage;
    }
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    bool help = false;
    std::string problem = ReadOptions(argc, argv, options, help);
    if (help) {
        std::cout << kUsage;
        return 0;
    }
    if (!problem.empty()) {
        return Fail(kExitBadArguments, problem);
    }

    orb::fake::FakeService service;
    service.SetPageSize(options.pageSize);
    service.SetLatency(std::chrono::milliseconds(options.latencyMs));
    // Set before the seed so that its tokens get the lifetime, and again after it so that the options win.
    auto applyTokenOptions = [&] {
        if (options.tokenLifetime) {
            service.SetTokenLifetime(std::chrono::seconds(*options.tokenLifetime));
        }
        if (options.strict) {
            service.SetStrict(true);
        }
    };
    applyTokenOptions();
    // A state file kept from an earlier run replaces the seed. Otherwise the seed goes first, so
    // that a refused seed leaves no state file behind.
    std::error_code ignored;
    const bool resuming = !options.stateFile.empty() && std::filesystem::exists(options.stateFile, ignored);
    if (!options.seedFile.empty() && !resuming) {
        std::string text;
        if (!ReadFile(options.seedFile, text)) {
            return Fail(kExitBadArguments,
                        "cannot read the seed file " + options.seedFile + ": " + std::strerror(errno));
        }
        std::string error;
        if (!service.SeedFromJson(text, error)) {
            return Fail(kExitBadArguments, "the seed file " + options.seedFile + ": " + error);
        }
    }
    if (!options.stateFile.empty()) {
        std::string error;
        if (!service.SetStateFile(options.stateFile, error)) {
            return Fail(kExitBadArguments, error);
        }
    }
    applyTokenOptions();

    // The signals are taken by sigwait below, so every thread the service starts must
    // leave them blocked.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    if (!service.Start(options.port, options.tls)) {
        std::cerr << "orb-fake-service: " << service.StartError() << "\n";
        return kExitCannotStart;
    }
    // Written before the lines go out, so a script that waits for them finds the file.
    if (!options.stateFile.empty()) {
        std::string error;
        if (!orb::WriteFileAtomically(options.stateFile + kControlKeySuffix, service.ControlKey() + "\n", error)) {
            service.Stop();
            return Fail(kExitBadArguments, error);
        }
    }
    std::cout << "orb-fake-service listening on " << service.BaseUrl() << "\n"
              << "orb-fake-service control key " << service.ControlKey() << std::endl;

    int received = 0;
    sigwait(&stopSignals, &received);
    service.Stop();
    return 0;
}
