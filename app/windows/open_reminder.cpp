#include "app/windows/main_frame.h"

#include "app/notifications/reminder_driver.h"
#include "app/windows/event_flows.h"
#include "app/windows/orb_calender_dlg.h"

namespace orb {

void CMainFrame::OpenReminder(const Reminder& reminder)
{
    if (exiting_ || !mainWindow_ || !eventFlows_ || !waitDialog_)
        return;
    if (reminder.kind == ReminderKind::Event) {
        // Over the window the user last used, or on the screen when only the tray is there.
        eventFlows_->EditEvent(owner_.Choose(), *waitDialog_, reminder.ownerId, reminder.itemId);
        return;
    }
    ShowTreeView();
    mainWindow_->RevealTask(reminder.itemId);
}

} // namespace orb
