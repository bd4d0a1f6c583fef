#pragma once

#include "app/shell_core/load_pass.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace orb::test {

// Keeps what the tree is told, as "rows:<branch>: <id> <id> ..." and "clear", and the
// rows each branch was last told to show.
class RecordingTreeSink : public TreeSink
{
public:
    void UpdateBranchRows(const std::string& branch, std::vector<TreeRow> rows) override
    {
        std::string line = "rows:" + branch + ":";
        for (const TreeRow& row : rows)
            line += " " + row.texts[kIdColumn];
        Log(line);
        std::lock_guard lock(mutex_);
        shown_[branch] = std::move(rows);
    }
    void RemoveAllRows() override
    {
        Log("clear");
        std::lock_guard lock(mutex_);
        shown_.clear();
    }

    std::map<std::string, std::vector<TreeRow>> Shown() const
    {
        std::lock_guard lock(mutex_);
        return shown_;
    }

    std::vector<std::string> Entries() const
    {
        std::lock_guard lock(mutex_);
        return entries_;
    }

private:
    void Log(const std::string& entry)
    {
        std::lock_guard lock(mutex_);
        entries_.push_back(entry);
    }

    mutable std::mutex mutex_;
    std::vector<std::string> entries_;
    std::map<std::string, std::vector<TreeRow>> shown_;
};

class ScriptedPassUi : public PassUi
{
public:
    bool IsMainWindowVisible() override { return mainVisible; }
    bool IsCalendarWindowVisible() override { return calendarVisible; }
    void ShowLoadingOverlay() override { Log("overlay+"); }
    void HideLoadingOverlay() override { Log("overlay-"); }
    void ShowCalendarOverlay() override { Log("calendar-overlay+"); }
    void HideCalendarOverlay() override { Log("calendar-overlay-"); }
    void RepaintMonthView() override { Log("repaint"); }
    void HideWindows() override
    {
        mainVisible = calendarVisible = false;
        Log("hide");
    }
    bool ShowLoginPage(SignInGrant& grant, std::string&) override
    {
        Log("login");
        grant.code = loginCode;
        return loginAccepted;
    }
    void PostExit() override { Log("exit"); }
    void ShowPassProblem(const PassProblem& shown) override
    {
        std::lock_guard lock(mutex_);
        problem = shown.line;
        problemDetails = shown.details;
    }

    std::string problem = "never set"; // under mutex_
    std::string problemDetails;        // under mutex_

    std::vector<std::string> Calls() const
    {
        std::lock_guard lock(mutex_);
        return calls_;
    }

    std::atomic<bool> mainVisible = true;
    std::atomic<bool> calendarVisible = false;
    bool loginAccepted = true;
    std::string loginCode;

private:
    void Log(const std::string& call)
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(call);
    }

    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
};

} // namespace orb::test
