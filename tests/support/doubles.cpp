#include "tests/support/doubles.h"

namespace orb::test {

void RecordingDiagnostics::WriteLine(const std::string& line)
{
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
}

std::vector<std::string> RecordingDiagnostics::Lines() const
{
    std::lock_guard lock(mutex_);
    return lines_;
}

bool RecordingDiagnostics::Contains(const std::string& part) const
{
    std::lock_guard lock(mutex_);
    for (const std::string& line : lines_) {
        if (line.find(part) != std::string::npos)
            return true;
    }
    return false;
}

void ScriptedPrompter::ShowMessage(const std::string& text)
{
    messages.push_back(text);
}

bool ScriptedPrompter::AskYesNo(const std::string& text)
{
    questions.push_back(text);
    if (answers_.empty())
        return false;
    const bool answer = answers_.front();
    answers_.pop_front();
    return answer;
}

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
    return answer.result;
}

ScriptedServiceContext::ScriptedServiceContext()
    : config{"https://accounts.test", "https://api.test", "client-id", "client-secret", "urn:test:redirect", ""},
      transport(session), context{transport, session, diagnostics, prompter, clock, config}
{
    session.set_tokens("access-1", "Bearer");
    session.set_refresh_token("refresh-1");
}

} // namespace orb::test
