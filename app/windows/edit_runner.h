#pragma once

#include "core/shorten_text.h"
#include "core/ui_text.h"

#include <functional>
#include <string>

namespace orb {

class CWaitDlg;
class Diagnostics;
class LocalCache;
struct CacheResult;
class LoadPass;
class Prompter;

// The one way every edit reaches the service: refused while a load pass or another edit
// runs, and while the service cannot be reached (nothing is queued to send later); the
// call works off the user-interface thread behind a wait window that keeps painting; Exit
// and Logout see the edit as busy until it ends. The caller applies the answer afterwards,
// on the user-interface thread.
class EditRunner
{
public:
    EditRunner(LoadPass& pass, Diagnostics& diagnostics, Prompter& prompter)
        : pass_(pass), diagnostics_(diagnostics), prompter_(prompter)
    {}

    // False, with nothing sent, when refused: busy (one diagnostics line) or offline (the
    // user is told). `waitMessage`, when given, is the wait window's message line while
    // the call runs.
    bool Run(CWaitDlg& wait, const std::function<void()>& call, const std::string& waitMessage = {});
    // The same refusal before any editor is shown: true when refused.
    bool RefuseWhileBusy();

    // Writes an accepted change through to the cache, when there is one for the account; a
    // failure is one diagnostics line (the next pass writes the listing anyway).
    void WriteThrough(const std::function<CacheResult(LocalCache&)>& write);

    // Runs once an edit has ended (an Exit asked for during it goes ahead then).
    std::function<void()> onEnded;

    static constexpr const char* kRefusedLine = "Edit refused: a load or another edit is running";
    static constexpr const char* kCacheNotWrittenLine = "Cache : change not written : ";
    static constexpr const char* kOfflineMessage =
        ORB_TEXT("OrbCalender",
                 "You are offline: this change cannot be sent now. The data shown is from the last successful sync.");
    // Written once an edit's wait has ended and the program is idle again.
    static constexpr const char* kWaitEndedLine = "Thread Exit";

private:
    LoadPass& pass_;
    Diagnostics& diagnostics_;
    Prompter& prompter_;
};

} // namespace orb
