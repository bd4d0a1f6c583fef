#include "dialogs/option_editor_model.h"

#include "core/sync_minutes.h"
#include <algorithm>

namespace orb {

int ViewChoiceFromMode(int nTaskViewMode)
{
    switch (nTaskViewMode) {
    case kViewModeCompleted:
        return kViewChoiceCompleted;
    case kViewModeNeedsAction:
        return kViewChoiceNeedsAction;
    default:
        return kViewChoiceAll;
    }
}

std::optional<int> ViewModeFromChoice(int choice)
{
    switch (choice) {
    case kViewChoiceAll:
        return kViewModeAll;
    case kViewChoiceCompleted:
        return kViewModeCompleted;
    case kViewChoiceNeedsAction:
        return kViewModeNeedsAction;
    default:
        return std::nullopt;
    }
}

int ReadDayCount(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';

    // Counting stops just past the limit, so no digit string can overflow.
    int count = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (count <= kMaxDayCount)
            count = count * 10 + (text[i] - '0');
    }
    if (negative)
        return 0;
    return count > kMaxDayCount ? kMaxDayCount : count;
}

OptionFields OpenOptions(const OptionValues& values)
{
    OptionFields fields;
    fields.user = values.U;
    fields.pass = values.P;
    fields.key = values.KEY;
    fields.from = std::to_string(values.nCal_from);
    fields.to = std::to_string(values.nCal_to);
    fields.allExpend = values.bAllExpend != 0;
    fields.dueHide = values.bDueHide != 0;
    fields.startWithDesktop = values.startWithDesktop;
    fields.syncMinutes = ClampSyncMinutes(values.nSyncMinutes);
    fields.viewChoice = ViewChoiceFromMode(values.nTaskViewMode);
    fields.reminders = values.reminders;
    // A hand-edited file may hold any number; the time box shows one within the day.
    fields.taskReminderTime = std::clamp(values.taskReminderTime, 0, kLastMinuteOfDay);
    return fields;
}

std::optional<OptionValues> SaveOptions(const OptionFields& fields)
{
    const std::optional<int> mode = ViewModeFromChoice(fields.viewChoice);
    if (!mode)
        return std::nullopt;
    OptionValues values;
    values.U = fields.user;
    values.P = fields.pass;
    values.KEY = fields.key;
    values.nCal_from = ReadDayCount(fields.from);
    values.nCal_to = ReadDayCount(fields.to);
    values.nTaskViewMode = *mode;
    values.bAllExpend = fields.allExpend ? 1 : 0;
    values.bDueHide = fields.dueHide ? 1 : 0;
    values.startWithDesktop = fields.startWithDesktop;
    values.reminders = fields.reminders;
    values.taskReminderTime = std::clamp(fields.taskReminderTime, 0, kLastMinuteOfDay);
    values.nSyncMinutes = ClampSyncMinutes(fields.syncMinutes);
    return values;
}

} // namespace orb
