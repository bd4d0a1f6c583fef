#include "app/windows/event_flows.h"

#include "app/shell_core/store.h"
#include "app/windows/edit_runner.h"
#include "cache/local_cache.h"
#include "calendarview/orb_calendar_ctrl.h"
#include "core/color_ref.h"
#include "core/diagnostics.h"
#include "core/prompter.h"
#include "core/ui_text.h"
#include "dialogs/event_dlg.h"
#include "dialogs/insert_cal_dlg.h"
#include "dialogs/insert_event_dlg.h"
#include "service/calendar_client.h"
#include "service/event_client.h"
#include "service/service_context.h"

#include <algorithm>

namespace orb {

namespace {

// The calendars the editor offers, in store order, copied out of the store.
struct OfferedCalendar
{
    std::string id;
    std::string summary;
    std::string backgroundColor;
    std::string timeZone;
    std::string accessRole;
};

std::vector<OfferedCalendar> OfferedCalendars(const LocalStore& store)
{
    std::vector<OfferedCalendar> offered;
    store.Read([&](const LocalStore::Data& data) {
        for (const CalendarRecord& calendar : data.calendars) {
            if (IsSelected(calendar))
                offered.push_back(
                    {calendar.id, calendar.summary, calendar.backgroundColor, calendar.timeZone, calendar.accessRole});
        }
    });
    return offered;
}

int IndexOf(const std::vector<OfferedCalendar>& offered, const std::string& calendarId)
{
    const auto found = std::find_if(offered.begin(), offered.end(),
                                    [&](const OfferedCalendar& calendar) { return calendar.id == calendarId; });
    return found == offered.end() ? -1 : static_cast<int>(found - offered.begin());
}

void Offer(CInsertEventDlg& editor, const std::vector<OfferedCalendar>& offered)
{
    for (const OfferedCalendar& calendar : offered) {
        editor.calendarNames.push_back(calendar.summary);
        editor.calendarColours.push_back(ColorRefFromText(calendar.backgroundColor));
        editor.startTimeZones.push_back(calendar.timeZone);
        editor.endTimeZones.push_back(calendar.timeZone);
    }
}

// An event as the editors need it, copied out under the store's lock.
struct EventCopy
{
    EventRecord event;
    std::string accessRole;
    std::string calendarColour;
};

// Without the event in the store, `found` (when given) stands in for it, with its
// calendar's role and colour; `held` says which it was.
bool CopyEvent(const LocalStore& store, const std::string& calendarId, const std::string& eventId, EventCopy& copy,
               const EventRecord* found = nullptr, bool* held = nullptr)
{
    return store.Read([&](const LocalStore::Data& data) {
        for (const CalendarRecord& calendar : data.calendars) {
            if (calendar.id != calendarId)
                continue;
            for (const EventRecord& event : calendar.events) {
                if (event.id == eventId) {
                    copy = {event, calendar.accessRole, calendar.backgroundColor};
                    if (held)
                        *held = true;
                    return true;
                }
            }
            if (found) {
                copy = {*found, calendar.accessRole, calendar.backgroundColor};
                if (held)
                    *held = false;
                return true;
            }
        }
        return false;
    });
}

} // namespace

EventFlows::EventFlows(ServiceContext& context, LocalStore& store, EditRunner& runner)
    : context_(context), store_(store), runner_(runner)
{}

void EventFlows::Report(const EditResult& result, const char* refusedPrefix)
{
    if (result.outcome == EditOutcome::Refused)
        context_.prompter.ShowMessage(Translated(refusedPrefix) + result.message);
    else if (result.outcome == EditOutcome::Failed)
        context_.prompter.ShowMessage(result.message);
}

bool EventFlows::StoreEvent(const std::string& calendarId, const std::string& replacedId, EventRecord written)
{
    EventRecord cached;
    const bool stored = store_.Write([&](LocalStore::Data& data) {
        CalendarRecord* calendar = FindCalendar(data.calendars, calendarId);
        if (!calendar)
            return false;
        ApplyTimeZoneFallback(written, calendar->timeZone);
        cached = written;
        if (replacedId.empty()) {
            calendar->events.push_back(std::move(written));
        } else {
            const auto found = std::find_if(calendar->events.begin(), calendar->events.end(),
                                            [&](const EventRecord& event) { return event.id == replacedId; });
            if (found == calendar->events.end())
                return false;
            *found = std::move(written);
        }
        SortEvents(calendar->events);
        return true;
    });
    if (!stored)
        context_.diagnostics.WriteLine(kGoneLine);
    else
        runner_.WriteThrough([&](LocalCache& cache) { return cache.PutEvent(calendarId, cached); });
    return stored;
}

std::string EventFlows::NewEvent(QWidget* parent, CWaitDlg& wait, const std::string& calendarId,
                                 const LocalDateTime& first, const LocalDateTime& last, bool range)
{
    // While a load fills the store there is nothing steady to edit.
    if (runner_.RefuseWhileBusy())
        return {};
    const std::vector<OfferedCalendar> offered = OfferedCalendars(store_);
    if (offered.empty())
        return {};
    CInsertEventDlg editor(context_.prompter, context_.clock, parent);
    Offer(editor, offered);
    editor.defaultStart = first;
    editor.defaultEnd = last;
    editor.allDayDefault = range;
    if (const int preset = IndexOf(offered, calendarId); preset >= 0) {
        editor.calendarIndex = preset;
        editor.calendarColour = editor.calendarColours[static_cast<std::size_t>(preset)];
    }
    if (editor.exec() != QDialog::Accepted)
        return {};
    const int chosen = std::clamp(editor.calendarIndex, 0, static_cast<int>(offered.size()) - 1);
    const std::string targetId = offered[static_cast<std::size_t>(chosen)].id;
    EventRecord record = editor.event;
    EditResult result;
    if (!runner_.Run(wait, [&] { result = InsertEvent(context_, record, targetId); }))
        return {};
    std::string createdId;
    if (result.Applied()) {
        createdId = record.id;
        if (!StoreEvent(targetId, {}, std::move(record)))
            createdId.clear();
    } else {
        Report(result, kInsertRefused);
    }
    if (changed)
        changed();
    return createdId;
}

void EventFlows::EditEvent(QWidget* parent, CWaitDlg& wait, const std::string& calendarId, const std::string& eventId)
{
    Edit(parent, wait, calendarId, eventId, nullptr);
}

std::optional<EventRecord> EventFlows::EditFoundEvent(QWidget* parent, CWaitDlg& wait, const std::string& calendarId,
                                                      const EventRecord& found)
{
    return Edit(parent, wait, calendarId, found.id, &found);
}

std::optional<EventRecord> EventFlows::Edit(QWidget* parent, CWaitDlg& wait, const std::string& calendarId,
                                            const std::string& eventId, const EventRecord* found)
{
    // While a load fills the store there is nothing steady to edit.
    if (runner_.RefuseWhileBusy())
        return std::nullopt;
    const std::vector<OfferedCalendar> offered = OfferedCalendars(store_);
    EventCopy original;
    bool held = false;
    if (!CopyEvent(store_, calendarId, eventId, original, found, &held))
        return std::nullopt;
    CInsertEventDlg editor(context_.prompter, context_.clock, parent);
    Offer(editor, offered);
    editor.updateMode = true;
    editor.event = original.event;
    editor.calendarIndex = std::max(0, IndexOf(offered, calendarId));
    editor.calendarColour = ColorRefFromText(original.calendarColour);
    editor.readOnly = IsReadOnlyRole(original.accessRole);
    if (editor.exec() != QDialog::Accepted)
        return std::nullopt;
    EventRecord record = editor.event;
    EditResult result;
    if (!runner_.Run(wait, [&] { result = UpdateEvent(context_, record, calendarId); }))
        return std::nullopt;
    std::optional<EventRecord> applied;
    if (result.Applied()) {
        applied = record;
        // One found outside the loaded days stays out, as the next pass would leave it.
        if (held)
            StoreEvent(calendarId, eventId, std::move(record));
    } else {
        Report(result);
    }
    if (changed)
        changed();
    return applied;
}

bool EventFlows::DeleteEvent(QWidget*, CWaitDlg& wait, const std::string& calendarId, const std::string& eventId)
{
    // While a load fills the store there is nothing steady to edit.
    if (runner_.RefuseWhileBusy())
        return false;
    EventCopy found;
    // A reader's calendar cannot lose events; nothing is asked.
    if (!CopyEvent(store_, calendarId, eventId, found) || IsReadOnlyRole(found.accessRole))
        return false;
    if (!context_.prompter.AskYesNo(WithTitle(Translated(kDeleteQuestion), found.event.summary)))
        return false;
    EditResult result;
    if (!runner_.Run(wait, [&] { result = orb::DeleteEvent(context_, calendarId, eventId); }))
        return false;
    if (result.Applied()) {
        store_.Write([&](LocalStore::Data& data) {
            if (CalendarRecord* calendar = FindCalendar(data.calendars, calendarId))
                std::erase_if(calendar->events, [&](const EventRecord& event) { return event.id == eventId; });
        });
        runner_.WriteThrough([&](LocalCache& cache) { return cache.DeleteEvent(calendarId, eventId); });
    } else {
        Report(result);
    }
    if (changed)
        changed();
    return result.Applied();
}

void EventFlows::EditCalendar(QWidget* parent, CWaitDlg& wait, const std::string& calendarId)
{
    // While a load fills the store there is nothing steady to edit.
    if (runner_.RefuseWhileBusy())
        return;
    CalendarRecord copy;
    const bool found = store_.Read([&](const LocalStore::Data& data) {
        for (const CalendarRecord& calendar : data.calendars) {
            if (calendar.id == calendarId) {
                copy = calendar;
                copy.events.clear(); // the editor needs the list fields only
                return true;
            }
        }
        return false;
    });
    if (!found)
        return;
    CInsertCalDlg editor(parent);
    editor.calendar = copy;
    if (editor.exec() != QDialog::Accepted)
        return;
    CalendarRecord record = editor.calendar;
    const CalendarColourChange colours{editor.backgroundChanged, editor.foregroundChanged, editor.ColourIndex() > 0};
    EditResult result;
    if (!runner_.Run(wait, [&] { result = UpdateCalendar(context_, record, calendarId, colours); }))
        return;
    if (result.Applied()) {
        const bool stored = store_.Write([&](LocalStore::Data& data) {
            CalendarRecord* calendar = FindCalendar(data.calendars, calendarId);
            if (!calendar)
                return false;
            record.events = std::move(calendar->events);
            record.tag = calendar->tag;
            *calendar = std::move(record);
            runner_.WriteThrough([&](LocalCache& cache) {
                // Written without its events, which the cache holds apart.
                std::vector<EventRecord> events = std::move(calendar->events);
                calendar->events.clear();
                const CacheResult written = cache.PutCalendar(*calendar);
                calendar->events = std::move(events);
                return written;
            });
            return true;
        });
        if (!stored)
            context_.diagnostics.WriteLine(kGoneLine);
    } else {
        Report(result);
    }
    if (changed)
        changed();
}

void EventFlows::ShowDayEvents(COrbCalendarCtrl& view, int cellIndex, QWidget* parent, CWaitDlg& wait)
{
    CEventDlg window(view, cellIndex, context_.clock, parent);
    // The window lays the view out again from the store and reads the new rows.
    const auto refresh = [&] { window.EventsChanged(); };
    QObject::connect(&window, &CEventDlg::editRequested, &window, [&](const EventEntry& entry) {
        EditEvent(&window, wait, entry.calendarId, entry.event.id);
        refresh();
    });
    QObject::connect(&window, &CEventDlg::deleteRequested, &window, [&](const EventEntry& entry) {
        DeleteEvent(&window, wait, entry.calendarId, entry.event.id);
        refresh();
    });
    window.exec();
}

} // namespace orb
