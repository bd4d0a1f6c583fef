#include "tests/support/doubles.h"

namespace orb::test {

int ScriptedTransport::Send(const HttpRequest& request, HttpResponse& response)
{
    requests.push_back(request);
    if (answers_.empty()) {
        response.status = 200;
        return kHttpCompleted;
    }
    ScriptedAnswer answer = std::move(answers_.front());
    answers_.pop_front();
    response.status = answer.status;
    response.body = std::move(answer.body);
    response.retryAfterSeconds = answer.retryAfterSeconds;
    return answer.result;
}

ScriptedServiceContext::ScriptedServiceContext()
    : config{"https://accounts.test",
             "https://api.test",
             "client-id",
             "client-secret",
             "urn:test:redirect",
             "",
             "https://accounts.test/o/oauth2/auth",
             "https://accounts.test/o/oauth2/token"},
      transport(session), context{transport, session, diagnostics, prompter, clock, config}
{
    session.set_tokens("access-1", "Bearer");
    session.set_refresh_token("refresh-1");
}

} // namespace orb::test
