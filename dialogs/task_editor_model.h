#pragma once

#include "core/clock.h"
#include "tasks/task_records.h"

#include <optional>
#include <string>
#include <string_view>

namespace orb {

// Nothing when `due` does not start with a real day "YYYY-MM-DD" from 1900 on.
std::optional<LocalDateTime> ParseTaskDue(std::string_view due);
// "2012-05-20T00:00:00.000Z": the day alone, whatever the time or the machine's zone.
std::string FormatTaskDue(const LocalDateTime& day);
// Every "\r\n" becomes "\n", also those a first pass would leave behind ("\r\r\n").
std::string ToStoredNotes(std::string_view shown);

// What the task editor's controls show and the user changes.
struct TaskEditorFields
{
    std::string title;
    std::string notes;   // line breaks as the box holds them
    bool hasDue = false; // "Due Check"
    LocalDateTime due;   // the picker's day; its time of day is ignored
    int statusChoice = 0;
};

// The task editor without its window: what it shows for a task or a list, and how the
// user's input is written back.
class TaskEditorModel
{
public:
    static constexpr int kNeedsActionChoice = 0;
    static constexpr int kCompleteChoice = 1;

    // `today` is where the picker stands when the task has no due date.
    void Start(TaskInfo task, bool listMode, bool updateMode, const LocalDateTime& today);

    const TaskEditorFields& initialFields() const { return fields_; }
    const TaskInfo& task() const { return task_; }

    void Save(const TaskEditorFields& fields);

private:
    TaskInfo task_;
    TaskEditorFields fields_;
    bool listMode_ = false;
};

} // namespace orb
