#pragma once

#include "service/service_context.h"

#include <optional>
#include <string>

namespace orb {

// The embedded login page runs in a process of its own (orbcalender-login-page), so the
// program never loads the web engine it needs. The program writes the request on the
// helper's standard input and keeps it open: the helper ends when it closes. The helper
// answers on standard output and by its exit code.

// The addresses the page needs, one "key=value" line each, ended by an empty line.
std::string LoginPageRequest(const ServiceConfig& config);
// The request read back into a configuration; nothing when it is not a whole request.
std::optional<ServiceConfig> ReadLoginPageRequest(const std::string& text);

// What the helper's exit says.
enum class LoginPageEnd
{
    Approved, // reached the approval page; `code` holds what its title carried
    Closed,   // the user closed the page
    Failed,   // it crashed, or ended in a way it never does by itself
};

constexpr int kLoginPageClosedExit = 1;
constexpr int kLoginPageBadRequestExit = 2;
constexpr int kLoginPageAnswerLostExit = 3;

// The approval's answer on standard output: a marker line, then the code's bytes as they
// are (a title may hold any text).
std::string LoginPageAnswer(const std::string& code);

struct LoginPageOutcome
{
    LoginPageEnd end = LoginPageEnd::Failed;
    std::string code;
};
LoginPageOutcome ReadLoginPageOutcome(bool crashed, int exitCode, const std::string& output);

} // namespace orb
