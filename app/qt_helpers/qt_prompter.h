#pragma once

#include "core/prompter.h"

#include <functional>
#include <string>

class QWidget;

namespace orb {

class DialogOwner;

// Message boxes on the user-interface thread; a worker that asks waits for the answer.
// Each box opens over the window the user acted in, as `owner` tells when asked; without
// one, on the screen. Texts are shown as they are, never as markup (they may come from the
// service), and a long one is cut.
class QtPrompter : public Prompter
{
public:
    static constexpr std::size_t kLongestText = 2000;

    explicit QtPrompter(const DialogOwner* owner = nullptr) : owner_(owner) {}
    void SetOwner(const DialogOwner* owner) { owner_ = owner; }
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;

private:
    QWidget* Owner() const; // on the user-interface thread
    const DialogOwner* owner_;
};

// Runs `work` on the user-interface thread and waits for it when called from another one.
void RunOnUiThread(const std::function<void()>& work);

} // namespace orb
