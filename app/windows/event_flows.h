#pragma once

#include "core/clock.h"
#include "core/ui_text.h"
#include "service/edit_result.h"
#include "service/records.h"

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace orb {

class COrbCalendarCtrl;
class CWaitDlg;
class EditRunner;
class LocalStore;
struct ServiceContext;

// The edits of events and calendars, from either window: each copies what it needs out of
// the store, shows its editor, sends the change through the edit runner, and writes the
// service's answer back into the store only when the service applied it.
class EventFlows
{
public:
    EventFlows(ServiceContext& context, LocalStore& store, EditRunner& runner);

    // A new event for the days `first` to `last`; `calendarId` preselects (and fixes) a
    // calendar, empty lets the user choose. `range` starts it as an all-day event. Returns
    // the new event's id, empty when none was created.
    std::string NewEvent(QWidget* parent, CWaitDlg& wait, const std::string& calendarId, const LocalDateTime& first,
                         const LocalDateTime& last, bool range);
    void EditEvent(QWidget* parent, CWaitDlg& wait, const std::string& calendarId, const std::string& eventId);
    // An event a search found: edited as the store holds it, or as found when it lies
    // outside the loaded days (the store then stays as it is). Gives the event as the
    // service took it, or nothing when no change was applied.
    std::optional<EventRecord> EditFoundEvent(QWidget* parent, CWaitDlg& wait, const std::string& calendarId,
                                              const EventRecord& found);
    // Asks first; true when the event was deleted.
    bool DeleteEvent(QWidget* parent, CWaitDlg& wait, const std::string& calendarId, const std::string& eventId);
    void EditCalendar(QWidget* parent, CWaitDlg& wait, const std::string& calendarId);
    // The day events window of one cell of the month view, with its edits.
    void ShowDayEvents(COrbCalendarCtrl& view, int cellIndex, QWidget* parent, CWaitDlg& wait);

    // After every applied change: the tree's calendar branch and the month view follow.
    std::function<void()> changed;

    static constexpr const char* kDeleteQuestion = ORB_TEXT("OrbCalender", "정말로 '%s' Event를 삭제하시겠습니까?");
    // A refused insert shows this, then the service's reason; other refusals the reason alone.
    static constexpr const char* kInsertRefused = ORB_TEXT("OrbCalender", "Event Insert Fail\n");
    static constexpr const char* kGoneLine = "Edit answer dropped: the record is no longer in the store";

private:
    std::optional<EventRecord> Edit(QWidget* parent, CWaitDlg& wait, const std::string& calendarId,
                                    const std::string& eventId, const EventRecord* found);
    // Shows what became of a change that was not applied.
    void Report(const EditResult& result, const char* refusedPrefix = "");
    // Writes an applied answer back; false (and a diagnostics line) when the record is gone.
    bool StoreEvent(const std::string& calendarId, const std::string& replacedId, EventRecord written);

    ServiceContext& context_;
    LocalStore& store_;
    EditRunner& runner_;
};

} // namespace orb
