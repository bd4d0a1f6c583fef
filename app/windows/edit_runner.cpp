#include "app/windows/edit_runner.h"

#include "app/shell_core/load_pass.h"
#include "app/wait_window/wait_dlg.h"
#include "core/diagnostics.h"
#include "core/prompter.h"
#include "core/ui_text.h"

namespace orb {

bool EditRunner::RefuseWhileBusy()
{
    if (pass_.IsBusy()) {
        diagnostics_.WriteLine(kRefusedLine);
        return true;
    }
    if (pass_.IsOffline()) {
        prompter_.ShowMessage(Translated(kOfflineMessage));
        return true;
    }
    return false;
}

bool EditRunner::Run(CWaitDlg& wait, const std::function<void()>& call, const std::string& waitMessage)
{
    if (!pass_.IsBusy() && pass_.IsOffline()) {
        prompter_.ShowMessage(Translated(kOfflineMessage));
        return false;
    }
    if (!pass_.BeginEdit()) {
        diagnostics_.WriteLine(kRefusedLine);
        return false;
    }
    const std::string previousMessage = wait.WaitMessage();
    if (!waitMessage.empty())
        wait.SetWaitMessage(waitMessage);
    wait.RunWhileWaiting(call);
    wait.SetWaitMessage(previousMessage);
    pass_.EndEdit();
    diagnostics_.WriteLine(kWaitEndedLine);
    if (onEnded)
        onEnded();
    return true;
}

void EditRunner::WriteThrough(const std::function<CacheResult(LocalCache&)>& write)
{
    LocalCache* cache = pass_.WritableCache();
    if (!cache)
        return;
    const CacheResult result = write(*cache);
    if (!result.ok)
        diagnostics_.WriteLine(kCacheNotWrittenLine + result.failure);
}

} // namespace orb
