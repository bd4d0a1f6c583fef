#pragma once

#include "core/prompter.h"

#include <functional>
#include <string>

class QWidget;

namespace orb {

// Message boxes on the user-interface thread; a worker that asks waits for the answer.
// Texts are shown as they are, never as markup (they may come from the service), and a
// long one is cut.
class QtPrompter : public Prompter
{
public:
    static constexpr std::size_t kLongestText = 2000;

    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;

private:
    QWidget* parent_;
};

// Runs `work` on the user-interface thread and waits for it when called from another one.
void RunOnUiThread(const std::function<void()>& work);

} // namespace orb
