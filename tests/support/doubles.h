#pragma once

#include "service/clock.h"
#include "service/diagnostics.h"
#include "service/http.h"
#include "service/oauth.h"
#include "service/prompter.h"
#include "service/service_context.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace orb::test {

class FixedClock : public Clock
{
public:
    explicit FixedClock(LocalDateTime now = {2026, 12, 8, 9, 30, 0}) : now_(now) {}
    LocalDateTime Now() const override { return now_; }
    void Set(LocalDateTime now) { now_ = now; }

private:
    LocalDateTime now_;
};

class RecordingDiagnostics : public Diagnostics
{
public:
    void WriteLine(const std::string& line) override;
    std::vector<std::string> Lines() const;
    bool Contains(const std::string& part) const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

// Records every message; answers questions from a queue (an unscripted question is
// answered No and counted, so a test can tell it was asked).
class ScriptedPrompter : public Prompter
{
public:
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    void QueueAnswer(bool yes) { answers_.push_back(yes); }

    std::vector<std::string> messages;
    std::vector<std::string> questions;

private:
    std::deque<bool> answers_;
};

class RecordingUrlOpener : public UrlOpener
{
public:
    void Open(const std::string& url) override { opened.push_back(url); }
    std::vector<std::string> opened;
};

struct ScriptedAnswer
{
    int result = kHttpCompleted;
    int status = 200;
    std::string body;
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
