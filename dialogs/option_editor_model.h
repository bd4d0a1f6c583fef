#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orb {

// The settings the options dialog shows; the opener copies them to and from its settings record.
struct OptionValues
{
    std::string U;
    std::string P;
    std::string KEY;
    int nCal_from = 0;
    int nCal_to = 0;
    int nTaskViewMode = 0;
    int bAllExpend = 0;
    int bDueHide = 0;
    bool startWithDesktop = false; // whether the session's autostart entry is there
    bool reminders = true;
    int taskReminderTime = 9 * 60; // minutes after midnight
    int nSyncMinutes = 0;          // between the passes the program starts by itself; 0 never

    friend bool operator==(const OptionValues&, const OptionValues&) = default;
};

// What the options dialog's controls show and the user changes.
struct OptionFields
{
    std::string user;
    std::string pass;
    std::string key;
    std::string from; // days back, as typed
    std::string to;   // days ahead, as typed
    bool allExpend = false;
    bool dueHide = false;
    bool startWithDesktop = false;
    int syncMinutes = 0; // the spin box, 0 showing "Never"
    int viewChoice = 0;
    bool reminders = true;
    int taskReminderTime = 9 * 60; // within one day
};

// The view-mode radio buttons, left to right.
constexpr int kViewChoiceAll = 0;
constexpr int kViewChoiceCompleted = 1;
constexpr int kViewChoiceNeedsAction = 2;

// The task view mode bits the choices stand for.
constexpr int kViewModeCompleted = 1;
constexpr int kViewModeNeedsAction = 2;
constexpr int kViewModeAll = 3;

constexpr int kLastMinuteOfDay = 24 * 60 - 1;

// A day range beyond ten years would ask the service for more events than anyone browses.
constexpr int kMaxDayCount = 3650;

// A stored mode that is no choice opens as "All".
int ViewChoiceFromMode(int nTaskViewMode);
// Nothing for a choice outside the radio group.
std::optional<int> ViewModeFromChoice(int choice);

// Like atoi: leading blanks, a sign, then digits up to the first other character; no number
// reads as 0. The result is kept within 0..kMaxDayCount, also for digit strings too long for an int.
int ReadDayCount(std::string_view text);

OptionFields OpenOptions(const OptionValues& values);
// Nothing when the view choice is out of range: the dialog then stays open.
std::optional<OptionValues> SaveOptions(const OptionFields& fields);

} // namespace orb
