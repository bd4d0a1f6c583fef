#include "app/shell_core/login_page_protocol.h"

#include <sstream>

namespace orb {

namespace {

constexpr const char* kApprovedLine = "approved\n";

// The fields the consent and approval addresses are made of, in the order written.
struct RequestField
{
    const char* key;
    std::string ServiceConfig::*field;
};
constexpr RequestField kFields[] = {
    {"accountsBase", &ServiceConfig::accountsBase}, {"apiBase", &ServiceConfig::apiBase},
    {"authUri", &ServiceConfig::authUri},           {"clientId", &ServiceConfig::clientId},
    {"redirectUri", &ServiceConfig::redirectUri},
};

bool HasLineBreak(const std::string& text)
{
    return text.find_first_of("\r\n") != std::string::npos;
}

} // namespace

std::string LoginPageRequest(const ServiceConfig& config)
{
    std::string request;
    for (const RequestField& f : kFields) {
        // The settings reader never gives a line break; one here would forge another key.
        request += std::string(f.key) + "=";
        if (!HasLineBreak(config.*f.field))
            request += config.*f.field;
        request += "\n";
    }
    return request + "\n";
}

std::optional<ServiceConfig> ReadLoginPageRequest(const std::string& text)
{
    ServiceConfig config = ServiceConfig::Defaults();
    std::istringstream lines(text);
    std::string line;
    for (const RequestField& f : kFields) {
        const std::string prefix = std::string(f.key) + "=";
        if (!std::getline(lines, line) || line.compare(0, prefix.size(), prefix) != 0)
            return std::nullopt;
        config.*f.field = line.substr(prefix.size());
    }
    if (!std::getline(lines, line) || !line.empty())
        return std::nullopt;
    return config;
}

std::string LoginPageAnswer(const std::string& code)
{
    return kApprovedLine + code;
}

LoginPageOutcome ReadLoginPageOutcome(bool crashed, int exitCode, const std::string& output)
{
    const std::string approved = kApprovedLine;
    if (crashed)
        return {};
    if (exitCode == 0 && output.compare(0, approved.size(), approved) == 0)
        return {LoginPageEnd::Approved, output.substr(approved.size())};
    if (exitCode == kLoginPageClosedExit)
        return {LoginPageEnd::Closed, {}};
    return {};
}

} // namespace orb
