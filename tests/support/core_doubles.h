#pragma once

#include "core/clock.h"
#include "core/diagnostics.h"
#include "core/prompter.h"
#include "core/url_opener.h"

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

} // namespace orb::test
