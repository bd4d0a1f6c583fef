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

bool EditRunner::Run(CWaitDlg& wait, const std::function<void()>& call)
{
    if (!pass_.BeginEdit()) {
        diagnostics_.WriteLine(kRefusedLine);
        return false;
    }
    wait.RunWhileWaiting(call);
    pass_.EndEdit();
    if (onEnded)
        onEnded();
    return true;
}

} // namespace orb
