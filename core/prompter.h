#pragma once

#include <string>

namespace orb {

// Message boxes and Yes/No questions. The window version marshals to the UI thread and
// blocks the caller until the user answers; tests queue the answers.
class Prompter
{
public:
    virtual ~Prompter() = default;
    virtual void ShowMessage(const std::string& text) = 0;
    virtual bool AskYesNo(const std::string& text) = 0;
};

} // namespace orb
