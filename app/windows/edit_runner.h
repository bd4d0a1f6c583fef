#pragma once

#include "core/shorten_text.h"

#include <functional>
#include <string>

namespace orb {

class CWaitDlg;
class Diagnostics;
class LoadPass;

// The one way every edit reaches the service: refused while a load pass or another edit
// runs; the call works off the user-interface thread behind a wait window that keeps
// painting; Exit and Logout see the edit as busy until it ends. The caller applies the
// answer afterwards, on the user-interface thread.
class EditRunner
{
public:
    EditRunner(LoadPass& pass, Diagnostics& diagnostics) : pass_(pass), diagnostics_(diagnostics) {}

    // False, with nothing sent and one diagnostics line, when busy. `waitMessage`, when
    // given, is the wait window's message line while the call runs.
    bool Run(CWaitDlg& wait, const std::function<void()>& call, const std::string& waitMessage = {});
    // The same refusal before any editor is shown: true (and the line) while busy.
    bool RefuseWhileBusy();

    // Runs once an edit has ended (an Exit asked for during it goes ahead then).
    std::function<void()> onEnded;

    static constexpr const char* kRefusedLine = "Edit refused: a load or another edit is running";
    // Written once an edit's wait has ended and the program is idle again.
    static constexpr const char* kWaitEndedLine = "Thread Exit";

private:
    LoadPass& pass_;
    Diagnostics& diagnostics_;
};

} // namespace orb
