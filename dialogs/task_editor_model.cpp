#include "dialogs/task_editor_model.h"

#include "dialogs/event_editor_model.h"
#include "dialogs/line_breaks.h"

namespace orb {

namespace {
// Earlier days never come from the service; such a text is taken as damaged.
constexpr int kFirstDueYear = 1900;
constexpr const char* kMidnightUtc = "T00:00:00.000Z";
} // namespace

std::optional<LocalDateTime> ParseTaskDue(std::string_view due)
{
    const std::optional<LocalDateTime> day = ParseStoredDate(due);
    if (!day || day->year < kFirstDueYear)
        return std::nullopt;
    return day;
}

std::string FormatTaskDue(const LocalDateTime& day)
{
    return FormatDate(day) + kMidnightUtc;
}

std::string ToStoredNotes(std::string_view shown)
{
    std::string stored;
    stored.reserve(shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == '\r') {
            std::size_t end = i;
            while (end < shown.size() && shown[end] == '\r')
                ++end;
            // A run of carriage returns before a line feed collapses into the line feed.
            if (end < shown.size() && shown[end] == '\n') {
                i = end - 1;
                continue;
            }
        }
        stored += shown[i];
    }
    return stored;
}

void TaskEditorModel::Start(TaskInfo task, bool listMode, bool updateMode, const LocalDateTime& today)
{
    task_ = std::move(task);
    listMode_ = listMode;
    fields_ = {};
    fields_.due = today;
    if (!updateMode)
        return;
    fields_.title = task_.title;
    if (listMode)
        return;

    if (const std::optional<LocalDateTime> due = ParseTaskDue(task_.due)) {
        fields_.hasDue = true;
        fields_.due = *due;
    }
    fields_.notes = ToEditorLineBreaks(task_.notes);
    if (task_.status == kTaskStatusNeedsAction) {
        fields_.statusChoice = kNeedsActionChoice;
    } else {
        fields_.statusChoice = kCompleteChoice;
        task_.status = kTaskStatusCompleted;
    }
}

void TaskEditorModel::Save(const TaskEditorFields& fields)
{
    task_.title = fields.title;
    if (listMode_)
        return;
    task_.due = fields.hasDue ? FormatTaskDue(fields.due) : std::string();
    task_.notes = ToStoredNotes(fields.notes);
    if (fields.statusChoice == kNeedsActionChoice)
        task_.status = kTaskStatusNeedsAction;
    else if (fields.statusChoice == kCompleteChoice)
        task_.status = kTaskStatusCompleted;
}

} // namespace orb
