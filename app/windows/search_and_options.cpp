#include "app/windows/main_frame.h"
#include "core/ui_text.h"

#include "app/qt_helpers/periodic_sync_timer.h"
#include "app/shell_core/desktop_files.h"
#include "app/windows/event_flows.h"
#include "app/windows/orb_calender_dlg.h"
#include "core/prompter.h"
#include "dialogs/option_dlg.h"
#include "dialogs/search_dlg.h"
#include "service/event_client.h"
#include "service/service_context.h"
#include "treelist/tree_list_ctrl.h"

namespace orb {

void CMainFrame::ShowOptions()
{
    AppSettings& settings = services_.settings;
    COptionDlg dialog(owner_.Choose());
    dialog.values = {settings.U,          settings.P,       settings.KEY,
                     settings.nCal_from,  settings.nCal_to, settings.nTaskViewMode,
                     settings.bAllExpend, settings.bDueHide};
    dialog.values.startWithDesktop = HasAutostartEntry(services_.autostartEntry);
    dialog.values.nSyncMinutes = settings.nSyncMinutes;
    const bool startedWithDesktop = dialog.values.startWithDesktop;
    dialog.values.reminders = settings.bReminders != 0;
    dialog.values.taskReminderTime = settings.nTaskReminderTime;
    if (dialog.exec() != QDialog::Accepted)
        return;
    const OptionValues& chosen = dialog.values;
    const int oldViewMode = settings.nTaskViewMode;
    settings.U = chosen.U;
    settings.P = chosen.P;
    settings.KEY = chosen.KEY;
    settings.nCal_from = chosen.nCal_from;
    settings.nCal_to = chosen.nCal_to;
    settings.nTaskViewMode = chosen.nTaskViewMode;
    settings.bAllExpend = chosen.bAllExpend;
    settings.bDueHide = chosen.bDueHide;
    settings.bReminders = chosen.reminders ? 1 : 0;
    settings.nTaskReminderTime = chosen.taskReminderTime;
    settings.nSyncMinutes = chosen.nSyncMinutes;
    std::string why;
    // Read back only what was written: a failed write would otherwise bring back the old
    // values, key and fonts included.
    if (!SaveSettings(&why))
        services_.context.prompter.ShowMessage(Translated(kSettingsNotSaved) + why);
    else if (!SettingsFile::ReadBack(services_.settingsPath, settings, &why))
        services_.context.prompter.ShowMessage(Translated(kSettingsNotReadBack) + why);
    std::string autostartWhy;
    if (chosen.startWithDesktop != startedWithDesktop &&
        !SetAutostartEntry(services_.autostartEntry, chosen.startWithDesktop, services_.programPath, autostartWhy))
        services_.context.prompter.ShowMessage(Translated(kAutostartNotChanged) + autostartWhy);
    ReconfigurePeriodicSync(this, settings.nSyncMinutes);

    if (!mainWindow_)
        return;
    mainWindow_->Tree()->SetDueHide(settings.bDueHide != 0);
    if (settings.nTaskViewMode != oldViewMode && !(loadPass_ && loadPass_->IsBusy()))
        mainWindow_->RebuildTaskBranch();
}

void CMainFrame::ShowSearch()
{
    if (!mainWindow_)
        return;
    CSearchDlg dialog(owner_.Choose());
    mainWindow_->Store().Read([&](const LocalStore::Data& data) {
        for (const CalendarRecord& calendar : data.calendars) {
            if (IsSelected(calendar))
                dialog.calendars.push_back({calendar.id, calendar.summary, calendar.backgroundColor});
        }
    });
    ServiceContext& context = services_.context;
    dialog.search = [&context](const std::string& calendarId, const std::string& text) {
        SearchAnswer answer;
        answer.complete = SearchEvents(context, calendarId, text, answer.events, &answer.failure);
        return answer;
    };
    dialog.pool = &searchPool_;
    // Edited like a row of the tree, above the dialog; the row then shows the change.
    connect(&dialog, &CSearchDlg::editEventRequested, &dialog,
            [this, &dialog](const std::string& calendarId, const EventRecord& found) {
                if (!eventFlows_ || !waitDialog_)
                    return;
                if (const auto edited = eventFlows_->EditFoundEvent(&dialog, *waitDialog_, calendarId, found))
                    dialog.EventChanged(calendarId, *edited);
            });
    dialog.exec();
}

} // namespace orb
