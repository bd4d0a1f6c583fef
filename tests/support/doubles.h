#pragma once

#include "core/prompter.h"
#include "core/url_opener.h"
#include "service/http.h"
#include "service/oauth.h"
#include "service/service_context.h"
#include "tests/support/core_doubles.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace orb::test {

struct ScriptedAnswer
{
    int result = kHttpCompleted;
    int status = 200;
    std::string body;
    int retryAfterSeconds = -1;
};

// Records requests byte for byte and answers them from a queue; with the queue empty it
// answers 200 with an empty body.
class ScriptedTransport : public HttpTransport
{
public:
    explicit ScriptedTransport(const OAuthSession& session) : HttpTransport(session) {}
    void Queue(ScriptedAnswer answer) { answers_.push_back(std::move(answer)); }
    void Queue(const std::string& body, int status = 200) { answers_.push_back({kHttpCompleted, status, body}); }
    void QueueFailure(int code) { answers_.push_back({code, 0, {}}); }

    std::vector<HttpRequest> requests;

protected:
    int Send(const HttpRequest& request, HttpResponse& response) override;

private:
    std::deque<ScriptedAnswer> answers_;
};

// A listing's target without the member selector every listing ends with, for tests about
// the rest of it.
inline std::string WithoutSelector(const std::string& target)
{
    const std::size_t at = target.find("fields=");
    return at == std::string::npos || at == 0 ? target : target.substr(0, at - 1);
}

// One of every seam, wired into a ServiceContext over a scripted transport.
struct ScriptedServiceContext
{
    ScriptedServiceContext();

    OAuthSession session;
    RecordingDiagnostics diagnostics;
    ScriptedPrompter prompter;
    FixedClock clock;
    ServiceConfig config;
    ScriptedTransport transport;
    ServiceContext context;
};

} // namespace orb::test
