#include "app/windows/edit_runner.h"

#include "app/shell_core/load_pass.h"
#include "app/wait_window/wait_dlg.h"
#include "core/diagnostics.h"

namespace orb {

bool EditRunner::RefuseWhileBusy()
{
    if (!pass_.IsBusy())
        return false;
    diagnostics_.WriteLine(kRefusedLine);
    return true;
}

bool EditRunner::Run(CWaitDlg& wait, const std::function<void()>& call, const std::string& waitMessage)
{
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

} // namespace orb
