#include "tests/support/core_doubles.h"

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

} // namespace orb::test
